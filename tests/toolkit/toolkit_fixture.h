#pragma once
// A frame on a headless window for the toolkit tests, and small helpers to read pixels.

#include "platform/headless/headless_window.h"
#include "toolkit/toolkit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestro::test {

using Pixel = std::array<int, 4>;

inline Pixel pixelAt(const PixelSurface& surface, int x, int y)
{
    const std::uint8_t* p = surface.data + y * surface.stride + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

// A bitmap of one premultiplied colour per pixel, listed row by row.
inline CBitmap* makeBitmap(int width, int height, const std::vector<Pixel>& pixels)
{
    std::vector<std::uint8_t> bytes;
    for (const Pixel& p : pixels)
        for (int c : p)
            bytes.push_back(static_cast<std::uint8_t>(c));
    return new CBitmap(width, height, bytes.data());
}

class HeadlessFrame {
public:
    explicit HeadlessFrame(int width = 40, int height = 30, AEffGUIEditor* editor = nullptr)
    {
        auto owned = std::make_unique<HeadlessWindow>(width, height);
        window = owned.get();
        frame = new CFrame(CRect(0, 0, width, height), std::move(owned), editor);
        frame->setBackgroundColor(CColor{0, 0, 0, 255});
    }
    ~HeadlessFrame()
    {
        if (frame != nullptr)
            frame->forget();
    }
    HeadlessFrame(const HeadlessFrame&) = delete;
    HeadlessFrame& operator=(const HeadlessFrame&) = delete;

    Pixel at(int x, int y) const { return pixelAt(frame->getBackBuffer(), x, y); }
    void idle() { frame->idle(); }

    HeadlessWindow* window = nullptr;
    CFrame* frame = nullptr;
};

} // namespace kestro::test

#pragma once
// A platform window without a screen, for tests and offline rendering: input is injected
// and delivered at the frame's next idle, exactly as a real window's would be; what the
// frame presents is kept as the "screen" and can be written to a PNG file.

#include "toolkit/platform_window.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestro {

class HeadlessWindow : public PlatformWindow {
public:
    HeadlessWindow(int width, int height);

    void present(const PixelSurface& backBuffer, const PixelRect* areas, int count) override;
    void pumpEvents(PlatformWindowClient& client) override;
    void takeKeyboardFocus() override { focused = true; }
    void releaseKeyboardFocus() override { focused = false; }
    void* nativeHandle() const override { return nullptr; }

    // Queued input, delivered at the next pumpEvents.
    void injectMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs = 0);
    void injectMouseUp(const CPoint& where, CButtonState buttons);
    void injectMouseMoved(const CPoint& where, CButtonState buttons = {});
    void injectMouseExited();
    void injectWheel(const CPoint& where, float distance, CButtonState buttons = {});
    void injectKeyDown(const CKeyCode& key);
    void injectKeyUp(const CKeyCode& key);
    // A click: press and release at the same point.
    void injectClick(const CPoint& where, CButtonState buttons = CButtonState::kLButton, std::uint64_t timeMs = 0);
    // UTF-8 text typed key by key.
    void injectText(const char* utf8);

    bool hasKeyboardFocus() const { return focused; }
    // What has been presented so far (premultiplied RGBA8, 4 * width bytes per row).
    const std::vector<std::uint8_t>& screen() const { return screenPixels; }
    int width() const { return screenWidth; }
    int height() const { return screenHeight; }
    int presentCount() const { return presents; }
    // The areas of the last present call.
    const std::vector<PixelRect>& lastPresentedAreas() const { return lastAreas; }
    bool writePng(const std::string& path) const;

private:
    std::vector<std::function<void(PlatformWindowClient&)>> queue;
    std::vector<std::uint8_t> screenPixels;
    std::vector<PixelRect> lastAreas;
    int screenWidth;
    int screenHeight;
    int presents = 0;
    bool focused = false;
};

// Writes premultiplied RGBA8 pixels as a straight-alpha PNG (no compression library
// needed); false when the file cannot be written.
bool writePixelsAsPng(const std::string& path, const std::uint8_t* rgba, int width, int height, int strideBytes);

} // namespace kestro

#pragma once
// Bitmaps: the artwork linked into the library, looked up by numeric id, or a blank
// surface of the toolkit's own (offscreen drawing, tests). Pixels are premultiplied RGBA8,
// rows top to bottom. Reference counted: whoever keeps a bitmap calls remember(), and
// forget() when done; the last forget() frees it. `new CBitmap` starts with one reference.

#include "toolkit/geometry.h"

#include <cstdint>
#include <vector>

namespace kestro {

class CBitmap {
public:
    // The embedded image with this id; an unknown id gives an empty bitmap (isLoaded false).
    explicit CBitmap(int resourceId);
    // A transparent bitmap of its own pixels.
    CBitmap(int width, int height);
    // A copy of premultiplied RGBA8 pixels (4 * width bytes per row).
    CBitmap(int width, int height, const std::uint8_t* premultipliedRgba);

    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    void remember() { ++references; }
    void forget()
    {
        if (--references <= 0)
            delete this;
    }
    int getNbReference() const { return references; }

    bool isLoaded() const { return pixelData != nullptr; }
    int getResourceId() const { return resourceId; }
    int width() const { return pixelWidth; }
    int height() const { return pixelHeight; }
    CCoord getWidth() const { return pixelWidth; }
    CCoord getHeight() const { return pixelHeight; }

    const std::uint8_t* pixels() const { return pixelData; }
    // Writable pixels of an own bitmap; null for embedded artwork, which is read-only.
    std::uint8_t* mutablePixels() { return owned.empty() ? nullptr : owned.data(); }
    int strideBytes() const { return 4 * pixelWidth; }

private:
    ~CBitmap() = default;

    int references = 1;
    int resourceId = -1;
    int pixelWidth = 0;
    int pixelHeight = 0;
    const std::uint8_t* pixelData = nullptr;
    std::vector<std::uint8_t> owned;
};

} // namespace kestro

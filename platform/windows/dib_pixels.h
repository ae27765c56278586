#pragma once
// The toolkit's premultiplied RGBA pixels as the 32-bit device-independent bitmaps GDI draws.

#include <windows.h>

#include <cstdint>

namespace kestro::platform::windows {

// A 32-bit DIB of `width` x `rows` pixels, first row on top.
inline BITMAPINFO topDownDib(int width, int rows)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// One premultiplied RGBA pixel made opaque over a grey `under` (0 black, 255 white), as a DIB
// pixel (blue in the low byte).
inline std::uint32_t dibPixel(const std::uint8_t* rgba, std::uint32_t under = 0)
{
    const std::uint32_t cover = (255u - rgba[3]) * under / 255u;
    return ((rgba[0] + cover) << 16) | ((rgba[1] + cover) << 8) | (rgba[2] + cover);
}

} // namespace kestro::platform::windows

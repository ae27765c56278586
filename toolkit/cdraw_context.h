#pragma once
// Software drawing into a premultiplied RGBA8 surface: bitmap blits with alpha, filled and
// framed rectangles, and text from the built-in glyph atlases. Everything is clipped to the
// clip rectangle; identical input gives identical pixels on every platform.

#include "toolkit/cbitmap.h"
#include "toolkit/geometry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

enum CTxtFace { kNormalFace = 0, kBoldFace = 1 << 1, kItalicFace = 1 << 2, kUnderlineFace = 1 << 3 };

// A font by face name and size in pixels. Every face is drawn with the toolkit's sans
// serif (metric-compatible with Arial) at the nearest size it carries (9, 10 or 11).
struct CFontDesc {
    std::string name = "Arial";
    int size = 10;
    int style = kNormalFace;

    CFontDesc() = default;
    CFontDesc(const char* face, int pixelSize, int faceStyle = kNormalFace)
        : name(face != nullptr ? face : "Arial"), size(pixelSize), style(faceStyle)
    {
    }
    bool operator==(const CFontDesc&) const = default;
};

// A writable view of pixels: `stride` bytes from one row to the next.
struct PixelSurface {
    std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

class CDrawContext {
public:
    explicit CDrawContext(const PixelSurface& target);
    virtual ~CDrawContext() = default;

    const PixelSurface& surface() const { return target; }
    CRect getSurfaceRect() const { return {0, 0, CCoord(target.width), CCoord(target.height)}; }

    // Drawing stays inside this rectangle (and the surface).
    void setClipRect(const CRect& clip);
    const CRect& getClipRect() const { return clipRect; }
    void resetClipRect() { setClipRect(getSurfaceRect()); }

    void setFillColor(const CColor& color) { fillColor = color; }
    const CColor& getFillColor() const { return fillColor; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    const CColor& getFrameColor() const { return frameColor; }
    void setFontColor(const CColor& color) { fontColor = color; }
    const CColor& getFontColor() const { return fontColor; }
    void setFont(const CFontDesc& desc) { font = desc; }
    const CFontDesc& getFont() const { return font; }

    // Source-over fill with the fill colour.
    void fillRect(const CRect& rect);
    // One-pixel outline inside the rectangle, in the frame colour.
    void frameRect(const CRect& rect);
    // The part of `bitmap` starting at `sourceOffset` is drawn into `dest` (source over),
    // its opacity scaled by `alpha` (0 .. 1).
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset = {}, float alpha = 1.0f);
    // Replaces the pixels of `dest` (no blending) with those of `source` from `sourceOffset`.
    void copyPixels(const PixelSurface& source, const CRect& dest, const CPoint& sourceOffset);
    // Source-over blend of premultiplied pixels, like drawBitmap for any surface.
    void blendPixels(const PixelSurface& source, const CRect& dest, const CPoint& sourceOffset, float alpha = 1.0f);

    // UTF-8 text on one line, centred vertically in `rect`, aligned horizontally, in the
    // font colour; characters the font lacks show as '?'. Text wider than the rectangle
    // is clipped to it.
    void drawString(std::string_view utf8, const CRect& rect, CHoriTxtAlign align = kCenterText);
    // Advance width in pixels of the text in the current font.
    CCoord getStringWidth(std::string_view utf8) const;

private:
    PixelSurface target;
    CRect clipRect;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kBlackCColor;
    CFontDesc font;
};

// A drawing context with a surface of its own, for building an image before it is copied
// to the window (the rotor strips do this).
namespace detail {
struct OffscreenStorage {
    OffscreenStorage(int width, int height);
    PixelSurface pixels() { return {storage.data(), surfaceWidth, surfaceHeight, 4 * surfaceWidth}; }
    std::vector<std::uint8_t> storage;
    int surfaceWidth;
    int surfaceHeight;
};
} // namespace detail

class COffscreenContext : private detail::OffscreenStorage, public CDrawContext {
public:
    COffscreenContext(int width, int height);

    int width() const { return surface().width; }
    int height() const { return surface().height; }
    // Blends this surface (from `sourceOffset`) into `dest` of another context.
    void copyTo(CDrawContext& destination, const CRect& dest, const CPoint& sourceOffset = {}) const;
};

} // namespace kestro

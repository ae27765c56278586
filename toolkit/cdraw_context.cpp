#include "toolkit/cdraw_context.h"

#include "toolkit/font_atlas.h"
#include "toolkit/utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestro {

namespace {

// x / 255 rounded to nearest, exact for 0 .. 255 * 255.
inline unsigned div255(unsigned x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline unsigned toAlpha8(float alpha)
{
    if (!(alpha > 0.0f))
        return 0;
    if (alpha >= 1.0f)
        return 255;
    return static_cast<unsigned>(alpha * 255.0f + 0.5f);
}

PixelRect intersect(PixelRect a, const PixelRect& b)
{
    a.x0 = std::max(a.x0, b.x0);
    a.y0 = std::max(a.y0, b.y0);
    a.x1 = std::min(a.x1, b.x1);
    a.y1 = std::min(a.y1, b.y1);
    return a;
}

// Source over: d = s + d (1 - s.a), premultiplied.
inline void blendPixel(std::uint8_t* d, const std::uint8_t* s)
{
    const unsigned sa = s[3];
    if (sa == 255) {
        std::memcpy(d, s, 4);
        return;
    }
    if (sa == 0)
        return;
    const unsigned inverse = 255 - sa;
    d[0] = static_cast<std::uint8_t>(s[0] + div255(d[0] * inverse));
    d[1] = static_cast<std::uint8_t>(s[1] + div255(d[1] * inverse));
    d[2] = static_cast<std::uint8_t>(s[2] + div255(d[2] * inverse));
    d[3] = static_cast<std::uint8_t>(sa + div255(d[3] * inverse));
}

// A straight colour at coverage `cover` (0 .. 255) as a premultiplied pixel.
inline void coloredPixel(const CColor& color, unsigned cover, std::uint8_t out[4])
{
    const unsigned a = div255(color.alpha * cover);
    out[0] = static_cast<std::uint8_t>(div255(color.red * a));
    out[1] = static_cast<std::uint8_t>(div255(color.green * a));
    out[2] = static_cast<std::uint8_t>(div255(color.blue * a));
    out[3] = static_cast<std::uint8_t>(a);
}

inline int roundToInt(CCoord value) { return static_cast<int>(std::floor(value + 0.5)); }

} // namespace

CDrawContext::CDrawContext(const PixelSurface& surfaceTarget) : target(surfaceTarget) { resetClipRect(); }

void CDrawContext::setClipRect(const CRect& clip)
{
    clipRect = clip;
    clipRect.bound(getSurfaceRect());
}

void CDrawContext::fillRect(const CRect& rect)
{
    if (fillColor.alpha == 0)
        return;
    const PixelRect area = intersect(toPixels(rect), toPixels(clipRect));
    if (area.isEmpty())
        return;
    std::uint8_t pixel[4];
    coloredPixel(fillColor, 255, pixel);
    for (int y = area.y0; y < area.y1; ++y) {
        std::uint8_t* row = target.data + static_cast<std::ptrdiff_t>(y) * target.stride;
        for (int x = area.x0; x < area.x1; ++x)
            blendPixel(row + 4 * x, pixel);
    }
}

void CDrawContext::frameRect(const CRect& rect)
{
    const PixelRect p = toPixels(rect);
    if (p.isEmpty())
        return;
    const CColor saved = fillColor;
    fillColor = frameColor;
    fillRect(CRect(p.x0, p.y0, p.x1, p.y0 + 1));
    if (p.y1 - 1 > p.y0)
        fillRect(CRect(p.x0, p.y1 - 1, p.x1, p.y1));
    fillRect(CRect(p.x0, p.y0 + 1, p.x0 + 1, p.y1 - 1));
    if (p.x1 - 1 > p.x0)
        fillRect(CRect(p.x1 - 1, p.y0 + 1, p.x1, p.y1 - 1));
    fillColor = saved;
}

void CDrawContext::blendPixels(const PixelSurface& source, const CRect& dest, const CPoint& sourceOffset, float alpha)
{
    const unsigned a8 = toAlpha8(alpha);
    if (a8 == 0 || source.data == nullptr)
        return;
    const PixelRect destPixels = toPixels(dest);
    PixelRect area = intersect(destPixels, toPixels(clipRect));
    // Source pixel of destination (x, y): offset + (x, y) - destination origin.
    const int dx = roundToInt(sourceOffset.x) - destPixels.x0;
    const int dy = roundToInt(sourceOffset.y) - destPixels.y0;
    area = intersect(area, PixelRect{-dx, -dy, source.width - dx, source.height - dy});
    if (area.isEmpty())
        return;
    for (int y = area.y0; y < area.y1; ++y) {
        std::uint8_t* d = target.data + static_cast<std::ptrdiff_t>(y) * target.stride + 4 * area.x0;
        const std::uint8_t* s =
            source.data + static_cast<std::ptrdiff_t>(y + dy) * source.stride + 4 * (area.x0 + dx);
        if (a8 == 255) {
            for (int x = area.x0; x < area.x1; ++x, d += 4, s += 4)
                blendPixel(d, s);
        } else {
            for (int x = area.x0; x < area.x1; ++x, d += 4, s += 4) {
                const std::uint8_t scaled[4] = {
                    static_cast<std::uint8_t>(div255(s[0] * a8)), static_cast<std::uint8_t>(div255(s[1] * a8)),
                    static_cast<std::uint8_t>(div255(s[2] * a8)), static_cast<std::uint8_t>(div255(s[3] * a8))};
                blendPixel(d, scaled);
            }
        }
    }
}

void CDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset, float alpha)
{
    if (!bitmap.isLoaded())
        return;
    PixelSurface source{const_cast<std::uint8_t*>(bitmap.pixels()), bitmap.width(), bitmap.height(),
                        bitmap.strideBytes()};
    blendPixels(source, dest, sourceOffset, alpha);
}

void CDrawContext::copyPixels(const PixelSurface& source, const CRect& dest, const CPoint& sourceOffset)
{
    if (source.data == nullptr)
        return;
    const PixelRect destPixels = toPixels(dest);
    PixelRect area = intersect(destPixels, toPixels(clipRect));
    const int dx = roundToInt(sourceOffset.x) - destPixels.x0;
    const int dy = roundToInt(sourceOffset.y) - destPixels.y0;
    area = intersect(area, PixelRect{-dx, -dy, source.width - dx, source.height - dy});
    if (area.isEmpty())
        return;
    for (int y = area.y0; y < area.y1; ++y)
        std::memcpy(target.data + static_cast<std::ptrdiff_t>(y) * target.stride + 4 * area.x0,
                    source.data + static_cast<std::ptrdiff_t>(y + dy) * source.stride + 4 * (area.x0 + dx),
                    static_cast<std::size_t>(4 * area.width()));
}

CCoord CDrawContext::getStringWidth(std::string_view text) const
{
    const fonts::FontAtlas& atlas = fonts::atlasForSize(font.size);
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();)
        width += fonts::glyphFor(atlas, utf8::decode(text, pos)).advance;
    return width;
}

void CDrawContext::drawString(std::string_view text, const CRect& rect, CHoriTxtAlign align)
{
    if (text.empty() || fontColor.alpha == 0)
        return;
    const fonts::FontAtlas& atlas = fonts::atlasForSize(font.size);
    const PixelRect box = toPixels(rect);
    const PixelRect area = intersect(box, toPixels(clipRect));
    if (area.isEmpty())
        return;
    const int textWidth = static_cast<int>(getStringWidth(text));
    int penX = box.x0;
    if (align == kCenterText)
        penX = box.x0 + static_cast<int>(std::floor((box.width() - textWidth) / 2.0));
    else if (align == kRightText)
        penX = box.x1 - textWidth;
    const int lineHeight = atlas.ascent + atlas.descent;
    const int baseline = box.y0 + static_cast<int>(std::floor((box.height() - lineHeight) / 2.0)) + atlas.ascent;

    for (std::size_t pos = 0; pos < text.size();) {
        const fonts::GlyphInfo& glyph = fonts::glyphFor(atlas, utf8::decode(text, pos));
        const int gx = penX + glyph.left;
        const int gy = baseline - glyph.top;
        const PixelRect cover = intersect(area, PixelRect{gx, gy, gx + glyph.width, gy + glyph.height});
        for (int y = cover.y0; y < cover.y1; ++y) {
            const std::uint8_t* coverage = atlas.coverage + glyph.offset + (y - gy) * glyph.width;
            std::uint8_t* row = target.data + static_cast<std::ptrdiff_t>(y) * target.stride;
            for (int x = cover.x0; x < cover.x1; ++x) {
                const unsigned c = coverage[x - gx];
                if (c == 0)
                    continue;
                std::uint8_t pixel[4];
                coloredPixel(fontColor, c, pixel);
                blendPixel(row + 4 * x, pixel);
            }
        }
        penX += glyph.advance;
    }
}

namespace detail {
OffscreenStorage::OffscreenStorage(int width, int height)
    : storage(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 4 + 4, 0),
      surfaceWidth(std::max(width, 0)), surfaceHeight(std::max(height, 0))
{
}
} // namespace detail

COffscreenContext::COffscreenContext(int width, int height)
    : detail::OffscreenStorage(width, height), CDrawContext(detail::OffscreenStorage::pixels())
{
}

void COffscreenContext::copyTo(CDrawContext& destination, const CRect& dest, const CPoint& sourceOffset) const
{
    destination.blendPixels(surface(), dest, sourceOffset);
}

} // namespace kestro

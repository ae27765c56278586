#pragma once
// Coordinates, rectangles and colours of the toolkit. Every view rectangle is in window
// pixels (also inside containers), with right and bottom as exclusive edges. Coordinates
// are doubles so a layout may place an edge between pixels; drawing covers a pixel when
// its centre lies inside the rectangle.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestro {

using CCoord = double;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(CCoord px, CCoord py) : x(px), y(py) {}

    constexpr CPoint& offset(CCoord dx, CCoord dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(const CPoint& origin, CCoord width, CCoord height)
        : left(origin.x), top(origin.y), right(origin.x + width), bottom(origin.y + height)
    {
    }

    constexpr CCoord width() const { return right - left; }
    constexpr CCoord height() const { return bottom - top; }
    constexpr CPoint topLeft() const { return {left, top}; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr bool pointInside(const CPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // True when the two share at least one pixel (touching edges do not).
    constexpr bool rectOverlap(const CRect& r) const
    {
        return left < r.right && r.left < right && top < r.bottom && r.top < bottom;
    }
    constexpr CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(const CPoint& p) { return offset(p.x - left, p.y - top); }
    constexpr CRect& bound(const CRect& r)
    {
        left = std::max(left, r.left);
        top = std::max(top, r.top);
        right = std::min(right, r.right);
        bottom = std::min(bottom, r.bottom);
        if (isEmpty())
            right = left, bottom = top;
        return *this;
    }
    constexpr CRect& unite(const CRect& r)
    {
        if (r.isEmpty())
            return *this;
        if (isEmpty())
            return *this = r;
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
        return *this;
    }
    constexpr bool operator==(const CRect&) const = default;
};

// Whole pixels a rectangle covers: [x0, x1) x [y0, y1).
struct PixelRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    bool isEmpty() const { return x1 <= x0 || y1 <= y0; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

// A pixel belongs to a rectangle when its centre lies inside: ceil(edge - 0.5).
inline int pixelEdge(CCoord edge) { return static_cast<int>(std::ceil(edge - 0.5)); }
inline PixelRect toPixels(const CRect& r)
{
    return {pixelEdge(r.left), pixelEdge(r.top), pixelEdge(r.right), pixelEdge(r.bottom)};
}

// Straight (not premultiplied) 8-bit colour; the drawing context premultiplies.
struct CColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    constexpr bool operator==(const CColor&) const = default;
};

inline constexpr CColor kBlackCColor{0, 0, 0, 255};
inline constexpr CColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CColor kTransparentCColor{0, 0, 0, 0};

} // namespace kestro

#include "editor/controls/tav_marker.h"

#include "toolkit/cbitmap.h"

#include <algorithm>
#include <cmath>

namespace kestro {

TAVMarker::TAVMarker(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* strip,
                     CBitmap* markerBitmap, const CPoint& origin, float offset, CCoord width)
    : CControl(rect, controlListener, controlTag, strip), marker(markerBitmap), phaseOffset(offset)
{
    if (marker != nullptr)
        marker->remember();
    markerWidth = marker != nullptr ? marker->getWidth() : 0;
    markerHeight = marker != nullptr ? marker->getHeight() : 0;
    travel = width + markerWidth;
    setMarkerOrigin(origin);
    const CCoord stripWidth = strip != nullptr ? strip->getWidth() : rect.width();
    const CCoord stripHeight = strip != nullptr ? strip->getHeight() : rect.height();
    copyRect = CRect(rect.left, rect.top, rect.left + stripWidth - 1, rect.top + stripHeight);
    setMouseEnabled(false);
}

TAVMarker::~TAVMarker()
{
    if (marker != nullptr)
        marker->forget();
}

void TAVMarker::setMarkerOrigin(const CPoint& origin)
{
    markerOrigin = origin;
    minimumX = origin.x;
    maximumX = origin.x + travel + markerWidth;
}

CCoord TAVMarker::markerLeft(float value) const
{
    const float range = maximum - minimum;
    const float n = range != 0.0f ? (value - minimum) / range : 0.0f;
    // pos = (1 - n) + offset, brought back once into -1 .. 1: a rising phase runs leftwards
    float pos = (1.0f - n) + phaseOffset;
    if (pos > 1.0f)
        pos -= 1.0f;
    else if (pos < -1.0f)
        pos += 1.0f;
    return std::max(std::floor(pos * travel) + markerOrigin.x, minimumX);
}

CCoord TAVMarker::markerRight(float value) const { return std::min(markerLeft(value) + markerWidth, maximumX); }

void TAVMarker::draw(CDrawContext& context)
{
    if (background != nullptr) {
        if (offscreen == nullptr)
            offscreen = std::make_unique<COffscreenContext>(background->width(), background->height());
        offscreen->resetClipRect();
        // Replaced, not blended: last frame's marker must not show through.
        const PixelSurface strip{const_cast<std::uint8_t*>(background->pixels()), background->width(),
                                 background->height(), background->strideBytes()};
        offscreen->copyPixels(strip, CRect(0, 0, background->getWidth(), background->getHeight()), CPoint());
        if (marker != nullptr) {
            const float v = getValue();
            const CRect area(markerLeft(v), markerOrigin.y, markerRight(v), markerOrigin.y + markerHeight);
            offscreen->drawBitmap(*marker, area);
        }
        offscreen->copyTo(context, copyRect);
    }
    setDirty(false);
}

} // namespace kestro

#pragma once
// A rotor-position strip: a marker scrolls across a background strip as the value (the
// rotor phase, in turns) rises, leaving at one end and coming back at the other. The
// picture is composed in an offscreen surface so the marker may lie partly outside the
// strip. Display only.

#include "toolkit/ccontrol.h"
#include "toolkit/cdraw_context.h"

#include <memory>

namespace kestro {

class TAVMarker : public CControl {
public:
    // `width` is the strip's visible travel; the marker runs `width` plus its own width.
    TAVMarker(const CRect& size, CControlListener* listener, int tag, CBitmap* strip, CBitmap* marker,
              const CPoint& markerOrigin, float phaseOffset, CCoord width);
    ~TAVMarker() override;

    void draw(CDrawContext& context) override;

    // Where the marker's travel starts (x) and its top (y), in strip pixels.
    void setMarkerOrigin(const CPoint& origin);

    // The marker's left edge in strip pixels for a value, and its right edge.
    CCoord markerLeft(float value) const;
    CCoord markerRight(float value) const;

private:
    CBitmap* marker;
    CPoint markerOrigin;
    float phaseOffset;
    CCoord markerWidth;
    CCoord markerHeight;
    CCoord travel;
    CCoord minimumX = 0;
    CCoord maximumX = 0;
    CRect copyRect;
    std::unique_ptr<COffscreenContext> offscreen;
};

} // namespace kestro

#pragma once
// Knobs. The frame's knob mode decides how dragging turns them: circular modes follow the
// angle around the centre, the linear mode (2, what our editor sets) turns by the distance
// moved right plus up. Wheel and Up/Down keys step by the wheel increment.

#include "toolkit/ccontrol.h"

namespace kestro {

enum CKnobMode { kCircularMode = 0, kRelativeCircularMode = 1, kLinearMode = 2 };

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, int tag, CBitmap* background, const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyCode& key) override;

    // Pixels of linear travel for a full sweep; Shift divides the speed by the fine factor.
    void setDragRange(CCoord pixels) { dragRange = pixels; }
    CCoord getDragRange() const { return dragRange; }
    void setFineFactor(float factor) { fineFactor = factor; }
    float getFineFactor() const { return fineFactor; }

    // Angle range of the circular modes, in degrees clockwise from straight down.
    void setStartAngle(float degrees) { startAngle = degrees; }
    void setRangeAngle(float degrees) { rangeAngle = degrees; }

protected:
    float valueFromAngle(const CPoint& where) const;
    // Applies a drag to `where`; shared by the moved and pressed paths.
    void trackTo(const CPoint& where, const CButtonState& buttons);

    CPoint offset;
    CCoord dragRange = 200;
    float fineFactor = 10.0f;
    float startAngle = 30.0f;
    float rangeAngle = 300.0f;

    // Drag state.
    CPoint firstPoint;
    float startValue = 0.0f;
    float angleOffset = 0.0f;
    int dragMode = kLinearMode;
    bool fine = false;
    bool tracking = false;
};

// A knob drawn from a filmstrip: frame int(normalized value * (frames - 1) + 0.5).
class CAnimKnob : public CKnob, public CMultiFrame {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, int tag, int frames, CCoord frameHeight,
              CBitmap* background, const CPoint& offset = {});

    void draw(CDrawContext& context) override;
};

} // namespace kestro

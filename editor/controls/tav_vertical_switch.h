#pragma once
// The speed lever: a handle on a pivot drawn from a filmstrip (value 1 at the top frame,
// 0 at the bottom). The pointer's height is turned into the handle's swing angle so the
// handle stays under the pointer. Control-click returns it to its default, the wheel steps
// it, and the Up/Down keys move it one frame while it has the keyboard focus.

#include "toolkit/ccontrol.h"

namespace kestro {

class TAVVerticalSwitch : public CControl, public CMultiFrame {
public:
    // The filmstrip's frames are as high as the control.
    TAVVerticalSwitch(const CRect& size, CControlListener* listener, int tag, CBitmap* bitmap,
                      const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyCode& key) override;
    // Keys typed into the editor's own window come to it while it has the focus.
    void takeFocus() override;
    void looseFocus() override;

    // Where the handle's travel starts and ends, in pixels from the control's top.
    void setHandleLimits(float upper, float lower)
    {
        upperLimit = upper;
        lowerLimit = lower;
    }
    void setWheelStep(float step) { wheelStep = step; }
    void setWheelFineFactor(float factor) { wheelFineFactor = factor; }

    // The filmstrip frame draw() shows now.
    int currentFrame() const;

private:
    // Steps the value to frame `k` of the strip and tells the listener.
    void moveToFrame(int k);

    CPoint offset;
    float upperLimit = 0.0f;
    float lowerLimit = 0.0f;
    float wheelStep = 0.1f;
    float wheelFineFactor = 0.1f;
};

} // namespace kestro

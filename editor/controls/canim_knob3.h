#pragma once
// The window's filmstrip knob. Dragging is linear whatever the host's knob mode: right or
// up raises the value, a full sweep takes 1000 x drag factor pixels, Shift makes it finer
// (also when pressed or released mid-drag, without a jump). Control-click or double-click
// restores the default. A knob with a step count shows only that many positions, spread
// over part of its filmstrip.

#include "toolkit/cknob.h"

namespace kestro {

class CAnimKnob3 : public CAnimKnob {
public:
    // `frameWidth` is the filmstrip's width; the frame count follows from the bitmap's height.
    CAnimKnob3(const CRect& size, CControlListener* listener, int tag, int frames, CCoord frameWidth,
               CCoord frameHeight, CBitmap* bitmap, const CPoint& offset, int stepCount = 0, float stepMinimum = 0.0f,
               float stepMaximum = 1.0f);

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    // Value change per wheel notch (also the step of the arrow keys).
    void setWheelStep(float step)
    {
        wheelStep = step;
        setWheelInc(step);
    }
    float getWheelStep() const { return wheelStep; }
    void setWheelFineFactor(float factor) { wheelFineFactor = factor; }
    float getWheelFineFactor() const { return wheelFineFactor; }
    void setDragFactor(float factor) { dragFactor = factor; }
    float getDragFactor() const { return dragFactor; }
    void setFineDragFactor(float factor) { fineDragFactor = factor; }
    float getFineDragFactor() const { return fineDragFactor; }

    // The filmstrip frame draw() shows for a value.
    int frameForKnobValue(float value) const;

private:
    // Range and coefficient of a drag for the given button state.
    void applyDragSpeed(const CButtonState& buttons);

    float wheelStep = 0.01f;
    float wheelFineFactor = 0.1f;
    float dragFactor = 1.0f;
    float fineDragFactor = 5.0f;
    int stepCount;
    float stepMinimum;
    float stepMaximum;

    // Drag state.
    double coefficient = 0.0; // value per pixel
    double range = 1000.0;    // pixels per sweep
    std::uint32_t dragButtons = 0;
};

} // namespace kestro

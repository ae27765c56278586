#include "editor/controls/canim_knob3.h"

#include "toolkit/cbitmap.h"

namespace kestro {

namespace {

// Wheel notches beyond this are taken as one notch; smaller (smooth scrolling) pass through.
constexpr float kWheelDeadBand = 0.1f;
constexpr double kPixelsPerSweep = 1000.0;

} // namespace

CAnimKnob3::CAnimKnob3(const CRect& rect, CControlListener* controlListener, int controlTag, int frames,
                       CCoord /*frameWidth*/, CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset,
                       int steps, float stepMin, float stepMax)
    : CAnimKnob(rect, controlListener, controlTag, frames, oneFrameHeight, bitmap, bitmapOffset), stepCount(steps),
      stepMinimum(stepMin), stepMaximum(stepMax)
{
    computeFrameCount(bitmap);
    setWheelInc(wheelStep);
}

int CAnimKnob3::frameForKnobValue(float value) const
{
    float position = value;
    if (stepCount > 1) {
        // q = int((steps - 1) v + 0.5) / (steps - 1), spread over step minimum .. maximum
        const float q = static_cast<float>(static_cast<int>((stepCount - 1) * value + 0.5f)) / (stepCount - 1);
        position = q * (stepMaximum - stepMinimum) + stepMinimum;
    }
    if (!(position > 0.0f))
        return 0;
    const int frame = static_cast<int>((frameCount - 1) * position + 0.5f);
    return frame < frameCount ? frame : frameCount - 1;
}

void CAnimKnob3::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, frameForKnobValue(getValue()), size, offset);
    setDirty(false);
}

void CAnimKnob3::applyDragSpeed(const CButtonState& buttons)
{
    fine = buttons.hasShift();
    range = dragFactor * kPixelsPerSweep * (fine ? fineDragFactor : 1.0f);
    coefficient = (maximum - minimum) / range;
    dragButtons = buttons.bits() & ~static_cast<std::uint32_t>(CButtonState::kDoubleClick);
}

MouseResult CAnimKnob3::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton() || listener == nullptr)
        return MouseResult::NotHandled;
    beginEdit();
    if (buttons.hasControl() || buttons.isDoubleClick()) {
        setValue(defaultValue);
        if (getValue() != getDrawnValue())
            valueChanged();
        if (isDirty())
            invalid();
        endEdit();
        return MouseResult::HandledNoFurtherEvents;
    }
    startValue = getValue();
    firstPoint = where;
    applyDragSpeed(buttons);
    tracking = true;
    return onMouseMoved(where, buttons);
}

MouseResult CAnimKnob3::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!tracking || !buttons.isLeftButton())
        return MouseResult::Handled;
    // Right and up both raise the value, so a diagonal counts both ways.
    const double distance = (where.x - firstPoint.x) + (firstPoint.y - where.y);
    const std::uint32_t state = buttons.bits() & ~static_cast<std::uint32_t>(CButtonState::kDoubleClick);
    if (state != dragButtons) {
        // Shift changed mid-drag: move the start so the value stays where it is.
        const double oldCoefficient = coefficient;
        applyDragSpeed(buttons);
        startValue = static_cast<float>(startValue + (oldCoefficient - coefficient) * distance);
    }
    setValue(static_cast<float>(distance * coefficient + startValue));
    if (getValue() != getDrawnValue())
        valueChanged();
    if (isDirty())
        invalid();
    return MouseResult::Handled;
}

MouseResult CAnimKnob3::onMouseUp(CPoint&, const CButtonState&)
{
    if (tracking) {
        tracking = false;
        endEdit();
    }
    return MouseResult::Handled;
}

bool CAnimKnob3::onWheel(const CPoint&, float distance, const CButtonState& buttons)
{
    float notches = distance;
    if (distance > kWheelDeadBand)
        notches = 1.0f;
    else if (distance < -kWheelDeadBand)
        notches = -1.0f;
    const float step = wheelStep * (buttons.hasShift() ? wheelFineFactor : 1.0f);
    setValue(getValue() + notches * step);
    if (isDirty() && listener != nullptr) {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

} // namespace kestro

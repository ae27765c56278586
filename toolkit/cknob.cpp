#include "toolkit/cknob.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestro {

CKnob::CKnob(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* bitmap,
             const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), offset(bitmapOffset)
{
}

void CKnob::draw(CDrawContext& context)
{
    drawBackground(context);
    // A handle dot on the knob's circle, where the value points.
    const double radians = (startAngle + rangeAngle * getValueNormalized()) * std::numbers::pi / 180.0;
    const CCoord radius = std::min(size.width(), size.height()) * 0.35;
    const CCoord cx = (size.left + size.right) / 2 - std::sin(radians) * radius;
    const CCoord cy = (size.top + size.bottom) / 2 + std::cos(radians) * radius;
    context.setFillColor(kWhiteCColor);
    context.fillRect(CRect(std::floor(cx) - 1, std::floor(cy) - 1, std::floor(cx) + 2, std::floor(cy) + 2));
    setDirty(false);
}

float CKnob::valueFromAngle(const CPoint& where) const
{
    // Angle clockwise from straight down, as the handle is drawn.
    const double x = where.x - (size.left + size.right) / 2;
    const double y = where.y - (size.top + size.bottom) / 2;
    double degrees = std::atan2(-x, y) * 180.0 / std::numbers::pi;
    if (degrees < 0)
        degrees += 360.0;
    const double n = (degrees - startAngle) / rangeAngle;
    return static_cast<float>(minimum + (maximum - minimum) * std::clamp(n, 0.0, 1.0));
}

MouseResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    if (buttons.hasControl() || buttons.isDoubleClick()) {
        setValue(defaultValue);
        if (isDirty()) {
            valueChanged();
            invalid();
        }
        endEdit();
        return MouseResult::HandledNoFurtherEvents;
    }
    firstPoint = where;
    startValue = getValue();
    fine = buttons.hasShift();
    dragMode = getFrame() != nullptr ? getFrame()->getKnobMode() : kLinearMode;
    angleOffset = dragMode == kRelativeCircularMode ? startValue - valueFromAngle(where) : 0.0f;
    tracking = true;
    if (dragMode == kCircularMode)
        trackTo(where, buttons);
    return MouseResult::Handled;
}

void CKnob::trackTo(const CPoint& where, const CButtonState& buttons)
{
    if (buttons.hasShift() != fine) {
        // Shift pressed or released mid-drag: restart from here so the value does not jump.
        fine = buttons.hasShift();
        firstPoint = where;
        startValue = getValue();
        angleOffset = dragMode == kRelativeCircularMode ? startValue - valueFromAngle(where) : 0.0f;
    }
    float value = 0.0f;
    if (dragMode == kLinearMode) {
        const CCoord distance = (where.x - firstPoint.x) + (firstPoint.y - where.y);
        const CCoord range = dragRange * (fine ? fineFactor : 1.0f);
        value = static_cast<float>(startValue + distance * (maximum - minimum) / range);
    } else {
        value = valueFromAngle(where) + angleOffset;
    }
    setValue(value);
    if (isDirty()) {
        valueChanged();
        invalid();
    }
}

MouseResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (tracking && buttons.isLeftButton())
        trackTo(where, buttons);
    return MouseResult::Handled;
}

MouseResult CKnob::onMouseUp(CPoint&, const CButtonState&)
{
    if (tracking) {
        tracking = false;
        endEdit();
    }
    return MouseResult::Handled;
}

bool CKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons)
{
    const float step = wheelInc * (buttons.hasShift() ? 1.0f / fineFactor : 1.0f);
    setValue(getValue() + distance * step);
    if (isDirty()) {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

bool CKnob::onKeyDown(const CKeyCode& key)
{
    float direction = 0.0f;
    if (key.virt == VirtualKey::Up || key.virt == VirtualKey::Right)
        direction = 1.0f;
    else if (key.virt == VirtualKey::Down || key.virt == VirtualKey::Left)
        direction = -1.0f;
    else
        return false;
    const float step = wheelInc * ((key.modifiers & kKeyShift) != 0 ? 1.0f / fineFactor : 1.0f);
    setValue(getValue() + direction * step);
    if (isDirty()) {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

CAnimKnob::CAnimKnob(const CRect& rect, CControlListener* controlListener, int controlTag, int frames,
                     CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CKnob(rect, controlListener, controlTag, bitmap, bitmapOffset), CMultiFrame(frames, oneFrameHeight)
{
}

void CAnimKnob::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, frameForValue(getValueNormalized()), size, offset);
    setDirty(false);
}

} // namespace kestro

#include "editor/controls/tav_vertical_switch.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cframe.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

constexpr float kWheelDeadBand = 0.1f;
// The handle swings from +40 to -40 degrees: sin 40 degrees, twice that, and
// 1 / (80 degrees in radians).
constexpr double kSinSwing = 0.642788;
constexpr double kSinSpan = 1.28558;
constexpr double kPerSwingRadian = 0.716197;

} // namespace

TAVVerticalSwitch::TAVVerticalSwitch(const CRect& rect, CControlListener* controlListener, int controlTag,
                                     CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), CMultiFrame(1, rect.height()), offset(bitmapOffset)
{
    computeFrameCount(bitmap);
    setDefaultValue(0.0f);
    setWantsFocus(true);
}

int TAVVerticalSwitch::currentFrame() const
{
    const float range = maximum - minimum;
    if (!(range != 0.0f))
        return 0;
    const int frame = static_cast<int>((frameCount - 1) * (1.0f - (getValue() - minimum) / range) + 0.5f);
    return std::clamp(frame, 0, frameCount - 1);
}

void TAVVerticalSwitch::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, currentFrame(), size, offset);
    setDirty(false);
}

MouseResult TAVVerticalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    const std::uint32_t state = buttons.bits() & ~static_cast<std::uint32_t>(CButtonState::kDoubleClick);
    if (state == (CButtonState::kLButton | CButtonState::kControl)) {
        setValue(defaultValue);
        if (isDirty()) {
            valueChanged();
            invalid();
        }
        endEdit();
        return MouseResult::HandledNoFurtherEvents;
    }
    return onMouseMoved(where, buttons);
}

MouseResult TAVVerticalSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton() || !isEditing())
        return MouseResult::Handled;
    const double y = std::clamp(static_cast<double>(where.y - size.top), static_cast<double>(upperLimit),
                                static_cast<double>(lowerLimit));
    const double span = lowerLimit - upperLimit;
    const double t = span > 0.0 ? (y - upperLimit) / span : 0.0;
    // a = asin(sin 40 deg - 2 sin 40 deg * t): the swing angle whose handle end is at y
    const double angle = std::asin(kSinSwing - kSinSpan * t);
    // s = int(frames * (0.5 - a / 80 deg)) / (frames - 1)
    const double s = frameCount > 1
                         ? static_cast<int>(frameCount * (0.5 - kPerSwingRadian * angle)) / double(frameCount - 1)
                         : 0.0;
    const double v = std::clamp(minimum + (maximum - minimum) * s, double(minimum), double(maximum));
    setValue(static_cast<float>(1.0 - v));
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return MouseResult::Handled;
}

MouseResult TAVVerticalSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    endEdit();
    return MouseResult::Handled;
}

bool TAVVerticalSwitch::onWheel(const CPoint&, float distance, const CButtonState& buttons)
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

void TAVVerticalSwitch::moveToFrame(int k)
{
    setValue(minimum + (maximum - minimum) * static_cast<float>(k) / static_cast<float>(frameCount - 1));
}

bool TAVVerticalSwitch::onKeyDown(const CKeyCode& key)
{
    if (key.modifiers != 0 || frameCount < 2)
        return false;
    const float range = maximum - minimum;
    const int k = static_cast<int>((frameCount - 1) * (getValue() - minimum) / range + 0.5f);
    // Up lowers the value (the handle moves down one frame) and Down raises it.
    if (key.virt == VirtualKey::Up && k > 0)
        moveToFrame(k - 1);
    else if (key.virt == VirtualKey::Down && k < frameCount - 1)
        moveToFrame(k + 1);
    else
        return false;
    if (!isDirty())
        return false;
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return true;
}

void TAVVerticalSwitch::takeFocus()
{
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getPlatformWindow() != nullptr)
        frame->getPlatformWindow()->takeKeyboardFocus();
}

void TAVVerticalSwitch::looseFocus()
{
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getPlatformWindow() != nullptr)
        frame->getPlatformWindow()->releaseKeyboardFocus();
}

} // namespace kestro

#include "editor/controls/cps_kick_button.h"

namespace kestro {

namespace {
constexpr float kClearValue = 0.5f;
}

CPSKickButton::CPSKickButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                             CCoord oneFrameHeight, CBitmap* bitmap, bool onlyOnDoubleClick)
    : CKickButton(rect, controlListener, controlTag, oneFrameHeight, bitmap), doubleClickOnly(onlyOnDoubleClick)
{
    setFrameCount(kFrames);
}

void CPSKickButton::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, pressed ? 2 : (hovered ? 1 : 0), size, offset);
    setDirty(false);
}

MouseResult CPSKickButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton() || (doubleClickOnly && !buttons.isDoubleClick()))
        return MouseResult::HandledNoFurtherEvents;
    pressed = true;
    setValue(doubleClickOnly && buttons.hasControl() ? kClearValue : 1.0f);
    valueChanged();
    invalid();
    return MouseResult::Handled;
}

MouseResult CPSKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    release();
    return MouseResult::Handled;
}

void CPSKickButton::release()
{
    setValue(0.0f);
    pressed = false;
    invalid();
}

MouseResult CPSKickButton::onMouseEntered(CPoint&, const CButtonState&)
{
    hovered = true;
    invalid();
    return MouseResult::Handled;
}

MouseResult CPSKickButton::onMouseExited(CPoint&, const CButtonState&)
{
    hovered = false;
    invalid();
    return MouseResult::Handled;
}

} // namespace kestro

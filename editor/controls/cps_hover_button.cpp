#include "editor/controls/cps_hover_button.h"

namespace kestro {

CPSHoverButton::CPSHoverButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                               CCoord oneFrameHeight, CBitmap* bitmap)
    : CKickButton(rect, controlListener, controlTag, oneFrameHeight, bitmap)
{
    setFrameCount(kFrames);
}

void CPSHoverButton::drawState(CDrawContext& context, bool pressed)
{
    if (background != nullptr)
        drawFrame(context, *background, pressed ? kPressedFrame : (hovered ? kHoverFrame : kIdleFrame), size, offset);
    setDirty(false);
}

MouseResult CPSHoverButton::onMouseEntered(CPoint&, const CButtonState&)
{
    hovered = true;
    invalid();
    return MouseResult::Handled;
}

MouseResult CPSHoverButton::onMouseExited(CPoint&, const CButtonState&)
{
    hovered = false;
    invalid();
    return MouseResult::Handled;
}

} // namespace kestro

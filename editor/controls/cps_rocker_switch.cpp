#include "editor/controls/cps_rocker_switch.h"

#include "toolkit/cbitmap.h"

namespace kestro {

CPSRockerSwitch::CPSRockerSwitch(const CRect& rect, CControlListener* controlListener, int controlTag,
                                 CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CRockerSwitch(rect, controlListener, controlTag, oneFrameHeight, bitmap, bitmapOffset)
{
    setFrameCount(kFrameCount);
}

int CPSRockerSwitch::currentFrame() const
{
    // A pressed half wins over the hover look.
    const float v = getValue();
    if (v < 0.0f)
        return kLeftPressed;
    if (v > 0.0f)
        return kRightPressed;
    if (hoverSide < 0)
        return kLeftHover;
    if (hoverSide > 0)
        return kRightHover;
    return kIdle;
}

void CPSRockerSwitch::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, currentFrame(), size, offset);
    setDirty(false);
}

MouseResult CPSRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    setValue(where.x >= middle() ? 1.0f : -1.0f);
    invalid();
    valueChanged();
    return MouseResult::Handled;
}

MouseResult CPSRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    setValue(0.0f);
    invalid();
    return MouseResult::Handled;
}

MouseResult CPSRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return onMouseEntered(where, buttons);
    return MouseResult::Handled;
}

MouseResult CPSRockerSwitch::onMouseEntered(CPoint& where, const CButtonState&)
{
    const int side = where.x < middle() ? -1 : 1;
    if (side != hoverSide) {
        hoverSide = side;
        invalid();
    }
    return MouseResult::Handled;
}

MouseResult CPSRockerSwitch::onMouseExited(CPoint&, const CButtonState&)
{
    hoverSide = 0;
    invalid();
    return MouseResult::Handled;
}

} // namespace kestro

#include "editor/controls/cclick_kick_button.h"

namespace kestro {

CClickKickButton::CClickKickButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                                   CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CKickButton(rect, controlListener, controlTag, oneFrameHeight, bitmap, bitmapOffset)
{
}

MouseResult CClickKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    entryValue = getValue();
    setValue(1.0f);
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return CKickButton::onMouseMoved(where, buttons);
}

MouseResult CClickKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    setValue(0.0f);
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    endEdit();
    return MouseResult::Handled;
}

} // namespace kestro

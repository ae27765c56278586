#include "editor/controls/csave_load_button.h"

namespace kestro {

CSaveLoadButton::CSaveLoadButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                                 CCoord oneFrameHeight, CBitmap* bitmap)
    : CKickButton(rect, controlListener, controlTag, oneFrameHeight, bitmap)
{
    setFrameCount(kFrames);
}

void CSaveLoadButton::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, getValue() != 0.0f ? 2 : (hovered ? 1 : 0), size, offset);
    setDirty(false);
}

MouseResult CSaveLoadButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if ((!buttons.isLeftButton() && !buttons.isRightButton()) || listener == nullptr)
        return MouseResult::NotHandled;
    // Only the right button with no modifier means "reversed"; Shift makes it a plain load.
    const bool rightAlone = (buttons.bits() & (CButtonState::kButtonMask | CButtonState::kModifierMask)) ==
                            CButtonState::kRButton;
    setValue(rightAlone ? kReversedValue : 1.0f);
    valueChanged();
    setValue(0.0f);
    invalid();
    return MouseResult::HandledNoFurtherEvents;
}

MouseResult CSaveLoadButton::onMouseEntered(CPoint&, const CButtonState&)
{
    hovered = true;
    invalid();
    return MouseResult::Handled;
}

MouseResult CSaveLoadButton::onMouseExited(CPoint&, const CButtonState&)
{
    hovered = false;
    invalid();
    return MouseResult::Handled;
}

} // namespace kestro

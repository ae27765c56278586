#include "editor/controls/csave_load_button.h"

namespace kestro {

CSaveLoadButton::CSaveLoadButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                                 CCoord oneFrameHeight, CBitmap* bitmap)
    : CPSHoverButton(rect, controlListener, controlTag, oneFrameHeight, bitmap)
{
}

void CSaveLoadButton::draw(CDrawContext& context) { drawState(context, getValue() != 0.0f); }

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

} // namespace kestro

#include "editor/controls/tav_on_off_button.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"

namespace kestro {

TAVOnOffButton::TAVOnOffButton(const CRect& rect, CControlListener* controlListener, int controlTag,
                               CBitmap* bitmap)
    : COnOffButton(rect, controlListener, controlTag, bitmap)
{
}

void TAVOnOffButton::draw(CDrawContext& context)
{
    if (background != nullptr) {
        const CCoord half = background->getHeight() / 2;
        CRect area = size;
        if (area.height() > half)
            area.bottom = area.top + half;
        context.drawBitmap(*background, area, CPoint(0, getValue() >= 0.5f ? half : 0));
    }
    setDirty(false);
}

MouseResult TAVOnOffButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    valueChanged();
    setValue(static_cast<int>(getValue() + 0.5f) == 0 ? 1.0f : 0.0f);
    valueChanged();
    endEdit();
    invalid();
    return MouseResult::HandledNoFurtherEvents;
}

} // namespace kestro

#include "toolkit/cbuttons.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"

namespace kestro {

// ---- CKickButton ----------------------------------------------------------------------

CKickButton::CKickButton(const CRect& rect, CControlListener* controlListener, int controlTag, CCoord oneFrameHeight,
                         CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), CMultiFrame(2, oneFrameHeight), offset(bitmapOffset)
{
    setDefaultValue(0.0f);
}

void CKickButton::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, getValue() == maximum ? 1 : 0, size, offset);
    setDirty(false);
}

MouseResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

MouseResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (buttons.isLeftButton()) {
        setValue(size.pointInside(where) ? maximum : minimum);
        if (isDirty())
            invalid();
    }
    return MouseResult::Handled;
}

MouseResult CKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    if (getValue() == maximum)
        valueChanged();
    setValue(minimum);
    valueChanged();
    invalid();
    endEdit();
    return MouseResult::Handled;
}

// ---- COnOffButton ---------------------------------------------------------------------

COnOffButton::COnOffButton(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* bitmap)
    : CControl(rect, controlListener, controlTag, bitmap)
{
    setDefaultValue(0.0f);
}

void COnOffButton::draw(CDrawContext& context)
{
    if (background != nullptr) {
        const CCoord half = background->height() / 2;
        CRect area = size;
        if (area.height() > half)
            area.bottom = area.top + half;
        context.drawBitmap(*background, area, CPoint(0, getValue() == maximum ? half : 0));
    }
    setDirty(false);
}

MouseResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    beginEdit();
    setValue(getValue() == maximum ? minimum : maximum);
    invalid();
    valueChanged();
    endEdit();
    return MouseResult::HandledNoFurtherEvents;
}

// ---- CRockerSwitch --------------------------------------------------------------------

CRockerSwitch::CRockerSwitch(const CRect& rect, CControlListener* controlListener, int controlTag,
                             CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), CMultiFrame(3, oneFrameHeight), offset(bitmapOffset)
{
    setMin(-1.0f);
    setMax(1.0f);
    setDefaultValue(0.0f);
}

void CRockerSwitch::draw(CDrawContext& context)
{
    if (background != nullptr) {
        const float v = getValue();
        drawFrame(context, *background, v < 0.0f ? 1 : (v > 0.0f ? 2 : 0), size, offset);
    }
    setDirty(false);
}

MouseResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return MouseResult::NotHandled;
    const CCoord middle = (size.left + size.right) / 2;
    beginEdit();
    setValue(where.x >= middle ? maximum : minimum);
    invalid();
    valueChanged();
    return MouseResult::Handled;
}

MouseResult CRockerSwitch::onMouseMoved(CPoint&, const CButtonState&) { return MouseResult::Handled; }

MouseResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    setValue(0.0f);
    invalid();
    valueChanged();
    endEdit();
    return MouseResult::Handled;
}

bool CRockerSwitch::onWheel(const CPoint&, float distance, const CButtonState&)
{
    if (distance == 0.0f)
        return false;
    beginEdit();
    setValue(distance > 0.0f ? maximum : minimum);
    valueChanged();
    setValue(0.0f);
    valueChanged();
    endEdit();
    invalid();
    return true;
}

// ---- CMovieBitmap ---------------------------------------------------------------------

CMovieBitmap::CMovieBitmap(const CRect& rect, CControlListener* controlListener, int controlTag, int frames,
                           CCoord oneFrameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), CMultiFrame(frames, oneFrameHeight), offset(bitmapOffset)
{
    setMouseEnabled(false);
}

void CMovieBitmap::draw(CDrawContext& context)
{
    if (background != nullptr)
        drawFrame(context, *background, frameForValue(getValueNormalized()), size, offset);
    setDirty(false);
}

} // namespace kestro

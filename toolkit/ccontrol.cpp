#include "toolkit/ccontrol.h"

#include "toolkit/aeff_gui_editor.h"
#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

#include <cmath>

namespace kestro {

CControl::CControl(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* bitmap)
    : CView(rect), listener(controlListener), tag(controlTag)
{
    if (bitmap != nullptr)
        setBackground(bitmap);
}

float CControl::bounded(float value) const
{
    if (std::isnan(value))
        return minimum;
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

void CControl::setValue(float value)
{
    const float v = bounded(value);
    if (v != currentValue.load(std::memory_order_relaxed)) {
        currentValue.store(v, std::memory_order_relaxed);
        setDirty(true);
    }
}

float CControl::getValueNormalized() const
{
    const float range = maximum - minimum;
    if (!(range != 0.0f))
        return 0.0f;
    const float n = (getValue() - minimum) / range;
    return n < 0.0f ? 0.0f : (n > 1.0f ? 1.0f : n);
}

void CControl::bounceValue() { setValue(getValue()); }

void CControl::valueChanged()
{
    if (listener != nullptr)
        listener->valueChanged(this);
}

void CControl::beginEdit()
{
    if (editDepth++ > 0)
        return;
    if (listener != nullptr)
        listener->controlBeginEdit(this);
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getEditor() != nullptr)
        frame->getEditor()->beginEdit(tag);
}

void CControl::endEdit()
{
    if (editDepth == 0 || --editDepth > 0)
        return;
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getEditor() != nullptr)
        frame->getEditor()->endEdit(tag);
    if (listener != nullptr)
        listener->controlEndEdit(this);
}

void CControl::setDirty(bool state)
{
    if (!state)
        drawnValue = getValue();
    CView::setDirty(state);
}

void CControl::drawBackground(CDrawContext& context)
{
    if (background != nullptr)
        context.drawBitmap(*background, size, backOffset);
}

void CMultiFrame::computeFrameCount(const CBitmap* bitmap)
{
    if (bitmap != nullptr && frameHeight > 0)
        frameCount = static_cast<int>(bitmap->height() / frameHeight);
    if (frameCount < 1)
        frameCount = 1;
}

int CMultiFrame::frameForValue(float normalized) const
{
    if (!(normalized > 0.0f) || frameCount <= 1)
        return 0;
    const int frame = static_cast<int>((frameCount - 1) * normalized + 0.5f);
    return frame < frameCount ? frame : frameCount - 1;
}

void CMultiFrame::drawFrame(CDrawContext& context, const CBitmap& bitmap, int index, const CRect& dest,
                            const CPoint& offset, float alpha) const
{
    // Only the chosen frame's rows may show, whatever the destination's height.
    CRect area = dest;
    if (frameHeight > 0 && area.height() > frameHeight)
        area.bottom = area.top + frameHeight;
    context.drawBitmap(bitmap, area, CPoint(offset.x, offset.y + index * frameHeight), alpha);
}

} // namespace kestro

#include "toolkit/cview.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cdraw_context.h"
#include "toolkit/cframe.h"

namespace kestro {

CView::CView(const CRect& rect) : size(rect) {}

CView::~CView()
{
    if (background != nullptr)
        background->forget();
}

void CView::forget()
{
    if (--references <= 0)
        delete this;
}

void CView::draw(CDrawContext& context)
{
    if (background != nullptr)
        context.drawBitmap(*background, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext& context, const CRect& /*updateRect*/) { draw(context); }

MouseResult CView::onMouseDown(CPoint&, const CButtonState&) { return MouseResult::NotHandled; }
MouseResult CView::onMouseUp(CPoint&, const CButtonState&) { return MouseResult::NotHandled; }
MouseResult CView::onMouseMoved(CPoint&, const CButtonState&) { return MouseResult::NotHandled; }
MouseResult CView::onMouseEntered(CPoint&, const CButtonState&) { return MouseResult::NotHandled; }
MouseResult CView::onMouseExited(CPoint&, const CButtonState&) { return MouseResult::NotHandled; }
bool CView::onWheel(const CPoint&, float, const CButtonState&) { return false; }
bool CView::onKeyDown(const CKeyCode&) { return false; }
bool CView::onKeyUp(const CKeyCode&) { return false; }

void CView::invalid() { invalidRect(size); }

void CView::invalidRect(const CRect& rect)
{
    if (parentFrame != nullptr && visible)
        parentFrame->invalidateArea(rect);
}

void CView::setViewSize(const CRect& rect, bool invalidate)
{
    if (invalidate)
        invalid();
    size = rect;
    if (invalidate)
        invalid();
}

bool CView::hitTest(const CPoint& where, const CButtonState&) const { return size.pointInside(where); }

void CView::setVisible(bool state)
{
    if (visible == state)
        return;
    if (parentFrame != nullptr)
        parentFrame->invalidateArea(size);
    visible = state;
}

void CView::setBackground(CBitmap* bitmap)
{
    if (bitmap == background)
        return;
    if (bitmap != nullptr)
        bitmap->remember();
    if (background != nullptr)
        background->forget();
    background = bitmap;
    setDirty();
}

void CView::attached(CViewContainer* newParent, CFrame* newFrame)
{
    parentView = newParent;
    parentFrame = newFrame;
    setDirty();
}

void CView::removed()
{
    if (parentFrame != nullptr)
        parentFrame->viewRemoved(this);
    parentView = nullptr;
    parentFrame = nullptr;
}

} // namespace kestro

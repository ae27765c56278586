#include "toolkit/cview_container.h"

#include "toolkit/cbitmap.h"
#include "toolkit/cframe.h"

#include <algorithm>

namespace kestro {

CViewContainer::CViewContainer(const CRect& rect) : CView(rect) {}

CViewContainer::~CViewContainer() { CViewContainer::removeAll(true); }

bool CViewContainer::addView(CView* view)
{
    if (view == nullptr)
        return false;
    if (view->getParentView() != nullptr || view == this) {
        view->forget();
        return false;
    }
    children.push_back(view);
    view->attached(this, getFrame());
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool release)
{
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end())
        return false;
    view->invalid();
    children.erase(it);
    view->removed();
    if (release)
        view->forget();
    return true;
}

void CViewContainer::removeAll(bool release)
{
    while (!children.empty())
        CViewContainer::removeView(children.back(), release);
}

bool CViewContainer::isChild(const CView* view) const
{
    return std::find(children.begin(), children.end(), view) != children.end();
}

CView* CViewContainer::getView(int index) const
{
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return children[static_cast<std::size_t>(index)];
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(where, {}))
            continue;
        if (deep) {
            if (CViewContainer* container = child->asViewContainer()) {
                if (CView* inner = container->getViewAt(where, true))
                    return inner;
            }
        }
        return child;
    }
    return nullptr;
}

void CViewContainer::draw(CDrawContext& context) { drawRect(context, size); }

void CViewContainer::drawBackgroundRect(CDrawContext& context, const CRect& area)
{
    if (background != nullptr) {
        CRect dest = size;
        context.drawBitmap(*background, dest);
    } else if (backgroundColor.alpha != 0) {
        context.setFillColor(backgroundColor);
        context.fillRect(area);
    }
}

void CViewContainer::drawRect(CDrawContext& context, const CRect& updateRect)
{
    const CRect savedClip = context.getClipRect();
    CRect clip = updateRect;
    clip.bound(size);
    clip.bound(savedClip);
    if (clip.isEmpty())
        return;
    context.setClipRect(clip);
    drawBackgroundRect(context, clip);
    for (CView* child : children) {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(clip))
            continue;
        CRect childClip = child->getViewSize();
        childClip.bound(clip);
        context.setClipRect(childClip);
        child->drawRect(context, childClip);
    }
    context.setClipRect(savedClip);
    setDirty(false);
}

MouseResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (CView* child = getViewAt(where, false))
        return child->onMouseDown(where, buttons);
    return MouseResult::NotHandled;
}

bool CViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons)
{
    if (CView* child = getViewAt(where, false))
        return child->onWheel(where, distance, buttons);
    return false;
}

void CViewContainer::attached(CViewContainer* newParent, CFrame* newFrame)
{
    CView::attached(newParent, newFrame);
    for (CView* child : children)
        child->attached(this, newFrame);
}

void CViewContainer::removed()
{
    for (CView* child : children)
        child->removed();
    CView::removed();
}

} // namespace kestro

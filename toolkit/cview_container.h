#pragma once
// A view that holds other views, draws them in the order they were added (later ones on
// top) and owns them. Children use window coordinates like every other view.

#include "toolkit/cdraw_context.h"
#include "toolkit/cview.h"

#include <vector>

namespace kestro {

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes over the caller's reference; false (and the reference released) when the view
    // is null or already has a parent.
    virtual bool addView(CView* view);
    // Detaches the view; `release` drops the container's reference (destroying it unless
    // someone else remembered it).
    virtual bool removeView(CView* view, bool release = true);
    virtual void removeAll(bool release = true);
    bool isChild(const CView* view) const;
    int getNbViews() const { return static_cast<int>(children.size()); }
    CView* getView(int index) const;

    // The topmost visible, mouse-enabled view under the point, looking into containers
    // when `deep`; null when there is none.
    CView* getViewAt(const CPoint& where, bool deep = true) const;

    // Background colour when there is no background bitmap (transparent draws nothing).
    void setBackgroundColor(const CColor& color) { backgroundColor = color; }
    const CColor& getBackgroundColor() const { return backgroundColor; }

    void draw(CDrawContext& context) override;
    void drawRect(CDrawContext& context, const CRect& updateRect) override;

    // A press inside a container goes to the child under the point.
    MouseResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    CViewContainer* asViewContainer() override { return this; }
    void attached(CViewContainer* newParent, CFrame* newFrame) override;
    void removed() override;

    // Every view in the subtree, depth first, in drawing order.
    template <typename Visit>
    void forEachView(Visit&& visit) const
    {
        for (CView* child : children) {
            visit(child);
            if (CViewContainer* container = child->asViewContainer())
                container->forEachView(visit);
        }
    }

protected:
    // Background (bitmap at the container's own rectangle, or colour) under `area`.
    virtual void drawBackgroundRect(CDrawContext& context, const CRect& area);

    std::vector<CView*> children;
    CColor backgroundColor = kTransparentCColor;
};

} // namespace kestro

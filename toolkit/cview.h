#pragma once
// The base of everything drawn in a frame. A view has a rectangle in window pixels, draws
// itself into a drawing context, and may handle pointer, wheel and key input. Views are
// reference counted: `new` gives one reference, which adding the view to a container hands
// over; the container's release destroys it.
//
// Threads: everything runs on the host's user-interface thread except setDirty/isDirty,
// which any thread may call (a control's value may be set from the audio thread).

#include "toolkit/events.h"
#include "toolkit/geometry.h"

#include <atomic>

namespace kestro {

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

class CView {
public:
    explicit CView(const CRect& size);
    virtual ~CView();

    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    void remember() { ++references; }
    void forget();
    int getNbReference() const { return references; }

    // Drawing. drawRect is what the frame calls for a damaged area (the context is already
    // clipped to it); the default draws the whole view.
    virtual void draw(CDrawContext& context);
    virtual void drawRect(CDrawContext& context, const CRect& updateRect);

    // Pointer input, in window pixels. A press that returns MouseResult::Handled captures
    // the pointer: its moves and its release come to this view wherever the pointer goes.
    virtual MouseResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual MouseResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual MouseResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual MouseResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual MouseResult onMouseExited(CPoint& where, const CButtonState& buttons);
    // One notch is a distance of 1.0 (up positive); true when used.
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
    // Keys: true when used, false to let the key go on to the host.
    virtual bool onKeyDown(const CKeyCode& key);
    virtual bool onKeyUp(const CKeyCode& key);

    // Keyboard focus: a view that wants it becomes the frame's focus view when clicked.
    void setWantsFocus(bool state) { focusWanted = state; }
    bool wantsFocus() const { return focusWanted; }
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    // Dirty views are redrawn at the frame's next idle. Safe from any thread.
    virtual void setDirty(bool state = true) { dirty.store(state, std::memory_order_relaxed); }
    virtual bool isDirty() const { return dirty.load(std::memory_order_relaxed); }
    // Redraw the whole view (or part of it) at the next idle. User-interface thread only.
    void invalid();
    void invalidRect(const CRect& rect);

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    // The area a click hits; the view's rectangle unless a view says otherwise.
    virtual bool hitTest(const CPoint& where, const CButtonState& buttons) const;

    void setMouseEnabled(bool state) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }
    void setVisible(bool state);
    bool isVisible() const { return visible; }

    // An optional background bitmap (remembered while set).
    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    CFrame* getFrame() const { return parentFrame; }
    CViewContainer* getParentView() const { return parentView; }
    bool isAttached() const { return parentFrame != nullptr; }

    // Non-null for views that hold other views.
    virtual CViewContainer* asViewContainer() { return nullptr; }

    // Called by a container when the view joins or leaves a frame.
    virtual void attached(CViewContainer* newParent, CFrame* newFrame);
    virtual void removed();

protected:
    CRect size;
    CBitmap* background = nullptr;

private:
    int references = 1;
    std::atomic<bool> dirty{false};
    bool mouseEnabled = true;
    bool visible = true;
    bool focusWanted = false;
    CFrame* parentFrame = nullptr;
    CViewContainer* parentView = nullptr;
};

} // namespace kestro

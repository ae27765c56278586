#include "toolkit/cframe.h"

#include "toolkit/aeff_gui_editor.h"
#include "toolkit/cnew_file_selector.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

// Open frames of the process, the most recently used last (user-interface thread only).
std::vector<CFrame*>& openFrames()
{
    static std::vector<CFrame*> frames;
    return frames;
}

void makeActive(CFrame* frame)
{
    auto& frames = openFrames();
    auto it = std::find(frames.begin(), frames.end(), frame);
    if (it != frames.end())
        frames.erase(it);
    frames.push_back(frame);
}

// More than this many separate areas are merged into their union: one larger redraw
// costs less than many small ones.
constexpr std::size_t kMaxDamagedAreas = 24;

// Keeps removed views alive until the outermost event handler has returned.
class EventScope {
public:
    explicit EventScope(int& depth) : level(depth) { ++level; }
    ~EventScope() { --level; }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

private:
    int& level;
};

} // namespace

CFrame::CFrame(const CRect& rect, void* systemWindow, AEffGUIEditor* owner)
    : CFrame(rect, std::unique_ptr<PlatformWindow>(), owner)
{
    if (systemWindow != nullptr) {
        PlatformWindowRequest request{systemWindow, backSurface.width, backSurface.height};
        window = platformWindowFactory()(request);
    }
}

CFrame::CFrame(const CRect& rect, std::unique_ptr<PlatformWindow> platformWindow, AEffGUIEditor* owner)
    : CViewContainer(rect), window(std::move(platformWindow)), editor(owner)
{
    CView::attached(nullptr, this);
    allocateBackBuffer();
    makeActive(this);
}

CFrame::~CFrame()
{
    for (CNewFileSelector* selector : selectors)
        delete selector;
    selectors.clear();
    // Closing is no loss of focus: a text entry still open is dropped by its removed().
    modalView = nullptr;
    focusView = nullptr;
    captureView = nullptr;
    hoverView = nullptr;
    removeAll(true);
    eventDepth = 0;
    releasePending();
    window.reset();
    auto& frames = openFrames();
    frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
}

CFrame* CFrame::activeFrame()
{
    auto& frames = openFrames();
    return frames.empty() ? nullptr : frames.back();
}

void CFrame::allocateBackBuffer()
{
    PixelRect pixels = toPixels(CRect(0, 0, size.width(), size.height()));
    int width = std::max(0, pixels.x1);
    int height = std::max(0, pixels.y1);
    backPixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 + 4, 0);
    backSurface = {backPixels.data(), width, height, 4 * width};
    everythingDamaged = true;
}

int CFrame::getKnobMode() const { return AEffGUIEditor::getKnobMode(); }

// ---- drawing ----------------------------------------------------------------------------

void CFrame::invalidateArea(const CRect& area)
{
    CRect bounded = area;
    bounded.bound(CRect(0, 0, backSurface.width, backSurface.height));
    if (bounded.isEmpty())
        return;
    for (CRect& existing : damaged) {
        if (existing.rectOverlap(bounded)) {
            existing.unite(bounded);
            return;
        }
    }
    damaged.push_back(bounded);
}

void CFrame::collectDirty()
{
    auto visit = [this](CView* view) {
        if (view->isDirty()) {
            view->setDirty(false);
            if (view->isVisible())
                invalidateArea(view->getViewSize());
        }
    };
    forEachView(visit);
}

void CFrame::redrawArea(const CRect& area)
{
    CDrawContext context(backSurface);
    context.setClipRect(area);
    drawRect(context, area);
}

void CFrame::updateNow()
{
    collectDirty();
    if (everythingDamaged) {
        damaged.clear();
        damaged.push_back(CRect(0, 0, backSurface.width, backSurface.height));
        everythingDamaged = false;
    }
    if (damaged.empty())
        return;
    if (damaged.size() > kMaxDamagedAreas) {
        CRect all = damaged.front();
        for (const CRect& r : damaged)
            all.unite(r);
        damaged.assign(1, all);
    }
    presentList.clear();
    for (const CRect& area : damaged) {
        // Redraw whole pixels so every covered pixel is repainted exactly once.
        PixelRect pixels = toPixels(area);
        CRect whole(pixels.x0, pixels.y0, pixels.x1, pixels.y1);
        redrawArea(whole);
        presentList.push_back(pixels);
    }
    damaged.clear();
    if (window != nullptr)
        window->present(backSurface, presentList.data(), static_cast<int>(presentList.size()));
}

void CFrame::idle()
{
    makeActive(this);
    {
        EventScope scope(eventDepth);
        if (window != nullptr)
            window->pumpEvents(*this);
        for (std::size_t i = 0; i < selectors.size();) {
            CNewFileSelector* selector = selectors[i];
            if (selector->poll()) {
                selectors.erase(selectors.begin() + static_cast<std::ptrdiff_t>(i));
                delete selector;
            } else {
                ++i;
            }
        }
    }
    releasePending();
    updateNow();
}

// ---- views --------------------------------------------------------------------------------

bool CFrame::removeView(CView* view, bool release)
{
    if (!CViewContainer::removeView(view, false))
        return false;
    if (release) {
        if (eventDepth > 0)
            pendingRelease.push_back(view);
        else
            view->forget();
    }
    return true;
}

void CFrame::releasePending()
{
    if (eventDepth > 0)
        return;
    while (!pendingRelease.empty()) {
        CView* view = pendingRelease.back();
        pendingRelease.pop_back();
        view->forget();
    }
}

void CFrame::viewRemoved(CView* view)
{
    if (view == this)
        return;
    if (captureView == view)
        captureView = nullptr;
    if (hoverView == view)
        hoverView = nullptr;
    if (modalView == view)
        modalView = nullptr;
    if (focusView == view)
        focusView = nullptr;
}

bool CFrame::setModalView(CView* view)
{
    if (view == nullptr) {
        if (modalView == nullptr)
            return true;
        CView* old = modalView;
        modalView = nullptr;
        removeView(old, true);
        return true;
    }
    if (modalView != nullptr)
        return false;
    if (!addView(view))
        return false;
    modalView = view;
    // Input now belongs to the modal view: nothing else keeps the pointer or the keys.
    if (hoverView != nullptr && hoverView != view) {
        CPoint p = lastMouse;
        CView* leaving = hoverView;
        hoverView = nullptr;
        leaving->onMouseExited(p, lastButtons);
    }
    captureView = nullptr;
    setFocusView(nullptr);
    return true;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView)
        return;
    CView* old = focusView;
    focusView = view;
    if (old != nullptr)
        old->looseFocus();
    if (view != nullptr && focusView == view)
        view->takeFocus();
}

void CFrame::addFileSelector(CNewFileSelector* selector) { selectors.push_back(selector); }

void CFrame::removeFileSelector(CNewFileSelector* selector)
{
    selectors.erase(std::remove(selectors.begin(), selectors.end(), selector), selectors.end());
}

// ---- input ----------------------------------------------------------------------------

CView* CFrame::targetAt(const CPoint& where) const
{
    if (modalView != nullptr) {
        if (CViewContainer* container = modalView->asViewContainer()) {
            if (CView* inner = container->getViewAt(where, true))
                return inner;
        }
        return modalView;
    }
    return getViewAt(where, true);
}

void CFrame::updateHover(const CPoint& where, CButtonState buttons)
{
    CView* target = targetAt(where);
    if (target == hoverView)
        return;
    CPoint p = where;
    if (hoverView != nullptr) {
        CView* leaving = hoverView;
        hoverView = nullptr;
        leaving->onMouseExited(p, buttons);
    }
    hoverView = target;
    if (target != nullptr)
        target->onMouseEntered(p, buttons);
}

void CFrame::mouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs)
{
    makeActive(this);
    // A second press of the same button, soon and near the first, is a double-click; a
    // third press starts over.
    const bool nearInTime = timeMs >= lastClickTime && timeMs - lastClickTime <= kDoubleClickMs;
    const bool nearInSpace = std::abs(where.x - lastClickPoint.x) <= kDoubleClickDistance &&
                             std::abs(where.y - lastClickPoint.y) <= kDoubleClickDistance;
    const bool isDouble = nearInTime && nearInSpace && !lastClickWasDouble && buttons.buttons() == lastClickButtons;
    lastClickTime = timeMs;
    lastClickPoint = where;
    lastClickButtons = buttons.buttons();
    lastClickWasDouble = isDouble;
    if (isDouble)
        buttons = buttons | CButtonState::kDoubleClick;

    lastMouse = where;
    lastButtons = buttons;
    {
        EventScope scope(eventDepth);
        if (captureView != nullptr)
            return; // another button while one is held: the captured gesture goes on
        updateHover(where, buttons);
        CView* target = targetAt(where);
        if (focusView != nullptr && focusView != target)
            setFocusView(nullptr); // a click elsewhere ends a text entry
        if (target != nullptr) {
            if (target->wantsFocus())
                setFocusView(target);
            CPoint p = where;
            MouseResult result = target->onMouseDown(p, buttons);
            if (result == MouseResult::Handled && target->getFrame() == this)
                captureView = target;
        }
    }
    releasePending();
}

void CFrame::mouseUp(const CPoint& where, CButtonState buttons)
{
    lastMouse = where;
    lastButtons = CButtonState(buttons.modifiers());
    {
        EventScope scope(eventDepth);
        if (captureView != nullptr) {
            CView* target = captureView;
            captureView = nullptr;
            CPoint p = where;
            target->onMouseUp(p, buttons);
        }
        updateHover(where, lastButtons);
    }
    releasePending();
}

void CFrame::mouseMoved(const CPoint& where, CButtonState buttons)
{
    lastMouse = where;
    lastButtons = buttons;
    {
        EventScope scope(eventDepth);
        CPoint p = where;
        if (captureView != nullptr) {
            captureView->onMouseMoved(p, buttons);
        } else {
            updateHover(where, buttons);
            if (hoverView != nullptr)
                hoverView->onMouseMoved(p, buttons);
        }
    }
    releasePending();
}

void CFrame::mouseExited()
{
    {
        EventScope scope(eventDepth);
        if (hoverView != nullptr && captureView == nullptr) {
            CView* leaving = hoverView;
            hoverView = nullptr;
            CPoint p = lastMouse;
            leaving->onMouseExited(p, lastButtons);
        }
    }
    releasePending();
}

bool CFrame::wheel(const CPoint& where, float distance, CButtonState buttons)
{
    bool used = false;
    {
        EventScope scope(eventDepth);
        if (CView* target = targetAt(where))
            used = target->onWheel(where, distance, buttons);
    }
    releasePending();
    return used;
}

bool CFrame::keyDown(const CKeyCode& key)
{
    bool used = false;
    {
        EventScope scope(eventDepth);
        if (modalView != nullptr) {
            used = modalView->onKeyDown(key);
        } else {
            if (focusView != nullptr)
                used = focusView->onKeyDown(key);
            if (!used) {
                CView* under = getViewAt(lastMouse, true);
                if (under != nullptr && under != focusView)
                    used = under->onKeyDown(key);
            }
        }
    }
    releasePending();
    return used;
}

bool CFrame::keyUp(const CKeyCode& key)
{
    bool used = false;
    {
        EventScope scope(eventDepth);
        if (modalView != nullptr)
            used = modalView->onKeyUp(key);
        else if (focusView != nullptr)
            used = focusView->onKeyUp(key);
    }
    releasePending();
    return used;
}

// ---- platform window client -------------------------------------------------------------

void CFrame::platformMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs)
{
    mouseDown(where, buttons, timeMs);
}
void CFrame::platformMouseUp(const CPoint& where, CButtonState buttons) { mouseUp(where, buttons); }
void CFrame::platformMouseMoved(const CPoint& where, CButtonState buttons) { mouseMoved(where, buttons); }
void CFrame::platformMouseExited() { mouseExited(); }
void CFrame::platformWheel(const CPoint& where, float distance, CButtonState buttons)
{
    wheel(where, distance, buttons);
}
bool CFrame::platformKeyDown(const CKeyCode& key) { return keyDown(key); }
bool CFrame::platformKeyUp(const CKeyCode& key) { return keyUp(key); }
void CFrame::platformRedrawAll() { everythingDamaged = true; }

} // namespace kestro

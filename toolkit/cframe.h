#pragma once
// The root of a window: owns its views, its back buffer and its platform window. Input
// from the platform window is routed here: a press goes to the topmost view under the
// pointer (or to the modal view, which takes all input while it is up), a handled press
// captures the pointer until release, keys go to the modal view, else the focus view, else
// the view under the pointer. Double-clicks are derived from time and distance. idle()
// reads input, redraws what is dirty into the back buffer and presents those areas.
//
// Reference counted like every view: `forget()` by the owner destroys the frame, its views
// and its window.

#include "toolkit/cview_container.h"
#include "toolkit/platform_window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestro {

class AEffGUIEditor;
class CNewFileSelector;

class CFrame : public CViewContainer, private PlatformWindowClient {
public:
    // A child window of the host's `systemWindow`, made by the current platform window
    // factory; isOpen() tells whether that worked.
    CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor);
    // A frame on a window the caller made (tests pass a headless window; null is allowed
    // and draws without showing anything).
    CFrame(const CRect& size, std::unique_ptr<PlatformWindow> window, AEffGUIEditor* editor);
    ~CFrame() override;

    bool isOpen() const { return window != nullptr; }
    AEffGUIEditor* getEditor() const { return editor; }
    PlatformWindow* getPlatformWindow() const { return window.get(); }

    // One idle pass: input, file selectors, redraw of dirty views and areas, presentation.
    void idle();
    // Redraws dirty views and invalid areas into the back buffer now and presents them.
    void updateNow();
    // Adds an area to redraw at the next idle (window pixels).
    void invalidateArea(const CRect& area);
    // Everything is redrawn at the next idle.
    void invalidateAll() { invalidateArea(getViewSize()); }
    const PixelSurface& getBackBuffer() const { return backSurface; }

    // The modal view takes all input while set; the frame adds it on top of its views and
    // owns it. Setting another while one is up fails (false, the view is not taken).
    // Clearing removes the modal view and releases it once the current event is over.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView; }

    // Keyboard focus: the focus view gets the keys; the previous one loses focus.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

    // The knob mode of the editor's host (effSetEditKnobMode), linear by default.
    int getKnobMode() const;

    // Input entry points (the platform window calls them through the client interface;
    // tests may call them directly). Positions are window pixels.
    void mouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs);
    void mouseUp(const CPoint& where, CButtonState buttons);
    void mouseMoved(const CPoint& where, CButtonState buttons);
    void mouseExited();
    bool wheel(const CPoint& where, float distance, CButtonState buttons);
    bool keyDown(const CKeyCode& key);
    bool keyUp(const CKeyCode& key);
    // Where the pointer was last seen (wheel events from the host land there).
    const CPoint& getLastMousePosition() const { return lastMouse; }
    // Buttons and modifiers of the last pointer event.
    CButtonState getCurrentButtons() const { return lastButtons; }

    bool removeView(CView* view, bool release = true) override;
    // A view anywhere in the frame is leaving it: the frame forgets its pointers to it.
    void viewRemoved(CView* view);

    // File selectors run while the window keeps working; the frame polls them at idle.
    void addFileSelector(CNewFileSelector* selector);
    void removeFileSelector(CNewFileSelector* selector);
    bool hasFileSelector() const { return !selectors.empty(); }

    // Double-click limits: both presses within this time and distance.
    static constexpr std::uint64_t kDoubleClickMs = 400;
    static constexpr CCoord kDoubleClickDistance = 4;

    // The frame that last had input or was opened last, for the message-box service.
    static CFrame* activeFrame();

private:
    void platformMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs) override;
    void platformMouseUp(const CPoint& where, CButtonState buttons) override;
    void platformMouseMoved(const CPoint& where, CButtonState buttons) override;
    void platformMouseExited() override;
    void platformWheel(const CPoint& where, float distance, CButtonState buttons) override;
    bool platformKeyDown(const CKeyCode& key) override;
    bool platformKeyUp(const CKeyCode& key) override;
    void platformRedrawAll() override;

    void allocateBackBuffer();
    // The view input goes to at a point: inside the modal view while one is up.
    CView* targetAt(const CPoint& where) const;
    void updateHover(const CPoint& where, CButtonState buttons);
    void collectDirty();
    void redrawArea(const CRect& area);
    // Releases views removed during an event once it is over.
    void releasePending();

    std::unique_ptr<PlatformWindow> window;
    AEffGUIEditor* editor;
    std::vector<std::uint8_t> backPixels;
    PixelSurface backSurface;
    std::vector<CRect> damaged;
    std::vector<PixelRect> presentList;
    std::vector<CView*> pendingRelease;
    std::vector<CNewFileSelector*> selectors;

    CView* modalView = nullptr;
    CView* focusView = nullptr;
    CView* captureView = nullptr;
    CView* hoverView = nullptr;
    CPoint lastMouse;
    CButtonState lastButtons;
    CPoint lastClickPoint{-1000, -1000};
    std::uint64_t lastClickTime = 0;
    std::uint32_t lastClickButtons = 0;
    bool lastClickWasDouble = false;
    int eventDepth = 0;
    bool everythingDamaged = true;
};

} // namespace kestro

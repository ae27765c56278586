#pragma once
// What a frame needs from the operating system: a child window of the host's window, of
// exactly the frame's size, that shows the frame's back buffer and hands pointer, wheel and
// key input to the frame. Back ends: X11 (Linux), Win32 (Windows) and headless (tests).
//
// Everything runs on the host's user-interface thread, driven from the editor's idle: a
// back end starts no thread. Events are delivered only from pumpEvents, never from inside
// another call, so a frame is never re-entered.

#include "toolkit/cdraw_context.h"
#include "toolkit/events.h"
#include "toolkit/geometry.h"

#include <cstdint>
#include <memory>

namespace kestro {

// The receiving side (the frame). Positions are in window pixels; `timeMs` is any
// monotonic millisecond clock of the back end (the frame derives double-clicks from it).
class PlatformWindowClient {
public:
    virtual ~PlatformWindowClient() = default;
    virtual void platformMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs) = 0;
    virtual void platformMouseUp(const CPoint& where, CButtonState buttons) = 0;
    virtual void platformMouseMoved(const CPoint& where, CButtonState buttons) = 0;
    // The pointer left the window.
    virtual void platformMouseExited() = 0;
    // Notches, up positive.
    virtual void platformWheel(const CPoint& where, float distance, CButtonState buttons) = 0;
    // True when the key was used.
    virtual bool platformKeyDown(const CKeyCode& key) = 0;
    virtual bool platformKeyUp(const CKeyCode& key) = 0;
    // The window's contents were lost (exposed); everything is presented again.
    virtual void platformRedrawAll() = 0;
};

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default; // destroys the window and releases its resources

    // Shows the given areas of the back buffer (premultiplied RGBA8, the window's size).
    virtual void present(const PixelSurface& backBuffer, const PixelRect* areas, int count) = 0;
    // Reads what input arrived since the last call and hands it to the client.
    virtual void pumpEvents(PlatformWindowClient& client) = 0;
    // Keyboard input comes to this window while a text entry is active.
    virtual void takeKeyboardFocus() = 0;
    virtual void releaseKeyboardFocus() = 0;
    // The native handle (X11 Window id, HWND), for dialogs that want a parent.
    virtual void* nativeHandle() const = 0;
};

struct PlatformWindowRequest {
    void* parent = nullptr; // the host's window: an X11 Window id or an HWND
    int width = 0;
    int height = 0;
};

using PlatformWindowFactory = std::unique_ptr<PlatformWindow> (*)(const PlatformWindowRequest& request);

// The platform's native window; null when it cannot be made (no display, bad parent).
// Defined by the platform back end linked into the toolkit.
std::unique_ptr<PlatformWindow> createNativeWindow(const PlatformWindowRequest& request);
// A window that shows nothing and takes input only from injectEvent calls (tests, offline
// rendering). Defined in platform/headless.
std::unique_ptr<PlatformWindow> createHeadlessWindow(const PlatformWindowRequest& request);

// A window presenting into a KestroHeadlessParent that the parent handle points to
// (toolkit/headless_parent.h); null when the handle is not one. Defined in platform/headless.
std::unique_ptr<PlatformWindow> createHostedHeadlessWindow(const PlatformWindowRequest& request);

// The factory frames use when opened on a parent handle: unless a test or tool chose
// another, the native one, or the hosted headless one while the environment variable
// TAV_KESTRO_HEADLESS_PARENT is "1". Returns the previous factory.
PlatformWindowFactory setPlatformWindowFactory(PlatformWindowFactory factory);
PlatformWindowFactory platformWindowFactory();

} // namespace kestro

// The Win32 back end: a child window of the host's HWND with a window class of its own.
// The window procedure runs inside the host's message loop, so it only records input; the
// frame receives it from pumpEvents at the next effEditIdle and is never re-entered. The
// back buffer is kept as a 32-bit DIB copy, so WM_PAINT repaints without asking the frame.

#include "toolkit/platform_window.h"

#include "platform/windows/dib_pixels.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kestro {

namespace {

HINSTANCE thisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

// Unique per loaded copy of the plug-in: a 32-bit and a 64-bit copy, or two builds in one
// host, never share a class whose procedure lives in the other.
std::wstring className()
{
    return L"TAVKestroFrame" + std::to_wstring(reinterpret_cast<std::uintptr_t>(thisModule()));
}

CButtonState modifiersNow()
{
    std::uint32_t bits = 0;
    if (::GetKeyState(VK_SHIFT) < 0)
        bits |= CButtonState::kShift;
    if (::GetKeyState(VK_CONTROL) < 0)
        bits |= CButtonState::kControl;
    if (::GetKeyState(VK_MENU) < 0)
        bits |= CButtonState::kAlt;
    return bits;
}

CButtonState buttonsOf(WPARAM keys)
{
    std::uint32_t bits = modifiersNow().bits();
    if ((keys & MK_LBUTTON) != 0)
        bits |= CButtonState::kLButton;
    if ((keys & MK_MBUTTON) != 0)
        bits |= CButtonState::kMButton;
    if ((keys & MK_RBUTTON) != 0)
        bits |= CButtonState::kRButton;
    return bits;
}

std::uint8_t keyModifiersNow()
{
    const CButtonState held = modifiersNow();
    return static_cast<std::uint8_t>((held.hasShift() ? kKeyShift : 0) | (held.hasControl() ? kKeyControl : 0) |
                                     ((held.bits() & CButtonState::kAlt) != 0 ? kKeyAlternate : 0));
}

VirtualKey virtualKeyOf(WPARAM key, LPARAM flags)
{
    const bool extended = (flags & (1 << 24)) != 0;
    switch (key) {
    case VK_BACK: return VirtualKey::Back;
    case VK_TAB: return VirtualKey::Tab;
    case VK_RETURN: return extended ? VirtualKey::Enter : VirtualKey::Return;
    case VK_ESCAPE: return VirtualKey::Escape;
    case VK_HOME: return VirtualKey::Home;
    case VK_END: return VirtualKey::End;
    case VK_LEFT: return VirtualKey::Left;
    case VK_RIGHT: return VirtualKey::Right;
    case VK_UP: return VirtualKey::Up;
    case VK_DOWN: return VirtualKey::Down;
    case VK_PRIOR: return VirtualKey::PageUp;
    case VK_NEXT: return VirtualKey::PageDown;
    case VK_DELETE: return VirtualKey::Delete;
    case VK_INSERT: return VirtualKey::Insert;
    case VK_SHIFT: return VirtualKey::Shift;
    case VK_CONTROL: return VirtualKey::Control;
    case VK_MENU: return VirtualKey::Alt;
    default: return VirtualKey::None;
    }
}

// Input as the window procedure saw it, waiting for the next pump.
struct Event {
    enum Kind { Down, Up, Move, Exit, Wheel, KeyDown, KeyUp } kind;
    CPoint where;
    CButtonState buttons;
    std::uint64_t timeMs = 0;
    float distance = 0.0f;
    CKeyCode key;
};

class Win32Window;
int gWindowCount = 0;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool registerClass()
{
    if (gWindowCount > 0)
        return true;
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.style = CS_DBLCLKS;
    description.lpfnWndProc = &windowProcedure;
    description.hInstance = thisModule();
    description.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    const std::wstring name = className();
    description.lpszClassName = name.c_str();
    return ::RegisterClassExW(&description) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Windows keeps a DLL's classes after the DLL is unloaded; the last window takes ours away.
void unregisterClassIfUnused()
{
    if (gWindowCount == 0)
        ::UnregisterClassW(className().c_str(), thisModule());
}

class Win32Window : public PlatformWindow {
public:
    static std::unique_ptr<PlatformWindow> create(const PlatformWindowRequest& request)
    {
        HWND parent = static_cast<HWND>(request.parent);
        if (parent == nullptr || !::IsWindow(parent) || request.width <= 0 || request.height <= 0 ||
            !registerClass())
            return nullptr;
        auto window = std::unique_ptr<Win32Window>(new Win32Window(request.width, request.height));
        ++gWindowCount;
        window->handle = ::CreateWindowExW(0, className().c_str(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                           request.width, request.height, parent, nullptr, thisModule(),
                                           window.get());
        if (window->handle == nullptr)
            return nullptr;
        return window;
    }

    ~Win32Window() override
    {
        if (handle != nullptr) {
            ::SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
            if (::GetCapture() == handle)
                ::ReleaseCapture();
            ::DestroyWindow(handle);
        }
        --gWindowCount;
        unregisterClassIfUnused();
    }

    void present(const PixelSurface& backBuffer, const PixelRect* areas, int count) override
    {
        HDC device = ::GetDC(handle);
        for (int i = 0; i < count; ++i) {
            const PixelRect r = clipped(areas[i], backBuffer);
            if (r.isEmpty())
                continue;
            convert(backBuffer, r);
            blit(device, r);
        }
        ::ReleaseDC(handle, device);
    }

    void pumpEvents(PlatformWindowClient& client) override
    {
        // The queue is taken first: the client may open a dialog whose message loop adds more.
        std::vector<Event> events;
        events.swap(queue);
        for (const Event& e : events)
            deliver(e, client);
    }

    void takeKeyboardFocus() override
    {
        HWND previous = ::SetFocus(handle);
        if (previous != handle)
            focusBefore = previous;
    }

    void releaseKeyboardFocus() override
    {
        if (::GetFocus() != handle)
            return;
        HWND back = focusBefore != nullptr && ::IsWindow(focusBefore) ? focusBefore : ::GetParent(handle);
        focusBefore = nullptr;
        ::SetFocus(back);
    }

    void* nativeHandle() const override { return handle; }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            pressed(message, lParam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            released(message, lParam);
            return 0;
        case WM_MOUSEMOVE:
            moved(wParam, lParam);
            return 0;
        case WM_MOUSELEAVE:
            tracking = false;
            queue.push_back(Event{Event::Exit, {}, {}, 0, 0.0f, {}});
            return 0;
        case WM_CAPTURECHANGED:
            lostCapture(lParam);
            return 0;
        case WM_MOUSEWHEEL: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
            ::ScreenToClient(handle, &at);
            const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
            queue.push_back(Event{Event::Wheel, CPoint(at.x, at.y), buttonsOf(GET_KEYSTATE_WPARAM(wParam)), 0,
                                  notches, {}});
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (keyChanged(message, wParam, lParam))
                return 0;
            break;
        case WM_CHAR:
            typed(wParam);
            return 0;
        case WM_GETDLGCODE:
            // Hosts that route keys as dialogs do must still give us Tab, Enter and arrows.
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
        case WM_ERASEBKGND:
            return 1; // the whole client area is painted from the copy
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC device = ::BeginPaint(handle, &paint);
            const PixelRect r{std::max<int>(paint.rcPaint.left, 0), std::max<int>(paint.rcPaint.top, 0),
                              std::min<int>(paint.rcPaint.right, width), std::min<int>(paint.rcPaint.bottom, height)};
            if (!r.isEmpty())
                blit(device, r);
            ::EndPaint(handle, &paint);
            return 0;
        }
        default:
            break;
        }
        return ::DefWindowProcW(handle, message, wParam, lParam);
    }

    HWND handle = nullptr;

private:
    Win32Window(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0)
    {
    }

    static PixelRect clipped(PixelRect r, const PixelSurface& backBuffer)
    {
        r.x0 = std::max(r.x0, 0);
        r.y0 = std::max(r.y0, 0);
        r.x1 = std::min(r.x1, backBuffer.width);
        r.y1 = std::min(r.y1, backBuffer.height);
        return r;
    }

    // The window is opaque: premultiplied colour over black is the colour itself.
    void convert(const PixelSurface& backBuffer, const PixelRect& r)
    {
        const int x1 = std::min(r.x1, width);
        const int y1 = std::min(r.y1, height);
        for (int y = r.y0; y < y1; ++y) {
            const std::uint8_t* s = backBuffer.data + static_cast<std::ptrdiff_t>(y) * backBuffer.stride + 4 * r.x0;
            std::uint32_t* d = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + r.x0;
            for (int x = r.x0; x < x1; ++x, s += 4)
                *d++ = platform::windows::dibPixel(s);
        }
    }

    // The rows of `r` are handed over as an image of their own, so the source rectangle
    // starts at its top row whatever way the system counts DIB rows.
    void blit(HDC device, const PixelRect& r)
    {
        const int x1 = std::min(r.x1, width);
        const int y1 = std::min(r.y1, height);
        if (x1 <= r.x0 || y1 <= r.y0)
            return;
        const int rows = y1 - r.y0;
        const BITMAPINFO info = platform::windows::topDownDib(width, rows);
        const std::uint32_t* firstRow = pixels.data() + static_cast<std::size_t>(r.y0) * static_cast<std::size_t>(width);
        ::SetDIBitsToDevice(device, r.x0, r.y0, static_cast<DWORD>(x1 - r.x0), static_cast<DWORD>(rows), r.x0, 0, 0,
                            static_cast<UINT>(rows), firstRow, &info, DIB_RGB_COLORS);
    }

    static std::uint32_t buttonOf(UINT message)
    {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            return CButtonState::kLButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
            return CButtonState::kRButton;
        default:
            return CButtonState::kMButton;
        }
    }

    // The frame tells double-clicks by time and distance; a system double-click is a press.
    void pressed(UINT message, LPARAM lParam)
    {
        const std::uint32_t button = buttonOf(message);
        // Moves and the release follow the pointer outside the window while a button is held.
        if (held == 0)
            ::SetCapture(handle);
        held |= button;
        queue.push_back(Event{Event::Down, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)),
                              modifiersNow() | button, ::GetTickCount64(), 0.0f, {}});
    }

    void released(UINT message, LPARAM lParam)
    {
        const std::uint32_t button = buttonOf(message);
        if ((held & button) == 0)
            return; // pressed elsewhere, released over us
        held &= ~button;
        if (held == 0 && ::GetCapture() == handle)
            ::ReleaseCapture();
        queue.push_back(
            Event{Event::Up, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), modifiersNow() | button, 0, 0.0f, {}});
    }

    // Capture taken away mid-press (a dialog, the host, Alt+Tab): the press ends here.
    void lostCapture(LPARAM newOwner)
    {
        if (reinterpret_cast<HWND>(newOwner) == handle || held == 0)
            return;
        for (std::uint32_t button : {CButtonState::kLButton, CButtonState::kRButton, CButtonState::kMButton}) {
            if ((held & button) != 0)
                queue.push_back(Event{Event::Up, lastPosition, modifiersNow() | button, 0, 0.0f, {}});
        }
        held = 0;
    }

    void moved(WPARAM wParam, LPARAM lParam)
    {
        if (!tracking) {
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle, 0};
            tracking = ::TrackMouseEvent(&track) != 0;
        }
        lastPosition = CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        // Only the newest position of a burst matters.
        if (!queue.empty() && queue.back().kind == Event::Move)
            queue.pop_back();
        queue.push_back(Event{Event::Move, lastPosition, buttonsOf(wParam), 0, 0.0f, {}});
    }

    // Keys without a character go out from here; text keys wait for their WM_CHAR.
    bool keyChanged(UINT message, WPARAM wParam, LPARAM lParam)
    {
        CKeyCode key;
        key.virt = virtualKeyOf(wParam, lParam);
        key.modifiers = keyModifiersNow();
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (key.virt == VirtualKey::None) {
            if (down)
                return false;
            // A text key's release carries the character its press made, as best known.
            key.character = ::MapVirtualKeyW(static_cast<UINT>(wParam), MAPVK_VK_TO_CHAR) & 0x7FFFFFFF;
            if (key.character == 0)
                return false;
            if (key.character >= 'A' && key.character <= 'Z' && (key.modifiers & kKeyShift) == 0)
                key.character += 'a' - 'A';
        }
        queue.push_back(Event{down ? Event::KeyDown : Event::KeyUp, {}, {}, 0, 0.0f, key});
        return message == WM_KEYDOWN || message == WM_KEYUP;
    }

    void typed(WPARAM unit)
    {
        const auto u = static_cast<std::uint32_t>(unit);
        if (u >= 0xD800 && u <= 0xDBFF) {
            highSurrogate = u;
            return;
        }
        std::uint32_t character = u;
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (highSurrogate == 0)
                return;
            character = 0x10000 + ((highSurrogate - 0xD800) << 10) + (u - 0xDC00);
        }
        highSurrogate = 0;
        // Control characters arrive as keys of their own (Tab, Enter, Escape, Backspace).
        if (character < 0x20 || character == 0x7F)
            return;
        CKeyCode key;
        key.character = character;
        key.modifiers = keyModifiersNow();
        queue.push_back(Event{Event::KeyDown, {}, {}, 0, 0.0f, key});
    }

    static void deliver(const Event& e, PlatformWindowClient& client)
    {
        switch (e.kind) {
        case Event::Down: client.platformMouseDown(e.where, e.buttons, e.timeMs); break;
        case Event::Up: client.platformMouseUp(e.where, e.buttons); break;
        case Event::Move: client.platformMouseMoved(e.where, e.buttons); break;
        case Event::Exit: client.platformMouseExited(); break;
        case Event::Wheel: client.platformWheel(e.where, e.distance, e.buttons); break;
        case Event::KeyDown: client.platformKeyDown(e.key); break;
        case Event::KeyUp: client.platformKeyUp(e.key); break;
        }
    }

    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    std::vector<Event> queue;
    std::uint32_t held = 0;
    bool tracking = false;
    CPoint lastPosition;
    std::uint32_t highSurrogate = 0;
    HWND focusBefore = nullptr;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* owner = static_cast<Win32Window*>(create->lpCreateParams);
        owner->handle = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return owner->handleMessage(message, wParam, lParam);
}

} // namespace

std::unique_ptr<PlatformWindow> createNativeWindow(const PlatformWindowRequest& request)
{
    return Win32Window::create(request);
}

} // namespace kestro

// The X11 back end: a child window of the host's window on a display connection of its
// own, so nothing here disturbs the host's connection or needs its event loop. Input is
// read and the back buffer presented when the frame's idle asks (effEditIdle); no thread
// is started.

#include "toolkit/platform_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// Xlib's "None" would hide VirtualKey::None; the X side writes 0 instead.
#undef None

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kestro {

namespace {

// X errors of our own connections are recorded instead of ending the process (Xlib's
// default); errors of any other connection go to the handler installed before ours.
std::vector<Display*> ourDisplays;
int lastError = 0;
XErrorHandler previousHandler = nullptr;

int errorHandler(Display* display, XErrorEvent* event)
{
    if (std::find(ourDisplays.begin(), ourDisplays.end(), display) != ourDisplays.end()) {
        lastError = event->error_code;
        return 0;
    }
    return previousHandler != nullptr ? previousHandler(display, event) : 0;
}

void installErrorHandler()
{
    static bool installed = false;
    if (!installed) {
        previousHandler = XSetErrorHandler(&errorHandler);
        installed = true;
    }
}

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

CButtonState modifiersOf(unsigned int state)
{
    std::uint32_t bits = 0;
    if ((state & ShiftMask) != 0)
        bits |= CButtonState::kShift;
    if ((state & ControlMask) != 0)
        bits |= CButtonState::kControl;
    if ((state & Mod1Mask) != 0)
        bits |= CButtonState::kAlt;
    return bits;
}

CButtonState heldButtons(unsigned int state)
{
    std::uint32_t bits = modifiersOf(state).bits();
    if ((state & Button1Mask) != 0)
        bits |= CButtonState::kLButton;
    if ((state & Button2Mask) != 0)
        bits |= CButtonState::kMButton;
    if ((state & Button3Mask) != 0)
        bits |= CButtonState::kRButton;
    return bits;
}

std::uint32_t buttonBit(unsigned int button)
{
    switch (button) {
    case Button1:
        return CButtonState::kLButton;
    case Button2:
        return CButtonState::kMButton;
    case Button3:
        return CButtonState::kRButton;
    default:
        return 0;
    }
}

VirtualKey virtualKeyOf(KeySym sym)
{
    switch (sym) {
    case XK_BackSpace: return VirtualKey::Back;
    case XK_Tab:
    case XK_ISO_Left_Tab: return VirtualKey::Tab;
    case XK_Return: return VirtualKey::Return;
    case XK_KP_Enter: return VirtualKey::Enter;
    case XK_Escape: return VirtualKey::Escape;
    case XK_Home:
    case XK_KP_Home: return VirtualKey::Home;
    case XK_End:
    case XK_KP_End: return VirtualKey::End;
    case XK_Left:
    case XK_KP_Left: return VirtualKey::Left;
    case XK_Right:
    case XK_KP_Right: return VirtualKey::Right;
    case XK_Up:
    case XK_KP_Up: return VirtualKey::Up;
    case XK_Down:
    case XK_KP_Down: return VirtualKey::Down;
    case XK_Page_Up: return VirtualKey::PageUp;
    case XK_Page_Down: return VirtualKey::PageDown;
    case XK_Delete:
    case XK_KP_Delete: return VirtualKey::Delete;
    case XK_Insert: return VirtualKey::Insert;
    case XK_Shift_L:
    case XK_Shift_R: return VirtualKey::Shift;
    case XK_Control_L:
    case XK_Control_R: return VirtualKey::Control;
    case XK_Alt_L:
    case XK_Alt_R: return VirtualKey::Alt;
    default: return VirtualKey::None;
    }
}

// Latin-1 keysyms are their code points; Unicode keysyms carry theirs above 0x01000000.
std::uint32_t characterOf(KeySym sym)
{
    if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
        return static_cast<std::uint32_t>(sym);
    if ((sym & 0xFF000000) == 0x01000000)
        return static_cast<std::uint32_t>(sym & 0x00FFFFFF);
    return 0;
}

class X11Window : public PlatformWindow {
public:
    static std::unique_ptr<PlatformWindow> create(const PlatformWindowRequest& request)
    {
        if (request.parent == nullptr || request.width <= 0 || request.height <= 0)
            return nullptr;
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return nullptr;
        installErrorHandler();
        ourDisplays.push_back(display);
        auto window = std::unique_ptr<X11Window>(new X11Window(display, request));
        if (!window->ok())
            return nullptr;
        return window;
    }

    ~X11Window() override
    {
        if (window != 0)
            XDestroyWindow(display, window);
        if (image != nullptr) {
            image->data = nullptr; // the pixels are ours, not Xlib's
            XDestroyImage(image);
        }
        if (gc != nullptr)
            XFreeGC(display, gc);
        XSync(display, False);
        ourDisplays.erase(std::remove(ourDisplays.begin(), ourDisplays.end(), display), ourDisplays.end());
        XCloseDisplay(display);
    }

    void present(const PixelSurface& backBuffer, const PixelRect* areas, int count) override
    {
        if (image == nullptr)
            return;
        for (int i = 0; i < count; ++i) {
            PixelRect r = areas[i];
            r.x0 = std::max(r.x0, 0);
            r.y0 = std::max(r.y0, 0);
            r.x1 = std::min({r.x1, width, backBuffer.width});
            r.y1 = std::min({r.y1, height, backBuffer.height});
            if (r.isEmpty())
                continue;
            convert(backBuffer, r);
            XPutImage(display, window, gc, image, r.x0, r.y0, r.x0, r.y0, static_cast<unsigned>(r.width()),
                      static_cast<unsigned>(r.height()));
        }
        XFlush(display);
    }

    void pumpEvents(PlatformWindowClient& client) override
    {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            dispatch(event, client);
        }
    }

    void takeKeyboardFocus() override
    {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XFlush(display);
    }

    void releaseKeyboardFocus() override
    {
        XSetInputFocus(display, parent, RevertToParent, CurrentTime);
        XFlush(display);
    }

    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

private:
    X11Window(Display* connection, const PlatformWindowRequest& request)
        : display(connection), parent(static_cast<Window>(reinterpret_cast<std::uintptr_t>(request.parent))),
          width(request.width), height(request.height)
    {
        lastError = 0;
        XWindowAttributes parentAttributes{};
        if (XGetWindowAttributes(display, parent, &parentAttributes) == 0 || lastError != 0)
            return;
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                LeaveWindowMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask;
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        attributes.border_pixel = 0;
        attributes.colormap = parentAttributes.colormap;
        window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                               parentAttributes.depth, InputOutput, parentAttributes.visual,
                               CWEventMask | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
        XSync(display, False);
        if (lastError != 0) {
            window = 0;
            return;
        }
        Visual* visual = parentAttributes.visual;
        if (visual->c_class != TrueColor || parentAttributes.depth < 24) {
            // Only true-colour displays are served; anything older gets no picture.
            XDestroyWindow(display, window);
            window = 0;
            return;
        }
        redShift = shiftOf(visual->red_mask);
        greenShift = shiftOf(visual->green_mask);
        blueShift = shiftOf(visual->blue_mask);
        pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        image = XCreateImage(display, visual, static_cast<unsigned>(parentAttributes.depth), ZPixmap, 0,
                             reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 32, width * 4);
        gc = XCreateGC(display, window, 0, nullptr);
        XMapWindow(display, window);
        XSync(display, False);
        if (image == nullptr || lastError != 0) {
            XDestroyWindow(display, window);
            window = 0;
        }
    }

    bool ok() const { return window != 0; }

    // The window is opaque: premultiplied colour over black is the colour itself.
    void convert(const PixelSurface& backBuffer, const PixelRect& r)
    {
        for (int y = r.y0; y < r.y1; ++y) {
            const std::uint8_t* s = backBuffer.data + static_cast<std::ptrdiff_t>(y) * backBuffer.stride + 4 * r.x0;
            std::uint32_t* d = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + r.x0;
            for (int x = r.x0; x < r.x1; ++x, s += 4)
                *d++ = (std::uint32_t{s[0]} << redShift) | (std::uint32_t{s[1]} << greenShift) |
                       (std::uint32_t{s[2]} << blueShift);
        }
    }

    void dispatch(XEvent& event, PlatformWindowClient& client)
    {
        switch (event.type) {
        case ButtonPress: {
            const XButtonEvent& e = event.xbutton;
            const CPoint where(e.x, e.y);
            if (e.button == Button4 || e.button == Button5) {
                client.platformWheel(where, e.button == Button4 ? 1.0f : -1.0f, heldButtons(e.state));
                break;
            }
            const std::uint32_t bit = buttonBit(e.button);
            if (bit != 0)
                client.platformMouseDown(where, modifiersOf(e.state) | bit, e.time);
            break;
        }
        case ButtonRelease: {
            const XButtonEvent& e = event.xbutton;
            const std::uint32_t bit = buttonBit(e.button);
            if (bit != 0)
                client.platformMouseUp(CPoint(e.x, e.y), modifiersOf(e.state) | bit);
            break;
        }
        case MotionNotify: {
            // Only the newest position of a burst matters.
            while (XCheckTypedWindowEvent(display, window, MotionNotify, &event)) {
            }
            const XMotionEvent& e = event.xmotion;
            client.platformMouseMoved(CPoint(e.x, e.y), heldButtons(e.state));
            break;
        }
        case LeaveNotify:
            if (event.xcrossing.detail != NotifyInferior)
                client.platformMouseExited();
            break;
        case KeyPress:
        case KeyRelease: {
            XKeyEvent& e = event.xkey;
            KeySym sym = NoSymbol;
            char ignored[8];
            XLookupString(&e, ignored, sizeof ignored, &sym, nullptr);
            CKeyCode key;
            key.virt = virtualKeyOf(sym);
            key.character = key.virt == VirtualKey::None ? characterOf(sym) : 0;
            key.modifiers = static_cast<std::uint8_t>(((e.state & ShiftMask) != 0 ? kKeyShift : 0) |
                                                      ((e.state & ControlMask) != 0 ? kKeyControl : 0) |
                                                      ((e.state & Mod1Mask) != 0 ? kKeyAlternate : 0));
            if (event.type == KeyPress)
                client.platformKeyDown(key);
            else
                client.platformKeyUp(key);
            break;
        }
        case Expose:
            if (event.xexpose.count == 0)
                client.platformRedrawAll();
            break;
        default:
            break;
        }
    }

    Display* display;
    Window parent;
    Window window = 0;
    int width;
    int height;
    GC gc = nullptr;
    XImage* image = nullptr;
    std::vector<std::uint32_t> pixels;
    int redShift = 16;
    int greenShift = 8;
    int blueShift = 0;
};

} // namespace

std::unique_ptr<PlatformWindow> createNativeWindow(const PlatformWindowRequest& request)
{
    return X11Window::create(request);
}

} // namespace kestro

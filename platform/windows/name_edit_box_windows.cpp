// The program name box on Windows: a native single-line EDIT control laid over the name
// field as a child of the plug-in window, with the field's font, colour and alignment, no
// margins, and the field's own background under transparent text. The EDIT control and the
// plug-in window are subclassed while the box is open (keys and focus of the one, colours
// and change notices of the other) and given their procedures back when it closes.

#include "editor/controls/name_edit_box.h"

#include "platform/windows/dib_pixels.h"
#include "platform/windows/wide_text.h"
#include "toolkit/cframe.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestro {

namespace {

constexpr const wchar_t* kBoxProperty = L"TAVKestroNameBox";

class NativeNameEditBox final : public NameEditBox {
public:
    NativeNameEditBox(HWND window, NameEditBoxClient& boxClient) : parent(window), client(boxClient) {}
    ~NativeNameEditBox() override { close(); }

    bool open(const NameEditRequest& request);
    bool isOpen() const override { return edit != nullptr; }

private:
    static LRESULT CALLBACK editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool makeBackground(const NameEditRequest& request, const RECT& area);
    std::string currentText() const;
    // Closes the box first, then tells the client: it may destroy the box afterwards.
    void finish(bool commit);
    void close();

    HWND parent;
    NameEditBoxClient& client;
    HWND edit = nullptr;
    WNDPROC editBefore = nullptr;
    WNDPROC parentBefore = nullptr;
    HFONT font = nullptr;
    HBITMAP backgroundBitmap = nullptr;
    HBRUSH background = nullptr;
    COLORREF textColour = 0;
    bool finishing = false;
};

NativeNameEditBox* boxOf(HWND window)
{
    return static_cast<NativeNameEditBox*>(::GetPropW(window, kBoxProperty));
}

// The box rectangle: the field's, with its height set by the font around the field's middle.
RECT boxArea(const NameEditRequest& request)
{
    const double h = request.font.size;
    const double middle = std::floor((request.area.top + request.area.bottom) / 2.0);
    return RECT{static_cast<LONG>(request.area.left), static_cast<LONG>(middle - h / 2.0 - 1.0),
                static_cast<LONG>(request.area.right), static_cast<LONG>(middle + h / 2.0 + 2.0)};
}

DWORD alignmentStyle(CHoriTxtAlign align)
{
    switch (align) {
    case kLeftText: return ES_LEFT;
    case kRightText: return ES_RIGHT;
    default: return ES_CENTER;
    }
}

bool NativeNameEditBox::open(const NameEditRequest& request)
{
    const RECT area = boxArea(request);
    if (area.right <= area.left || area.bottom <= area.top || !makeBackground(request, area))
        return false;
    const std::wstring face = platform::windows::widen(request.font.name);
    font = ::CreateFontW(-request.font.size, 0, 0, 0, FW_NORMAL, (request.font.style & kItalicFace) != 0,
                         (request.font.style & kUnderlineFace) != 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    textColour = RGB(request.fontColor.red, request.fontColor.green, request.fontColor.blue);
    edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignmentStyle(request.align),
                             area.left, area.top, area.right - area.left, area.bottom - area.top, parent, nullptr,
                             reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (edit == nullptr)
        return false;
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(request.maxCharacters), 0);
    ::SetWindowTextW(edit, platform::windows::widen(request.text).c_str());

    ::SetPropW(edit, kBoxProperty, this);
    ::SetPropW(parent, kBoxProperty, this);
    editBefore = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeNameEditBox::editProcedure)));
    parentBefore = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeNameEditBox::parentProcedure)));

    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
    return edit != nullptr; // focus refused and lost at once closes the box again
}

// A snapshot of what the field shows under its text, as the brush the box paints with.
bool NativeNameEditBox::makeBackground(const NameEditRequest& request, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    if (request.background != nullptr && request.background->isLoaded()) {
        PixelSurface surface{rgba.data(), width, height, width * 4};
        CDrawContext context(surface);
        const CPoint source(request.backOffset.x + (area.left - request.area.left),
                            request.backOffset.y + (area.top - request.area.top));
        context.drawBitmap(*request.background, CRect(0, 0, width, height), source);
    }
    const BITMAPINFO info = platform::windows::topDownDib(width, height);
    void* bits = nullptr;
    backgroundBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (backgroundBitmap == nullptr)
        return false;
    auto* pixel = static_cast<std::uint32_t*>(bits);
    // Opaque over white, as the field's back colour is.
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        *pixel++ = platform::windows::dibPixel(&rgba[i], 255);
    background = ::CreatePatternBrush(backgroundBitmap);
    return background != nullptr;
}

std::string NativeNameEditBox::currentText() const
{
    const int length = ::GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(edit, text.data(), length + 1)));
    return platform::windows::narrow(text);
}

void NativeNameEditBox::finish(bool commit)
{
    if (finishing || edit == nullptr)
        return;
    finishing = true;
    const std::string text = currentText();
    close();
    if (commit)
        client.nameEditCommitted(text);
    else
        client.nameEditCancelled();
}

void NativeNameEditBox::close()
{
    if (edit != nullptr) {
        HWND closing = edit;
        edit = nullptr;
        if (editBefore != nullptr)
            ::SetWindowLongPtrW(closing, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editBefore));
        if (parentBefore != nullptr)
            ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(parentBefore));
        editBefore = nullptr;
        parentBefore = nullptr;
        ::RemovePropW(closing, kBoxProperty);
        ::RemovePropW(parent, kBoxProperty);
        const bool hadFocus = ::GetFocus() == closing;
        ::DestroyWindow(closing);
        if (hadFocus)
            ::SetFocus(parent);
    }
    ::DeleteObject(font);
    ::DeleteObject(background);
    ::DeleteObject(backgroundBitmap);
    font = nullptr;
    background = nullptr;
    backgroundBitmap = nullptr;
    finishing = false;
}

LRESULT CALLBACK NativeNameEditBox::editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    NativeNameEditBox* box = boxOf(window);
    if (box == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC before = box->editBefore;
    switch (message) {
    case WM_GETDLGCODE:
        return ::CallWindowProcW(before, window, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_TAB || wParam == VK_ESCAPE) {
            box->finish(wParam != VK_ESCAPE);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B)
            return 0; // handled as keys above; no beep
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = ::CallWindowProcW(before, window, message, wParam, lParam);
        box->finish(true);
        return result;
    }
    default:
        break;
    }
    return ::CallWindowProcW(before, window, message, wParam, lParam);
}

LRESULT CALLBACK NativeNameEditBox::parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    NativeNameEditBox* box = boxOf(window);
    if (box == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const bool fromBox = reinterpret_cast<HWND>(lParam) == box->edit && box->edit != nullptr;
    if (message == WM_CTLCOLOREDIT && fromBox) {
        HDC device = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(device, box->textColour);
        ::SetBkMode(device, TRANSPARENT);
        return reinterpret_cast<LRESULT>(box->background);
    }
    if (message == WM_COMMAND && fromBox && HIWORD(wParam) == EN_CHANGE) {
        box->client.nameEditChanged(box->currentText());
        return 0;
    }
    return ::CallWindowProcW(box->parentBefore, window, message, wParam, lParam);
}

} // namespace

std::unique_ptr<NameEditBox> openNameEditBox(CFrame& frame, const NameEditRequest& request,
                                             NameEditBoxClient& client)
{
    PlatformWindow* window = frame.getPlatformWindow();
    HWND parent = window != nullptr ? static_cast<HWND>(window->nativeHandle()) : nullptr;
    // Headless frames (tests, offline rendering) have no native window: the in-window entry.
    if (parent == nullptr || !::IsWindow(parent))
        return openInWindowNameEditBox(frame, request, client);
    auto box = std::make_unique<NativeNameEditBox>(parent, client);
    if (!box->open(request))
        return nullptr;
    return box;
}

} // namespace kestro

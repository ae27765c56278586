#include "windows_test_support.h"

#include "platform/windows/wide_text.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace kestro::test {

void clearSettingsStore()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\TAV-quillmoor");
}

std::optional<RegistryValue> readStoreValue(const wchar_t* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
        value.bytes.resize(size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void writeStoreValue(const wchar_t* name, DWORD type, const void* data, std::size_t size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    ::RegCloseKey(key);
}

std::vector<std::uint8_t> wideBytes(const std::wstring& text, bool withTerminator)
{
    const std::size_t units = text.size() + (withTerminator ? 1 : 0);
    std::vector<std::uint8_t> bytes(units * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

// ---- temporary folders ----

namespace {

void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

std::atomic<int> gFolderCount{0};

} // namespace

TemporaryFolder::TemporaryFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
    path_ = std::wstring(base, length);
    if (!path_.empty() && path_.back() == L'\\')
        path_.pop_back();
    // Latin with diacritics, Cyrillic, CJK and a character outside the basic plane.
    path_ += L"\\kestro-\u00C6r\u00F8-\u0416-\u65E5\u672C-\U0001F3B9-" + std::to_wstring(::GetCurrentProcessId()) +
             L"-" + std::to_wstring(gFolderCount.fetch_add(1));
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TemporaryFolder::~TemporaryFolder()
{
    removeTree(path_);
}

std::string TemporaryFolder::utf8() const
{
    return platform::windows::narrow(path_);
}

std::vector<std::wstring> TemporaryFolder::entries() const
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// ---- message boxes ----

namespace {

// The dialog class of standard message boxes and the id of their text.
constexpr const wchar_t* kDialogClass = L"#32770";
constexpr int kMessageTextId = 0xFFFF;

struct Search {
    HWND box = nullptr;
    HWND skip = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (window != search->skip && std::wcscmp(name, kDialogClass) == 0 && ::IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::wstring windowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

MessageBoxWatcher::MessageBoxWatcher(Answer answer, DWORD thread)
    : answer_(std::move(answer)), thread_(thread), stopEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      watcher_([this] { watch(); })
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    stop();
    ::CloseHandle(stopEvent_);
}

std::vector<MessageBoxWatcher::Box> MessageBoxWatcher::stop()
{
    ::SetEvent(stopEvent_);
    if (watcher_.joinable())
        watcher_.join();
    return boxes_;
}

void MessageBoxWatcher::watch()
{
    HWND answered = nullptr;
    while (::WaitForSingleObject(stopEvent_, 10) == WAIT_TIMEOUT) {
        Search search;
        search.skip = answered;
        ::EnumThreadWindows(thread_, findBox, reinterpret_cast<LPARAM>(&search));
        if (search.box == nullptr)
            continue;
        HWND text = ::GetDlgItem(search.box, kMessageTextId);
        boxes_.push_back(Box{windowText(search.box), text != nullptr ? windowText(text) : std::wstring()});
        answered = search.box;
        if (answer_)
            answer_(search.box);
        else
            ::PostMessageW(search.box, WM_COMMAND, IDOK, 0);
    }
}

// ---- a host's window and a user's input ----

void pumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void sendMouse(DWORD flags, DWORD wheel)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = wheel;
    ::SendInput(1, &input, sizeof input);
}

void sendKey(WORD key, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
}

void typeKey(WORD key)
{
    sendKey(key, true);
    sendKey(key, false);
}

void moveTo(HWND window, int x, int y)
{
    POINT at{x, y};
    ::ClientToScreen(window, &at);
    ::SetCursorPos(at.x, at.y);
}

void clickAt(HWND window, int x, int y)
{
    moveTo(window, x, y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

std::vector<HWND> childrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HostWindow::HostWindow(int width, int height)
{
    WNDCLASSW description{};
    description.lpfnWndProc = &::DefWindowProcW;
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.lpszClassName = L"KestroTestHost";
    ::RegisterClassW(&description);
    handle = ::CreateWindowExW(0, L"KestroTestHost", L"Host", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                               nullptr, description.hInstance, nullptr);
    ::SetForegroundWindow(handle);
    pumpMessages();
}

HostWindow::~HostWindow()
{
    ::DestroyWindow(handle);
    pumpMessages();
}

} // namespace kestro::test

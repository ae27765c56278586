#pragma once
// What the Windows tests need around the code under test: the settings store as the
// registry shows it, temporary folders with non-ASCII names, and a watcher that reads and
// answers the message boxes the plug-in shows.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestro::test {

// The product's key below HKEY_CURRENT_USER.
inline constexpr const wchar_t* kStoreKey = L"SOFTWARE\\TAV-quillmoor\\TAVKST1";

// Deletes the whole key: as for a user who never ran the plug-in.
void clearSettingsStore();

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};
// A value of the product's key as the registry itself holds it.
std::optional<RegistryValue> readStoreValue(const wchar_t* name);
void writeStoreValue(const wchar_t* name, DWORD type, const void* data, std::size_t size);

std::vector<std::uint8_t> wideBytes(const std::wstring& text, bool withTerminator);

// A fresh folder under the temporary directory, named with characters from several scripts,
// removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::wstring& path() const { return path_; } // no trailing backslash
    std::string utf8() const;                         // the same path in UTF-8
    std::vector<std::wstring> entries() const;        // file names inside, sorted

private:
    std::wstring path_;
};

// Watches one thread for dialogs (message boxes, file dialogs) while it waits in one. Each
// dialog found is handed to `answer` once; the default reads a message box and presses OK.
class MessageBoxWatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };
    using Answer = std::function<void(HWND dialog)>;

    explicit MessageBoxWatcher(Answer answer = {}, DWORD thread = ::GetCurrentThreadId());
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Stops watching and gives every dialog seen, in order (text: a message box's text).
    std::vector<Box> stop();

private:
    void watch();

    Answer answer_;
    DWORD thread_;
    HANDLE stopEvent_;
    std::vector<Box> boxes_;
    std::thread watcher_;
};

std::wstring windowText(HWND window);

// ---- a host's window and a user's input ----

// Dispatches whatever is waiting, as a host's message loop does between idle calls.
void pumpMessages();

// Pumps messages and runs `idle` (the host's effEditIdle) until `done`, for three seconds
// at most.
template <typename Done>
bool waitUntil(Done done, const std::function<void()>& idle = {})
{
    for (int i = 0; i < 300; ++i) {
        pumpMessages();
        if (idle)
            idle();
        if (done())
            return true;
        ::Sleep(10);
    }
    return false;
}

// Real input, as from a user's mouse and keyboard.
void sendMouse(DWORD flags, DWORD wheel = 0);
void sendKey(WORD key, bool down);
void typeKey(WORD key);
void moveTo(HWND window, int x, int y);
void clickAt(HWND window, int x, int y);

std::vector<HWND> childrenOf(HWND parent);

// A host's top-level window, shown and in front.
class HostWindow {
public:
    explicit HostWindow(int width = 300, int height = 200);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND handle = nullptr;
};

} // namespace kestro::test

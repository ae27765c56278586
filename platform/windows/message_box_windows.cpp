// A standard Windows message box with an OK button, owned by the plug-in window when one is
// open; without one it is modal to every window of the calling thread, so the host's window
// cannot be used behind it either way.

#include "platform/message_box.h"

#include "platform/windows/native_owner.h"
#include "platform/windows/wide_text.h"

#include <windows.h>

namespace kestro::platform {

void showMessage(const char* text, const char* caption)
{
    if (text == nullptr)
        return;
    const std::wstring wideText = windows::widen(text);
    const std::wstring wideCaption = windows::widen(caption != nullptr ? caption : "");
    HWND owner = windows::dialogOwner();
    ::MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), MB_OK | (owner == nullptr ? MB_TASKMODAL : 0));
}

} // namespace kestro::platform

// A standard Windows message box with an OK button. It has no owner window to hand, so it
// is modal to every window of the calling thread: the host's window cannot be used behind it.

#include "platform/message_box.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

namespace kestro::platform {

void showMessage(const char* text, const char* caption)
{
    if (text == nullptr)
        return;
    const std::wstring wideText = windows::widen(text);
    const std::wstring wideCaption = windows::widen(caption != nullptr ? caption : "");
    ::MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), MB_OK | MB_TASKMODAL);
}

} // namespace kestro::platform

#pragma once
// The window that system dialogs belong to: the open plug-in window, so a message box or
// the shell's own prompts stay in front of the host and block it as a dialog of the plug-in
// should; none when no editor is open.

#include <windows.h>

namespace kestro::platform::windows {

HWND dialogOwner();

} // namespace kestro::platform::windows

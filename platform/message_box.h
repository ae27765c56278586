#pragma once
// The few messages the plug-in shows the user: on Windows the system's message box; elsewhere
// a message box in the plug-in window when one is open, else the standard error stream,
// which hosts usually log.

namespace kestro::platform {

// An empty caption shows the text alone.
void showMessage(const char* text, const char* caption);

} // namespace kestro::platform

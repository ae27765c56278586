#pragma once
// The few messages the plug-in shows the user. Windows shows its standard message box;
// elsewhere, until the editor can draw a box of its own, they go to the standard error
// stream, which hosts usually log.

namespace kestro::platform {

// An empty caption shows the text alone.
void showMessage(const char* text, const char* caption);

} // namespace kestro::platform

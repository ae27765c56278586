// On Linux the program name is typed in the toolkit's own entry inside the plug-in window:
// a host's X11 window offers no native edit control to embed.

#include "editor/controls/name_edit_box.h"

namespace kestro {

std::unique_ptr<NameEditBox> openNameEditBox(CFrame& frame, const NameEditRequest& request,
                                             NameEditBoxClient& client)
{
    return openInWindowNameEditBox(frame, request, client);
}

} // namespace kestro

// The program name box on Windows. Until the native EDIT control takes its place here, the
// toolkit's in-window entry serves, with the same keys and limits.

#include "editor/controls/name_edit_box.h"

namespace kestro {

std::unique_ptr<NameEditBox> openNameEditBox(CFrame& frame, const NameEditRequest& request,
                                             NameEditBoxClient& client)
{
    return openInWindowNameEditBox(frame, request, client);
}

} // namespace kestro

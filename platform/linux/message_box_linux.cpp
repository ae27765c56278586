#include "platform/message_box.h"

#include "toolkit/cmessage_box.h"

#include <cstdio>

namespace kestro::platform {

void showMessage(const char* text, const char* caption)
{
    if (text == nullptr)
        return;
    // Inside the plug-in window when one is open; hosts usually log the error stream.
    if (showMessageInActiveFrame(text, caption))
        return;
    if (caption != nullptr && caption[0] != '\0')
        std::fprintf(stderr, "%s: %s\n", caption, text);
    else
        std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

} // namespace kestro::platform

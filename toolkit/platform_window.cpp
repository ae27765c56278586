#include "toolkit/platform_window.h"

#include "toolkit/headless_parent.h"

#include <cstdlib>
#include <cstring>

namespace kestro {

namespace {

// Read when a frame opens, so a host may set the variable just before effEditOpen.
std::unique_ptr<PlatformWindow> defaultWindow(const PlatformWindowRequest& request)
{
    const char* headless = std::getenv(kHeadlessParentVariable);
    if (headless != nullptr && std::strcmp(headless, "1") == 0)
        return createHostedHeadlessWindow(request);
    return createNativeWindow(request);
}

PlatformWindowFactory currentFactory = &defaultWindow;

} // namespace

PlatformWindowFactory setPlatformWindowFactory(PlatformWindowFactory factory)
{
    PlatformWindowFactory previous = currentFactory;
    currentFactory = factory != nullptr ? factory : &defaultWindow;
    return previous;
}

PlatformWindowFactory platformWindowFactory() { return currentFactory; }

} // namespace kestro

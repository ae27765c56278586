#include "toolkit/platform_window.h"

namespace kestro {

namespace {
PlatformWindowFactory currentFactory = &createNativeWindow;
}

PlatformWindowFactory setPlatformWindowFactory(PlatformWindowFactory factory)
{
    PlatformWindowFactory previous = currentFactory;
    currentFactory = factory != nullptr ? factory : &createNativeWindow;
    return previous;
}

PlatformWindowFactory platformWindowFactory() { return currentFactory; }

} // namespace kestro

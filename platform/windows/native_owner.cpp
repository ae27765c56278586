#include "platform/windows/native_owner.h"

#include "toolkit/cframe.h"

namespace kestro::platform::windows {

HWND dialogOwner()
{
    CFrame* frame = CFrame::activeFrame();
    if (frame == nullptr || frame->getPlatformWindow() == nullptr)
        return nullptr;
    HWND window = static_cast<HWND>(frame->getPlatformWindow()->nativeHandle());
    return window != nullptr && ::IsWindow(window) ? window : nullptr;
}

} // namespace kestro::platform::windows

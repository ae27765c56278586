// The window behind a KestroHeadlessParent: what the frame presents lands in the host's
// pixel buffer, and the host's event list is the input.

#include "toolkit/headless_parent.h"
#include "toolkit/platform_window.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestro {

namespace {

class HostedHeadlessWindow final : public PlatformWindow {
public:
    explicit HostedHeadlessWindow(KestroHeadlessParent& hostParent) : parent(hostParent) {}

    void present(const PixelSurface& backBuffer, const PixelRect* areas, int count) override
    {
        if (parent.pixels == nullptr)
            return;
        for (int i = 0; i < count; ++i) {
            const int x0 = std::max(areas[i].x0, 0);
            const int y0 = std::max(areas[i].y0, 0);
            const int x1 = std::min({areas[i].x1, parent.width, backBuffer.width, parent.stride / 4});
            const int y1 = std::min({areas[i].y1, parent.height, backBuffer.height});
            for (int y = y0; y < y1 && x1 > x0; ++y)
                std::memcpy(parent.pixels + static_cast<std::ptrdiff_t>(y) * parent.stride + 4 * x0,
                            backBuffer.data + static_cast<std::ptrdiff_t>(y) * backBuffer.stride + 4 * x0,
                            static_cast<std::size_t>(x1 - x0) * 4);
        }
    }

    void pumpEvents(PlatformWindowClient& client) override
    {
        const int count = std::clamp(parent.eventCount, 0, kKestroHeadlessMaxEvents);
        const std::vector<KestroHeadlessEvent> pending(parent.events, parent.events + count);
        parent.eventCount = 0;
        for (const KestroHeadlessEvent& event : pending) {
            const CPoint where(event.x, event.y);
            const CButtonState buttons(event.buttons);
            switch (event.type) {
            case kKestroHeadlessMouseDown:
                client.platformMouseDown(where, buttons, event.timeMs);
                break;
            case kKestroHeadlessMouseUp:
                client.platformMouseUp(where, buttons);
                break;
            case kKestroHeadlessMouseMoved:
                client.platformMouseMoved(where, buttons);
                break;
            case kKestroHeadlessMouseExited:
                client.platformMouseExited();
                break;
            case kKestroHeadlessWheel:
                client.platformWheel(where, event.distance, buttons);
                break;
            default:
                break;
            }
        }
    }

    void takeKeyboardFocus() override {}
    void releaseKeyboardFocus() override {}
    void* nativeHandle() const override { return nullptr; }

private:
    KestroHeadlessParent& parent;
};

} // namespace

std::unique_ptr<PlatformWindow> createHostedHeadlessWindow(const PlatformWindowRequest& request)
{
    auto* parent = static_cast<KestroHeadlessParent*>(request.parent);
    if (parent == nullptr || parent->magic != kKestroHeadlessMagic || parent->version != kKestroHeadlessVersion ||
        parent->width < request.width || parent->height < request.height || parent->stride < 4 * parent->width)
        return nullptr;
    return std::make_unique<HostedHeadlessWindow>(*parent);
}

} // namespace kestro

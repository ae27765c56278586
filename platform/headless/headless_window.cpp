#include "platform/headless/headless_window.h"

#include "toolkit/utf8.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kestro {

std::unique_ptr<PlatformWindow> createHeadlessWindow(const PlatformWindowRequest& request)
{
    return std::make_unique<HeadlessWindow>(request.width, request.height);
}

HeadlessWindow::HeadlessWindow(int width, int height)
    : screenPixels(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 4, 0),
      screenWidth(std::max(width, 0)), screenHeight(std::max(height, 0))
{
}

void HeadlessWindow::present(const PixelSurface& backBuffer, const PixelRect* areas, int count)
{
    ++presents;
    lastAreas.assign(areas, areas + count);
    for (int i = 0; i < count; ++i) {
        PixelRect r = areas[i];
        r.x0 = std::max(r.x0, 0);
        r.y0 = std::max(r.y0, 0);
        r.x1 = std::min({r.x1, screenWidth, backBuffer.width});
        r.y1 = std::min({r.y1, screenHeight, backBuffer.height});
        for (int y = r.y0; y < r.y1; ++y)
            std::memcpy(screenPixels.data() + (static_cast<std::size_t>(y) * screenWidth + r.x0) * 4,
                        backBuffer.data + static_cast<std::ptrdiff_t>(y) * backBuffer.stride + 4 * r.x0,
                        static_cast<std::size_t>(std::max(0, r.x1 - r.x0)) * 4);
    }
}

void HeadlessWindow::pumpEvents(PlatformWindowClient& client)
{
    auto pending = std::move(queue);
    queue.clear();
    for (auto& event : pending)
        event(client);
}

void HeadlessWindow::injectMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t timeMs)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformMouseDown(where, buttons, timeMs); });
}

void HeadlessWindow::injectMouseUp(const CPoint& where, CButtonState buttons)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformMouseUp(where, buttons); });
}

void HeadlessWindow::injectMouseMoved(const CPoint& where, CButtonState buttons)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformMouseMoved(where, buttons); });
}

void HeadlessWindow::injectMouseExited()
{
    queue.emplace_back([](PlatformWindowClient& c) { c.platformMouseExited(); });
}

void HeadlessWindow::injectWheel(const CPoint& where, float distance, CButtonState buttons)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformWheel(where, distance, buttons); });
}

void HeadlessWindow::injectKeyDown(const CKeyCode& key)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformKeyDown(key); });
}

void HeadlessWindow::injectKeyUp(const CKeyCode& key)
{
    queue.emplace_back([=](PlatformWindowClient& c) { c.platformKeyUp(key); });
}

void HeadlessWindow::injectClick(const CPoint& where, CButtonState buttons, std::uint64_t timeMs)
{
    injectMouseDown(where, buttons, timeMs);
    injectMouseUp(where, buttons);
}

void HeadlessWindow::injectText(const char* text)
{
    std::string_view view(text != nullptr ? text : "");
    for (std::size_t pos = 0; pos < view.size();) {
        CKeyCode key;
        key.character = utf8::decode(view, pos);
        injectKeyDown(key);
        injectKeyUp(key);
    }
}

bool HeadlessWindow::writePng(const std::string& path) const
{
    return writePixelsAsPng(path, screenPixels.data(), screenWidth, screenHeight, 4 * screenWidth);
}

} // namespace kestro

// The Win32 back end in a real (wine) window tree: the frame's window is a child of the
// parent it is given, at the frame's size, shows the back buffer, and turns real input
// (SendInput, as from a user's mouse and keyboard) into frame events at the next idle:
// presses with capture while a button is held, double-clicks, the wheel and keys.

#include "windows_test_support.h"

#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

using namespace kestro;
using namespace kestro::test;

namespace {

struct Recorded {
    enum Kind { Down, Up, Move, Wheel, Key } kind;
    CPoint where;
    CButtonState buttons;
    float distance = 0.0f;
    CKeyCode key;
};

class Recorder : public PlatformWindowClient {
public:
    void platformMouseDown(const CPoint& where, CButtonState buttons, std::uint64_t) override
    {
        events.push_back({Recorded::Down, where, buttons, 0.0f, {}});
    }
    void platformMouseUp(const CPoint& where, CButtonState buttons) override
    {
        events.push_back({Recorded::Up, where, buttons, 0.0f, {}});
    }
    void platformMouseMoved(const CPoint& where, CButtonState buttons) override
    {
        events.push_back({Recorded::Move, where, buttons, 0.0f, {}});
    }
    void platformMouseExited() override {}
    void platformWheel(const CPoint& where, float distance, CButtonState buttons) override
    {
        events.push_back({Recorded::Wheel, where, buttons, distance, {}});
    }
    bool platformKeyDown(const CKeyCode& key) override
    {
        events.push_back({Recorded::Key, {}, {}, 0.0f, key});
        return true;
    }
    bool platformKeyUp(const CKeyCode&) override { return true; }
    void platformRedrawAll() override {}

    int count(Recorded::Kind kind) const
    {
        int n = 0;
        for (const Recorded& e : events)
            n += e.kind == kind ? 1 : 0;
        return n;
    }
    const Recorded* last(Recorded::Kind kind) const
    {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->kind == kind)
                return &*it;
        return nullptr;
    }
    std::vector<Recorded> events;
};

struct Listener : CControlListener {
    void valueChanged(CControl*) override { ++changes; }
    int changes = 0;
};

} // namespace

TEST(Win32Window, ChildOfTheParentShowsTheFrameAndFollowsRealClicks)
{
    HostWindow host;
    for (int round = 0; round < 2; ++round) {
        Listener listener;
        auto* frame = new CFrame(CRect(0, 0, 120, 80), host.handle, nullptr);
        ASSERT_TRUE(frame->isOpen());
        frame->setBackgroundColor(CColor{200, 100, 50, 255});
        auto* button = new COnOffButton(CRect(20, 20, 60, 40), &listener, 0, nullptr);
        frame->addView(button);

        const auto children = childrenOf(host.handle);
        ASSERT_EQ(children.size(), 1u);
        HWND window = children[0];
        EXPECT_EQ(window, frame->getPlatformWindow()->nativeHandle());
        RECT client{};
        ::GetClientRect(window, &client);
        EXPECT_EQ(client.right, 120);
        EXPECT_EQ(client.bottom, 80);
        EXPECT_TRUE(::IsWindowVisible(window));

        COLORREF shown = 0;
        EXPECT_TRUE(waitUntil(
            [&] {
                HDC device = ::GetDC(window);
                shown = ::GetPixel(device, 5, 5);
                ::ReleaseDC(window, device);
                return shown == RGB(200, 100, 50);
            },
            [&] { frame->idle(); }))
            << std::hex << shown;

        moveTo(window, 30, 30);
        sendMouse(MOUSEEVENTF_LEFTDOWN);
        sendMouse(MOUSEEVENTF_LEFTUP);
        EXPECT_TRUE(waitUntil([&] { return button->getValue() == 1.0f; }, [&] { frame->idle(); }));
        EXPECT_EQ(listener.changes, 1);
        frame->forget();
        EXPECT_TRUE(childrenOf(host.handle).empty()) << "closing destroys the window";
    }
}

TEST(Win32Window, CaptureDoubleClickWheelAndKeys)
{
    HostWindow host;
    PlatformWindowRequest request{host.handle, 120, 80};
    std::unique_ptr<PlatformWindow> window = createNativeWindow(request);
    ASSERT_TRUE(window);
    HWND handle = static_cast<HWND>(window->nativeHandle());
    Recorder recorder;
    auto pump = [&] { window->pumpEvents(recorder); };

    // Pressed inside, released far outside: the release still comes, where it happened.
    moveTo(handle, 10, 10);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Recorded::Down) == 1; }, pump));
    EXPECT_EQ(::GetCapture(), handle);
    moveTo(handle, 200, 150);
    sendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Recorded::Up) == 1; }, pump));
    EXPECT_EQ(recorder.last(Recorded::Up)->where, CPoint(200, 150));
    EXPECT_TRUE(recorder.last(Recorded::Up)->buttons.isLeftButton());
    EXPECT_EQ(::GetCapture(), nullptr);

    // A double-click with the right button reaches the frame as two presses.
    moveTo(handle, 40, 30);
    for (int i = 0; i < 2; ++i) {
        sendMouse(MOUSEEVENTF_RIGHTDOWN);
        sendMouse(MOUSEEVENTF_RIGHTUP);
    }
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Recorded::Down) == 3; }, pump));
    EXPECT_TRUE(recorder.last(Recorded::Down)->buttons.isRightButton());
    EXPECT_EQ(recorder.last(Recorded::Down)->where, CPoint(40, 30));

    // Keys and the wheel come to the window holding the keyboard focus.
    window->takeKeyboardFocus();
    EXPECT_EQ(::GetFocus(), handle);
    sendMouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-2 * WHEEL_DELTA));
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Recorded::Wheel) == 1; }, pump));
    EXPECT_FLOAT_EQ(recorder.last(Recorded::Wheel)->distance, -2.0f);
    EXPECT_EQ(recorder.last(Recorded::Wheel)->where, CPoint(40, 30));

    sendKey('A', true);
    sendKey('A', false);
    sendKey(VK_ESCAPE, true);
    sendKey(VK_ESCAPE, false);
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Recorded::Key) == 2; }, pump));
    std::vector<CKeyCode> keys;
    for (const Recorded& e : recorder.events)
        if (e.kind == Recorded::Key)
            keys.push_back(e.key);
    EXPECT_EQ(keys[0].character, static_cast<std::uint32_t>('a'));
    EXPECT_EQ(keys[0].virt, VirtualKey::None);
    EXPECT_EQ(keys[1].virt, VirtualKey::Escape);

    window->releaseKeyboardFocus();
    EXPECT_NE(::GetFocus(), handle);
    window.reset();
    EXPECT_TRUE(childrenOf(host.handle).empty());
}

TEST(Win32Window, NoWindowWithoutAUsableParent)
{
    PlatformWindowRequest request{reinterpret_cast<void*>(std::uintptr_t{0x7ff0}), 50, 50};
    EXPECT_FALSE(createNativeWindow(request));
    request.parent = nullptr;
    EXPECT_FALSE(createNativeWindow(request));
    auto* frame = new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(std::uintptr_t{0x7ff0}), nullptr);
    EXPECT_FALSE(frame->isOpen());
    frame->idle(); // still usable, it just shows nothing
    frame->forget();
}

// The X11 back end against a real X server (Xvfb started for the test): the frame's window
// is a child of the parent it is given, at the frame's size; real pointer events from
// XTest change a control; closing removes the window and a new one can be opened, also
// beside another instance's.

#include "toolkit_fixture.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#if KESTRO_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kestro::test {
namespace {

// An Xvfb of our own for the whole test program; DISPLAY points at it while it runs.
class XServer {
public:
    static XServer& instance()
    {
        static XServer server;
        return server;
    }
    bool running() const { return !display.empty(); }
    const std::string& problem() const { return why; }

    ~XServer()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }

private:
    XServer()
    {
        int ends[2];
        if (::pipe(ends) != 0) {
            why = "no pipe";
            return;
        }
        ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(ends[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                              nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int spawned =
            ::posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        if (spawned != 0) {
            pid = -1;
            ::close(ends[0]);
            why = "Xvfb is not installed (the set-up step installs the xvfb package)";
            return;
        }
        // Xvfb writes its display number once it accepts connections.
        std::string number;
        pollfd waitFor{ends[0], POLLIN, 0};
        while (::poll(&waitFor, 1, 10000) > 0) {
            char c = 0;
            if (::read(ends[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(ends[0]);
        if (number.empty()) {
            why = "Xvfb did not start";
            return;
        }
        display = ":" + number;
        ::setenv("DISPLAY", display.c_str(), 1);
    }

    pid_t pid = -1;
    std::string display;
    std::string why;
};

class Listener : public CControlListener {
public:
    void valueChanged(CControl*) override { ++changes; }
    int changes = 0;
};

class X11Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XServer::instance().running())
            GTEST_SKIP() << "no X server can be started: " << XServer::instance().problem();
#if !KESTRO_HAVE_XTEST
        GTEST_SKIP() << "built without the XTest extension (libxtst-dev)";
#endif
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
        parent = makeParent(0, 0);
    }
    void TearDown() override
    {
        if (x != nullptr)
            XCloseDisplay(x);
    }

    Window makeParent(int left, int top)
    {
        Window w = XCreateSimpleWindow(x, DefaultRootWindow(x), left, top, 300, 200, 0, 0, 0);
        XMapWindow(x, w);
        XSync(x, False);
        return w;
    }

    std::vector<Window> childrenOf(Window w)
    {
        XSync(x, False);
        Window root = 0;
        Window up = 0;
        Window* list = nullptr;
        unsigned count = 0;
        std::vector<Window> result;
        if (XQueryTree(x, w, &root, &up, &list, &count) != 0) {
            result.assign(list, list + count);
            XFree(list);
        }
        return result;
    }

    // A left click at a point of `w` through XTest, as a user's pointer would deliver it.
    void click(Window w, int px, int py)
    {
#if KESTRO_HAVE_XTEST
        int rx = 0;
        int ry = 0;
        Window ignored = 0;
        XTranslateCoordinates(x, w, DefaultRootWindow(x), px, py, &rx, &ry, &ignored);
        XTestFakeMotionEvent(x, DefaultScreen(x), rx, ry, 0);
        XTestFakeButtonEvent(x, 1, True, 0);
        XTestFakeButtonEvent(x, 1, False, 0);
        XSync(x, False);
#else
        (void)w, (void)px, (void)py;
#endif
    }

    // Idles the frame (as the host's effEditIdle does) until `done` or two seconds pass.
    template <typename Done>
    bool idleUntil(CFrame* frame, Done done)
    {
        for (int i = 0; i < 200; ++i) {
            frame->idle();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    struct Opened {
        CFrame* frame;
        COnOffButton* button;
    };
    Opened open(Window host, Listener& listener)
    {
        auto* frame = new CFrame(CRect(0, 0, 120, 80), reinterpret_cast<void*>(host), nullptr);
        frame->setBackgroundColor(CColor{200, 100, 50, 255});
        auto* button = new COnOffButton(CRect(20, 20, 60, 40), &listener, 0, nullptr);
        frame->addView(button);
        return {frame, button};
    }

    Display* x = nullptr;
    Window parent = 0;
};

TEST_F(X11Window, ChildOfTheParentAtTheFrameSizeFollowsRealClicksAndReopens)
{
    for (int round = 0; round < 2; ++round) {
        Listener listener;
        Opened o = open(parent, listener);
        ASSERT_TRUE(o.frame->isOpen());
        const auto children = childrenOf(parent);
        ASSERT_EQ(children.size(), 1u);
        XWindowAttributes attributes{};
        XGetWindowAttributes(x, children[0], &attributes);
        EXPECT_EQ(attributes.width, 120);
        EXPECT_EQ(attributes.height, 80);
        EXPECT_EQ(attributes.map_state, IsViewable);

        // The frame's picture reaches the window (the server may take the request later).
        unsigned long shown = 0;
        EXPECT_TRUE(idleUntil(o.frame, [&] {
            XImage* shot = XGetImage(x, children[0], 5, 5, 1, 1, AllPlanes, ZPixmap);
            shown = shot != nullptr ? XGetPixel(shot, 0, 0) & 0xFFFFFF : 0;
            if (shot != nullptr)
                XDestroyImage(shot);
            return shown == 0xC86432u;
        })) << std::hex << shown;

        click(children[0], 30, 30);
        EXPECT_TRUE(idleUntil(o.frame, [&] { return o.button->getValue() == 1.0f; }));
        EXPECT_EQ(listener.changes, 1);

        o.frame->forget();
        EXPECT_TRUE(childrenOf(parent).empty()) << "closing destroys the window";
    }
}

TEST_F(X11Window, TwoInstancesHaveWindowsOfTheirOwn)
{
    Window second = makeParent(320, 0);
    Listener first;
    Listener other;
    Opened a = open(parent, first);
    Opened b = open(second, other);
    ASSERT_TRUE(a.frame->isOpen());
    ASSERT_TRUE(b.frame->isOpen());
    a.frame->forget();
    const auto children = childrenOf(second);
    ASSERT_EQ(children.size(), 1u);
    click(children[0], 30, 30);
    EXPECT_TRUE(idleUntil(b.frame, [&] { return b.button->getValue() == 1.0f; }));
    EXPECT_EQ(first.changes, 0);
    b.frame->forget();
}

TEST_F(X11Window, BadParentGivesNoWindowInsteadOfAnError)
{
    auto* frame = new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(std::uintptr_t{0x7fffff0}), nullptr);
    EXPECT_FALSE(frame->isOpen());
    frame->idle(); // still usable, it just shows nothing
    frame->forget();
}

} // namespace
} // namespace kestro::test

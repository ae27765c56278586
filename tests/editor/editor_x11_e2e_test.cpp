// The window as a Linux host shows it: the built plug-in loaded through its exported entry,
// its editor opened into a real X11 parent window on a private Xvfb server, and real
// pointer and key events (XTest) on its controls.

#if __has_include(<X11/extensions/XTest.h>)

#include "editor/editor_layout.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Xlib last: its macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace kestro::test {
namespace {

using namespace layout;

// A private X server for this test program; the plug-in connects through DISPLAY.
class XServer {
public:
    XServer()
    {
        int fds[2];
        if (access("/usr/bin/Xvfb", X_OK) != 0 || pipe(fds) != 0)
            return;
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x640x24", "-nolisten", "tcp",
                              nullptr};
        if (posix_spawn(&pid, "/usr/bin/Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            pid = -1;
            return;
        }
        close(fds[1]);
        // The server writes its display number once it accepts connections.
        char number[16] = {};
        const ssize_t n = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        if (n <= 0)
            return;
        std::string name = ":";
        for (const char* c = number; *c >= '0' && *c <= '9'; ++c)
            name.push_back(*c);
        setenv("DISPLAY", name.c_str(), 1);
        display = XOpenDisplay(name.c_str());
    }
    ~XServer()
    {
        if (display != nullptr)
            XCloseDisplay(display);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    Display* display = nullptr;

private:
    pid_t pid = -1;
};

class EditorOnX11 : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new XServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        if (server->display == nullptr)
            GTEST_SKIP() << "no Xvfb server available";
        int xtestEvent = 0, xtestError = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(x(), &xtestEvent, &xtestError, &major, &minor))
            GTEST_SKIP() << "the X server has no XTest";
        parent = XCreateSimpleWindow(x(), DefaultRootWindow(x()), 0, 0, 401, 570, 0, 0, 0);
        XMapWindow(x(), parent);
        XSync(x(), False);
        ASSERT_TRUE(host.create()) << pluginLoadError();
        host.prepare();
    }

    void TearDown() override
    {
        if (parent != 0) {
            XDestroyWindow(x(), parent);
            XSync(x(), False);
        }
    }

    Display* x() const { return server->display; }
    void* parentHandle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)); }

    int childCount()
    {
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x(), parent, &root, &up, &children, &count);
        if (children != nullptr)
            XFree(children);
        return static_cast<int>(count);
    }

    // Idles the editor, as a host does, until `done` or a second has passed.
    bool idleUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 200; ++i) {
            XSync(x(), False);
            host.dispatch(effEditIdle);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void settle()
    {
        int rounds = 0;
        idleUntil([&] { return ++rounds == 20; });
    }
    void moveTo(CCoord wx, CCoord wy)
    {
        XTestFakeMotionEvent(x(), DefaultScreen(x()), static_cast<int>(wx), static_cast<int>(wy), CurrentTime);
        XSync(x(), False);
        host.dispatch(effEditIdle);
    }
    void button(bool down)
    {
        XTestFakeButtonEvent(x(), 1, down ? True : False, CurrentTime);
        XSync(x(), False);
        host.dispatch(effEditIdle);
    }
    void clickAt(const CRect& r, CCoord dx = 0)
    {
        moveTo((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2);
        button(true);
        button(false);
        // Far enough apart in time that no two clicks make a double-click.
        std::this_thread::sleep_for(std::chrono::milliseconds(450));
    }
    int countEdits(bool begin, VstInt32 index)
    {
        int n = 0;
        for (const EditCall& e : host.edits())
            n += e.begin == begin && e.index == index ? 1 : 0;
        return n;
    }
    std::vector<AutomationCall> automationsOf(VstInt32 index)
    {
        std::vector<AutomationCall> found;
        for (const AutomationCall& a : host.automations())
            if (a.index == index)
                found.push_back(a);
        return found;
    }

    static inline XServer* server = nullptr;
    TestHost host;
    Window parent = 0;
};

TEST_F(EditorOnX11, RealPointerAndKeysDriveTheParametersWithTheHostSeeingThem)
{
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    EXPECT_EQ(childCount(), 1);
    settle();
    host.clearRecords();

    // A knob dragged upwards.
    const KnobPlace& knob = kKnobs[0];
    host.setParameter(knob.tag, 0.0f);
    const CCoord kx = (knob.knob.left + knob.knob.right) / 2;
    const CCoord ky = (knob.knob.top + knob.knob.bottom) / 2;
    moveTo(kx, ky);
    button(true);
    moveTo(kx, ky - 30);
    moveTo(kx, ky - 60);
    button(false);
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(knob.tag) > 0.1f; }));
    EXPECT_NEAR(host.getParameter(knob.tag), 60.0f / 400.0f, 1e-5f);
    EXPECT_FALSE(automationsOf(knob.tag).empty());
    EXPECT_EQ(countEdits(true, knob.tag), 1);
    EXPECT_EQ(countEdits(false, knob.tag), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(450));

    // The bypass switch: the host hears the old value, then the new one.
    host.setParameter(kBypass, 0.0f);
    clickAt(kBypassSwitch);
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(kBypass) == 1.0f; }));
    const auto bypass = automationsOf(kBypass);
    ASSERT_EQ(bypass.size(), 2u);
    EXPECT_FLOAT_EQ(bypass[0].value, 0.0f);
    EXPECT_FLOAT_EQ(bypass[1].value, 1.0f);
    EXPECT_EQ(countEdits(true, kBypass), 1);

    // The speed button throws the lever.
    host.setParameter(kLever, 0.7f);
    clickAt(kSpeedButton);
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(kLever) == 0.0f; }));
    EXPECT_FALSE(automationsOf(kLever).empty());

    // The MIDI rocker's right half: one channel step.
    host.setParameter(kMidiChannel, 0.0f);
    clickAt(kMidiRocker, 8);
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(kMidiChannel) > 0.0f; }));
    EXPECT_NEAR(host.getParameter(kMidiChannel), kMidiChannelStep, 1e-6f);
    EXPECT_FALSE(automationsOf(kMidiChannel).empty());

    // The lever clicked at its top takes the keys typed into the window: Up moves it a frame.
    clickAt(CRect(kLeverArea.left, kLeverArea.top + kLeverUpperLimit, kLeverArea.right,
                  kLeverArea.top + kLeverUpperLimit + 1));
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(kLever) == 1.0f; }));
    const KeyCode up = XKeysymToKeycode(x(), XK_Up);
    XTestFakeKeyEvent(x(), up, True, CurrentTime);
    XTestFakeKeyEvent(x(), up, False, CurrentTime);
    EXPECT_TRUE(idleUntil([&] { return host.getParameter(kLever) < 1.0f; }));
    EXPECT_FLOAT_EQ(host.getParameter(kLever), 63.0f / 64.0f);

    // Closing destroys the window; it opens again; effClose with it open takes it away too.
    host.dispatch(effEditClose);
    XSync(x(), False);
    EXPECT_EQ(childCount(), 0);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parentHandle()), 1);
    settle();
    EXPECT_EQ(childCount(), 1);
    host.close();
    XSync(x(), False);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(EditorOnX11, RefusesABadParentWindow)
{
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x7fffff})), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, parentHandle()), 1) << "and still opens on a good one";
}

} // namespace
} // namespace kestro::test

#endif

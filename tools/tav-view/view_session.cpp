#include "tools/tav-view/view_session.h"

#include "platform/headless/headless_window.h"
#include "toolkit/headless_parent.h"
#include "tools/tav-render/demo_signal.h"
#include "tools/tav-render/messages.h"
#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/plugin_state.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace kestro::view {

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlockSize = 256;
constexpr double kSignalSeconds = 24.0; // the organ signal loops after this
constexpr auto kIdlePeriod = std::chrono::milliseconds(33); // about 30 idle calls a second

int fail(const std::string& message)
{
    std::fprintf(stderr, "tav-view: %s\n", message.c_str());
    return kExitFailed;
}

// The organ signal into both inputs, block by block, looping.
class OrganFeed {
public:
    OrganFeed() : signal(kSampleRate, static_cast<std::int64_t>(kSignalSeconds * kSampleRate)) {}

    void process(render::LoadedPlugin& plugin)
    {
        signal.render(position, mono.data(), kBlockSize);
        position = (position + kBlockSize) % signal.frames();
        for (int i = 0; i < kBlockSize; ++i)
            left[static_cast<std::size_t>(i)] = right[static_cast<std::size_t>(i)] =
                static_cast<float>(mono[static_cast<std::size_t>(i)]);
        float* inputs[2] = {left.data(), right.data()};
        float* outputs[2] = {outLeft.data(), outRight.data()};
        AEffect& effect = plugin.effect();
        effect.processReplacing(&effect, inputs, outputs, kBlockSize);
    }

private:
    render::DemoSignal signal;
    std::int64_t position = 0;
    std::vector<double> mono = std::vector<double>(kBlockSize);
    std::vector<float> left = std::vector<float>(kBlockSize), right = std::vector<float>(kBlockSize);
    std::vector<float> outLeft = std::vector<float>(kBlockSize), outRight = std::vector<float>(kBlockSize);
};

// Loads and sets up the plug-in as a host does, then applies --program and --param.
std::unique_ptr<render::LoadedPlugin> startPlugin(const ViewOptions& options, const std::string& defaultPluginPath,
                                                  std::string& error)
{
    const std::string path = options.pluginPath.empty() ? defaultPluginPath : options.pluginPath;
    std::unique_ptr<render::LoadedPlugin> plugin = render::LoadedPlugin::load(path, error);
    if (!plugin)
        return nullptr;
    if ((plugin->effect().flags & effFlagsHasEditor) == 0) {
        error = "the plug-in " + render::inQuotes(path) + " has no editor";
        return nullptr;
    }
    const std::vector<std::string> names = plugin->parameterNames();
    std::vector<std::pair<VstInt32, float>> settings;
    for (const render::ParameterSetting& setting : options.parameters) {
        const std::optional<VstInt32> index = render::findParameter(names, setting.name);
        if (!index) {
            error = "--param: " + render::unknownParameterMessage(names, setting.name);
            return nullptr;
        }
        settings.emplace_back(*index, setting.value);
    }
    plugin->prepare(kSampleRate, kBlockSize, 2, false);
    plugin->resume();
    if (!options.program.empty()) {
        if (error = render::selectProgram(*plugin, options.program); !error.empty())
            return nullptr;
    }
    AEffect& effect = plugin->effect();
    for (const auto& [index, value] : settings)
        effect.setParameter(&effect, index, value);
    return plugin;
}

bool editorSize(render::LoadedPlugin& plugin, int& width, int& height)
{
    ERect* rect = nullptr;
    if (plugin.dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return width > 0 && height > 0 && width <= 8192 && height <= 8192;
}

// Queues one pointer event for the plug-in's next idle.
void queueEvent(KestroHeadlessParent& parent, KestroHeadlessEventType type, int x, int y, std::uint32_t buttons,
                std::uint32_t timeMs)
{
    if (parent.eventCount >= kKestroHeadlessMaxEvents)
        return;
    parent.events[parent.eventCount++] = KestroHeadlessEvent{type, x, y, buttons, 0.0f, timeMs};
}

void perform(render::LoadedPlugin& plugin, KestroHeadlessParent& parent, const Gesture& gesture, std::uint32_t& timeMs)
{
    constexpr std::uint32_t kLeft = 1;
    constexpr int kDragSteps = 16;
    timeMs += 1000; // gestures never combine into double-clicks
    queueEvent(parent, kKestroHeadlessMouseMoved, gesture.x, gesture.y, 0, timeMs);
    queueEvent(parent, kKestroHeadlessMouseDown, gesture.x, gesture.y, kLeft, timeMs);
    int x = gesture.x;
    int y = gesture.y;
    if (gesture.kind == Gesture::Kind::Drag) {
        for (int step = 1; step <= kDragSteps; ++step) {
            x = gesture.x + gesture.dx * step / kDragSteps;
            y = gesture.y + gesture.dy * step / kDragSteps;
            queueEvent(parent, kKestroHeadlessMouseMoved, x, y, kLeft, timeMs);
        }
    }
    queueEvent(parent, kKestroHeadlessMouseUp, x, y, kLeft, timeMs);
    plugin.dispatch(effEditIdle);
}

std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted.store(true); }

} // namespace

int renderPng(const ViewOptions& options, const std::string& defaultPluginPath)
{
    std::string error;
    std::unique_ptr<render::LoadedPlugin> plugin = startPlugin(options, defaultPluginPath, error);
    if (!plugin)
        return fail(error);
    OrganFeed feed;
    const auto blocks = static_cast<long>(options.seconds * kSampleRate / kBlockSize);
    for (long i = 0; i < blocks; ++i)
        feed.process(*plugin);

    int width = 0;
    int height = 0;
    if (!editorSize(*plugin, width, height))
        return fail("the plug-in reports no editor size");
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    auto parent = std::make_unique<KestroHeadlessParent>();
    *parent = KestroHeadlessParent{kKestroHeadlessMagic, kKestroHeadlessVersion, pixels.data(), width, height,
                                   4 * width, 0, {}};
    const char* previous = std::getenv(kHeadlessParentVariable);
    const std::string restore = previous != nullptr ? previous : "";
    ::setenv(kHeadlessParentVariable, "1", 1);
    const bool opened = plugin->dispatch(effEditOpen, 0, 0, parent.get()) != 0;
    if (previous != nullptr)
        ::setenv(kHeadlessParentVariable, restore.c_str(), 1);
    else
        ::unsetenv(kHeadlessParentVariable);
    if (!opened)
        return fail("the plug-in could not open its editor headless");

    plugin->dispatch(effEditIdle);
    std::uint32_t timeMs = 0;
    for (const Gesture& gesture : options.gestures)
        perform(*plugin, *parent, gesture, timeMs);
    // Changes the gestures made reach the window through the effect: let them draw.
    feed.process(*plugin);
    for (int i = 0; i < 3; ++i)
        plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);

    if (!writePixelsAsPng(options.pngPath, pixels.data(), width, height, 4 * width))
        return fail("cannot write " + render::inQuotes(options.pngPath));
    return kExitOk;
}

int runWindow(const ViewOptions& options, const std::string& defaultPluginPath)
{
    std::string error;
    std::unique_ptr<render::LoadedPlugin> plugin = startPlugin(options, defaultPluginPath, error);
    if (!plugin)
        return fail(error);
    int width = 0;
    int height = 0;
    if (!editorSize(*plugin, width, height))
        return fail("the plug-in reports no editor size");

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return fail("cannot open the X display (is DISPLAY set?); --png renders without one");
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "TAV Kestro");
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
    Atom closeRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &closeRequest, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XSync(display, False);

    if (plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window)) == 0) {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
        return fail("the plug-in could not open its editor");
    }

    // The host's audio thread: blocks at the pace of the sample rate, the output discarded.
    std::atomic<bool> running{true};
    std::thread audio([&plugin, &running] {
        OrganFeed feed;
        const auto blockTime = std::chrono::duration<double>(kBlockSize / kSampleRate);
        auto next = std::chrono::steady_clock::now();
        while (running.load()) {
            feed.process(*plugin);
            next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
            std::this_thread::sleep_until(next);
        }
    });

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    bool open = true;
    while (open && !interrupted.load()) {
        plugin->dispatch(effEditIdle);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == closeRequest)
                open = false;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window)
                open = false;
        }
        std::this_thread::sleep_for(kIdlePeriod);
    }
    running.store(false);
    audio.join();
    plugin->dispatch(effEditClose);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return kExitOk;
}

} // namespace kestro::view

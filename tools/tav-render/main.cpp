// tav-render: renders audio files through the TAV Kestro plug-in. See --help.

#include "tools/tav-render/render_options.h"
#include "tools/tav-render/render_session.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef KESTRO_DEFAULT_PLUGIN_PATH
#define KESTRO_DEFAULT_PLUGIN_PATH "TAV Kestro.so"
#endif

namespace {

// An installed tool (in bin/ beside lib/lxvst/, as the package puts it) renders with the
// plug-in installed with it; run from the build tree, with the plug-in built with it.
std::string defaultPluginPath()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path installed = self.parent_path().parent_path() / "lib/lxvst/TAV Kestro.so";
        if (std::filesystem::is_regular_file(installed, ec))
            return installed.string();
    }
    return KESTRO_DEFAULT_PLUGIN_PATH;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kestro::render;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseRenderOptions(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "tav-render: %s (see --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(usageText().c_str(), stdout);
        return kExitOk;
    }
    return runRender(parsed.options, defaultPluginPath());
}

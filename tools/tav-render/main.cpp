// tav-render: renders audio files through the TAV Kestro plug-in. See --help.

#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/render_options.h"
#include "tools/tav-render/render_session.h"

#include <cstdio>
#include <string>
#include <vector>

#ifndef KESTRO_DEFAULT_PLUGIN_PATH
#define KESTRO_DEFAULT_PLUGIN_PATH "TAV Kestro.so"
#endif

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
    return runRender(parsed.options, defaultPluginPath(KESTRO_DEFAULT_PLUGIN_PATH));
}

// tav-view: the TAV Kestro editor in a window of its own, or rendered to a PNG. See --help.

#include "tools/tav-view/view_options.h"
#include "tools/tav-view/view_session.h"

#include <cstdio>
#include <string>
#include <vector>

#ifndef KESTRO_DEFAULT_PLUGIN_PATH
#define KESTRO_DEFAULT_PLUGIN_PATH "TAV Kestro.so"
#endif

int main(int argc, char** argv)
{
    using namespace kestro::view;
    const ViewParseResult parsed = parseViewOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        std::fprintf(stderr, "tav-view: %s (see --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(viewUsageText().c_str(), stdout);
        return kExitOk;
    }
    if (!parsed.options.pngPath.empty())
        return renderPng(parsed.options, KESTRO_DEFAULT_PLUGIN_PATH);
    return runWindow(parsed.options, KESTRO_DEFAULT_PLUGIN_PATH);
}

#pragma once
// One run of tav-render from parsed options to finished files: opens the source, loads the
// plug-in, applies state and timed changes, renders, saves, and commits the outputs only
// when everything succeeded.

#include "tools/tav-render/render_options.h"

#include <string>

namespace kestro::render {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// Messages go to stderr as single lines prefixed "tav-render: "; --list prints to stdout.
int runRender(const RenderOptions& options, const std::string& defaultPluginPath);

} // namespace kestro::render

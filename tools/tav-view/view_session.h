#pragma once
// Running the editor: headless into a PNG, or in a window of its own on the X display.

#include "tools/tav-view/view_options.h"

#include <string>

namespace kestro::view {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int renderPng(const ViewOptions& options, const std::string& defaultPluginPath);
int runWindow(const ViewOptions& options, const std::string& defaultPluginPath);

} // namespace kestro::view

#pragma once
// The command line of tav-view. Parsing checks what can be checked without the plug-in;
// parameter and program names are resolved once it is loaded.

#include "tools/tav-render/render_options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::view {

constexpr double kMaxSeconds = 600.0;

// A pointer gesture on the editor, in window pixels.
struct Gesture {
    enum class Kind { Click, Drag };
    Kind kind = Kind::Click;
    int x = 0;
    int y = 0;
    int dx = 0; // drag distance
    int dy = 0;
    std::string text; // as written, for messages
};

struct ViewOptions {
    std::string pluginPath; // empty: the plug-in built beside the tool
    std::string pngPath;    // empty: an interactive window
    std::string program;    // name or index; empty keeps the plug-in's current program
    std::vector<render::ParameterSetting> parameters;
    double seconds = 0.0; // --png: processing before the picture
    std::vector<Gesture> gestures;
    bool help = false;
};

struct ViewParseResult {
    ViewOptions options;
    std::string error; // one line; empty on success
    bool ok() const { return error.empty(); }
};

// Arguments without the program name.
ViewParseResult parseViewOptions(const std::vector<std::string>& args);
// "X,Y" and "X,Y:DX,DY".
std::optional<Gesture> parseClick(std::string_view text, std::string& error);
std::optional<Gesture> parseDrag(std::string_view text, std::string& error);

std::string viewUsageText();

} // namespace kestro::view

#include "tools/tav-view/view_options.h"

#include "tools/tav-render/messages.h"

#include <charconv>

namespace kestro::view {

namespace {

std::optional<int> parseCoordinate(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// "A,B" as two integers.
bool parsePair(std::string_view text, int& a, int& b)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    const auto first = parseCoordinate(text.substr(0, comma));
    const auto second = parseCoordinate(text.substr(comma + 1));
    if (!first || !second)
        return false;
    a = *first;
    b = *second;
    return true;
}

bool takesValue(std::string_view name)
{
    return name == "--png" || name == "--plugin" || name == "--program" || name == "--param" ||
           name == "--seconds" || name == "--click" || name == "--drag";
}

} // namespace

std::optional<Gesture> parseClick(std::string_view text, std::string& error)
{
    Gesture gesture;
    gesture.text = std::string(text);
    if (!parsePair(text, gesture.x, gesture.y) || gesture.x < 0 || gesture.y < 0) {
        error = "--click '" + gesture.text + "': expected X,Y in window pixels";
        return std::nullopt;
    }
    return gesture;
}

std::optional<Gesture> parseDrag(std::string_view text, std::string& error)
{
    Gesture gesture;
    gesture.kind = Gesture::Kind::Drag;
    gesture.text = std::string(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || !parsePair(text.substr(0, colon), gesture.x, gesture.y) ||
        !parsePair(text.substr(colon + 1), gesture.dx, gesture.dy) || gesture.x < 0 || gesture.y < 0) {
        error = "--drag '" + gesture.text + "': expected X,Y:DX,DY in window pixels";
        return std::nullopt;
    }
    return gesture;
}

ViewParseResult parseViewOptions(const std::vector<std::string>& args)
{
    ViewParseResult result;
    ViewOptions& options = result.options;
    std::string& error = result.error;
    bool needsPng = false;
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (!takesValue(name)) {
            error = name.rfind("-", 0) == 0 ? "unknown option " + render::inQuotes(name)
                                            : "unexpected argument " + render::inQuotes(name);
            break;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                break;
            }
            value = args[++i];
        }
        if (name == "--png") {
            if (value.empty())
                error = "--png needs a file name";
            options.pngPath = value;
        } else if (name == "--plugin") {
            options.pluginPath = value;
        } else if (name == "--program") {
            if (value.empty())
                error = "--program needs a name or an index";
            options.program = value;
        } else if (name == "--param") {
            if (auto setting = render::parseParameterSetting(value, error))
                options.parameters.push_back(*setting);
            else
                error = "--param: " + error;
        } else if (name == "--seconds") {
            const auto seconds = render::parseNumber(value);
            if (!seconds || *seconds < 0.0 || *seconds > kMaxSeconds)
                error = "--seconds '" + value + "': expected 0 to " + std::to_string(static_cast<int>(kMaxSeconds));
            else
                options.seconds = *seconds;
            needsPng = true;
        } else if (name == "--click") {
            if (auto gesture = parseClick(value, error))
                options.gestures.push_back(*gesture);
            needsPng = true;
        } else if (name == "--drag") {
            if (auto gesture = parseDrag(value, error))
                options.gestures.push_back(*gesture);
            needsPng = true;
        }
    }
    if (error.empty() && needsPng && options.pngPath.empty() && !options.help)
        error = "--seconds, --click and --drag go with --png (the window runs in real time)";
    return result;
}

std::string viewUsageText()
{
    return "Usage: tav-view [options]\n"
           "Opens the TAV Kestro editor in a window of its own, as a host would, while the plug-in\n"
           "processes a generated organ signal in real time (nothing is played), so the lever,\n"
           "the rotor strips and the lamps move. Close the window or press Ctrl-C to quit.\n"
           "\n"
           "Options:\n"
           "  --plugin PATH        the plug-in to load (default: the one built with this tool)\n"
           "  --program N|NAME     select a program first (index 0-31 or its name)\n"
           "  --param NAME=V       set a parameter (normalized 0..1) first; may repeat\n"
           "  --png FILE           no window: render the editor to a PNG file instead\n"
           "  --seconds S          with --png: process S seconds of the organ signal first\n"
           "  --click X,Y          with --png: a left click at X,Y (window pixels); may repeat\n"
           "  --drag X,Y:DX,DY     with --png: press at X,Y, move by DX,DY, release; may repeat\n"
           "  -h, --help           this text\n"
           "\n"
           "Gestures run in the order given, after the processing.\n";
}

} // namespace kestro::view

#pragma once
// The command line of tav-render. Parsing checks everything that can be checked without
// the plug-in (numbers, ranges, which options go together); parameter names are only
// resolved once the plug-in is loaded and can say which names it has.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestro::render {

constexpr int kDefaultBlockSize = 512;
constexpr int kMaxBlockSize = 65536;
constexpr int kDefaultDemoRate = 44100;
constexpr double kDefaultDemoSeconds = 12.0;
constexpr double kMaxDemoSeconds = 3600.0;
constexpr double kDefaultTailSeconds = 1.0;
constexpr double kMaxTailSeconds = 60.0;
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 768000;
constexpr const char* kDefaultDemoOutput = "kestro-demo.wav";

// A host parameter by the name the user typed (or its index as digits) and a normalized value.
struct ParameterSetting {
    std::string name;
    float value = 0.0f;
};

// A MIDI control change sent on channel 1.
struct ControlChange {
    int controller = 0;
    int value = 0;
};

struct TimedChange {
    double seconds = 0.0;
    std::string text; // as written, for messages
    std::variant<ParameterSetting, ControlChange> action;
};

struct RenderOptions {
    std::string inputPath; // empty with --demo
    std::string outputPath;
    std::string pluginPath; // empty: the plug-in built beside the tool
    bool demo = false;
    double demoSeconds = kDefaultDemoSeconds;
    std::optional<int> sampleRate; // --rate, demo only
    int blockSize = kDefaultBlockSize;
    bool doublePrecision = false;
    double tailSeconds = kDefaultTailSeconds;
    std::string program; // name or index; empty keeps the plug-in's current program
    std::vector<ParameterSetting> parameters;
    std::vector<TimedChange> timedChanges;
    std::string presetPath;
    std::string bankPath;
    std::string savePresetPath;
    std::string saveBankPath;
    bool list = false;
    bool help = false;
};

struct ParseResult {
    RenderOptions options;
    std::string error; // one line; empty on success

    bool ok() const { return error.empty(); }
};

// Arguments without the program name.
ParseResult parseRenderOptions(const std::vector<std::string>& args);

// "NAME=VALUE" with VALUE a normalized value in 0..1.
std::optional<ParameterSetting> parseParameterSetting(std::string_view text, std::string& error);
// "SECONDS:NAME=VALUE" or "SECONDS:ccN=V".
std::optional<TimedChange> parseTimedChange(std::string_view text, std::string& error);

// The whole text must be a finite decimal number.
std::optional<double> parseNumber(std::string_view text);
std::optional<int> parseInteger(std::string_view text);

std::string usageText();

} // namespace kestro::render

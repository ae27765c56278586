#include "tools/tav-render/render_options.h"
#include "tools/tav-render/messages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <set>

namespace kestro::render {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// Options that take a value, written "--name VALUE" or "--name=VALUE".
const std::set<std::string_view>& valueOptions()
{
    static const std::set<std::string_view> names{"--program", "--param", "--at", "--rate", "--block",
                                                  "--tail", "--preset", "--bank", "--save-bank",
                                                  "--save-preset", "--plugin"};
    return names;
}

const std::set<std::string_view>& flagOptions()
{
    static const std::set<std::string_view> names{"--double", "--no-tail", "--list", "--help", "-h"};
    return names;
}

} // namespace

std::optional<double> parseNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<ParameterSetting> parseParameterSetting(std::string_view text, std::string& error)
{
    const std::size_t equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = inQuotes(text) + " is not NAME=VALUE";
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, equals);
    const std::string_view valueText = text.substr(equals + 1);
    const std::optional<double> value = parseNumber(valueText);
    if (!value) {
        error = "value " + inQuotes(valueText) + " for " + inQuotes(name) + " is not a number";
        return std::nullopt;
    }
    if (*value < 0.0 || *value > 1.0) {
        error = "value " + std::string(valueText) + " for " + inQuotes(name) +
                " is outside 0..1 (parameters take normalized values)";
        return std::nullopt;
    }
    return ParameterSetting{std::string(name), static_cast<float>(*value)};
}

std::optional<TimedChange> parseTimedChange(std::string_view text, std::string& error)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = inQuotes(text) + " is not SECONDS:NAME=VALUE or SECONDS:ccN=V";
        return std::nullopt;
    }
    const std::string_view timeText = text.substr(0, colon);
    const std::optional<double> seconds = parseNumber(timeText);
    if (!seconds || *seconds < 0.0) {
        error = "time " + inQuotes(timeText) + " in " + inQuotes(text) + " is not a number of seconds >= 0";
        return std::nullopt;
    }
    TimedChange change;
    change.seconds = *seconds;
    change.text = std::string(text);

    const std::string_view rest = text.substr(colon + 1);
    const std::size_t equals = rest.rfind('=');
    const std::string_view name = rest.substr(0, std::min(equals, rest.size()));
    if (startsWithNoCase(name, "cc") && name.size() > 2 &&
        std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const std::optional<int> controller = parseInteger(name.substr(2));
        const std::string_view valueText =
            equals == std::string_view::npos ? std::string_view() : rest.substr(equals + 1);
        const std::optional<int> value = parseInteger(valueText);
        if (!controller || *controller > 127) {
            error = "controller number in " + inQuotes(text) + " must be 0..127";
            return std::nullopt;
        }
        if (!value || *value < 0 || *value > 127) {
            error = "control change value in " + inQuotes(text) + " must be an integer 0..127";
            return std::nullopt;
        }
        change.action = ControlChange{*controller, *value};
        return change;
    }
    std::optional<ParameterSetting> setting = parseParameterSetting(rest, error);
    if (!setting) {
        error = "in --at " + inQuotes(text) + ": " + error;
        return std::nullopt;
    }
    change.action = std::move(*setting);
    return change;
}

ParseResult parseRenderOptions(const std::vector<std::string>& args)
{
    ParseResult result;
    RenderOptions& options = result.options;
    std::vector<std::string> files;
    std::set<std::string> seen;
    bool optionsEnded = false;
    bool noTail = false;

    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }

        if (name == "--demo") {
            options.demo = true;
            std::optional<std::string> secondsText = inlineValue;
            if (!secondsText && i + 1 < args.size() && parseNumber(args[i + 1]))
                secondsText = args[++i];
            if (secondsText) {
                const std::optional<double> seconds = parseNumber(*secondsText);
                if (!seconds || *seconds <= 0.0 || *seconds > kMaxDemoSeconds)
                    return fail("--demo length " + inQuotes(*secondsText) + " must be a number of seconds in (0, 3600]");
                options.demoSeconds = *seconds;
            }
            continue;
        }
        if (flagOptions().contains(name)) {
            if (inlineValue)
                return fail(name + " takes no value");
            if (name == "--double")
                options.doublePrecision = true;
            else if (name == "--no-tail")
                noTail = true;
            else if (name == "--list")
                options.list = true;
            else
                options.help = true;
            continue;
        }
        if (!valueOptions().contains(name))
            return fail("unknown option " + inQuotes(name));

        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= args.size())
                return fail(name + " needs a value");
            value = args[++i];
        }
        const bool repeatable = name == "--param" || name == "--at";
        if (!repeatable && !seen.insert(name).second)
            return fail(name + " given twice");

        std::string error;
        if (name == "--param") {
            std::optional<ParameterSetting> setting = parseParameterSetting(value, error);
            if (!setting)
                return fail("--param: " + error);
            options.parameters.push_back(std::move(*setting));
        } else if (name == "--at") {
            std::optional<TimedChange> change = parseTimedChange(value, error);
            if (!change)
                return fail("--at: " + error);
            options.timedChanges.push_back(std::move(*change));
        } else if (name == "--program") {
            if (value.empty())
                return fail("--program needs a name or an index");
            options.program = value;
        } else if (name == "--rate") {
            const std::optional<int> rate = parseInteger(value);
            if (!rate || *rate < kMinSampleRate || *rate > kMaxSampleRate)
                return fail("--rate " + inQuotes(value) + " must be an integer sample rate from 8000 to 768000");
            options.sampleRate = *rate;
        } else if (name == "--block") {
            const std::optional<int> block = parseInteger(value);
            if (!block || *block < 1 || *block > kMaxBlockSize)
                return fail("--block " + inQuotes(value) + " must be an integer from 1 to 65536");
            options.blockSize = *block;
        } else if (name == "--tail") {
            const std::optional<double> tail = parseNumber(value);
            if (!tail || *tail < 0.0 || *tail > kMaxTailSeconds)
                return fail("--tail " + inQuotes(value) + " must be a number of seconds from 0 to 60");
            options.tailSeconds = *tail;
        } else {
            if (value.empty())
                return fail(name + " needs a file name");
            if (name == "--preset")
                options.presetPath = value;
            else if (name == "--bank")
                options.bankPath = value;
            else if (name == "--save-preset")
                options.savePresetPath = value;
            else if (name == "--save-bank")
                options.saveBankPath = value;
            else
                options.pluginPath = value;
        }
    }

    if (options.help)
        return result;
    if (noTail && seen.contains("--tail"))
        return fail("--tail and --no-tail contradict each other");
    if (noTail)
        options.tailSeconds = 0.0;
    if (options.sampleRate && !options.demo)
        return fail("--rate applies only to --demo (an input file brings its own sample rate)");

    if (options.list) {
        if (!files.empty())
            return fail("--list takes no audio files (unexpected " + inQuotes(files.front()) + ")");
        if (options.demo)
            return fail("--list and --demo do not go together");
        if (!options.saveBankPath.empty() || !options.savePresetPath.empty())
            return fail("--list writes no files (drop --save-bank and --save-preset)");
        return result;
    }
    if (options.demo) {
        if (files.size() > 1)
            return fail("--demo renders no input file (unexpected " + inQuotes(files.front()) + ")");
        options.outputPath = files.empty() ? std::string(kDefaultDemoOutput) : files.front();
        return result;
    }
    if (files.empty())
        return fail("no input file given (or use --demo)");
    if (files.size() == 1)
        return fail("no output file given");
    if (files.size() > 2)
        return fail("too many files given (unexpected " + inQuotes(files[2]) + ")");
    options.inputPath = files[0];
    options.outputPath = files[1];
    return result;
}

std::string usageText()
{
    return R"(Usage: tav-render [options] INPUT OUTPUT
       tav-render --demo [SECONDS] [options] [OUTPUT]
       tav-render --list [state options]

Renders audio through the TAV Kestro rotary speaker plug-in, which it loads exactly as
a VST 2.4 host does.

Files:
  INPUT                  mono or stereo WAV, FLAC or AIFF (anything libsndfile reads);
                         its sample rate is the rate the plug-in runs at
  OUTPUT                 format from the extension: .wav .flac .aif .aiff .w64 .caf .ogg;
                         same sample format as INPUT where the container allows, else
                         24-bit; always the plug-in's output channels (stereo)
  --demo [SECONDS]       render a built-in organ chord sequence instead of INPUT
                         (default 12 s) with the lever slow until 25 %, fast until 65 %
                         and slow after; OUTPUT defaults to kestro-demo.wav
  --rate HZ              sample rate of the demo (default 44100)

Plug-in state, applied in this order before the render:
  --bank FILE.tvb        load a bank file (all 32 programs)
  --program NAME|INDEX   select a program by name (case-insensitive) or index 0..31
  --preset FILE.tvp      load a preset file into the current program
  --param NAME=VALUE     set a parameter to a normalized VALUE in 0..1; NAME as the host
                         sees it (case-insensitive, e.g. Lever, Drive, HDistance) or the
                         index 0..35; may be repeated
After the render:
  --save-bank FILE.tvb   write all programs to a bank file
  --save-preset FILE.tvp write the current program to a preset file

Timed changes, applied at the exact sample (may be repeated):
  --at SECONDS:NAME=VALUE  set a parameter, e.g. --at 2.5:lever=1  --at 4:stop=1
  --at SECONDS:ccN=V       send MIDI control change N with value V (0..127) on channel 1,
                           e.g. --at 3:cc64=127 (sustain pedal: fast), --at 5:cc1=0

Processing:
  --block N              host block size, 1..65536 (default 512)
  --double               process in double precision (default single)
  --tail SECONDS         silence rendered after the input so the cabinet rings out
                         (default 1, at most 60)
  --no-tail              the same as --tail 0
  --plugin PATH          the plug-in to load (default: the one built with this tool)
  --list                 print the plug-in's parameters and programs, after applying the
                         state options, and exit
  -h, --help             this text

A progress bar appears when stderr is a terminal. Exit status: 0 on success, 1 when the
render fails, 2 for a bad command line. A failed or interrupted render leaves no output
file behind; existing files are replaced only by a complete render.
)";
}

} // namespace kestro::render

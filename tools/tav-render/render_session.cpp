#include "tools/tav-render/render_session.h"
#include "tools/tav-render/messages.h"

#include "tools/tav-render/audio_files.h"
#include "tools/tav-render/demo_signal.h"
#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/plugin_state.h"
#include "tools/tav-render/progress_bar.h"
#include "tools/tav-render/render_loop.h"

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace kestro::render {
namespace {

std::atomic<bool> interruptRequested{false};

extern "C" void onInterrupt(int)
{
    interruptRequested.store(true, std::memory_order_relaxed);
}

// The first Ctrl-C ends the render cleanly (removing the unfinished files); a second one
// kills the process the usual way.
void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

int fail(const std::string& message, int code = kExitFailed)
{
    std::fprintf(stderr, "tav-render: %s\n", message.c_str());
    return code;
}

void warn(const std::string& message)
{
    std::fprintf(stderr, "tav-render: warning: %s\n", message.c_str());
}

std::string formatSeconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

void printState(LoadedPlugin& plugin)
{
    AEffect& effect = plugin.effect();
    const VstInt32 id = effect.uniqueID;
    const char idText[5] = {static_cast<char>((id >> 24) & 0xFF), static_cast<char>((id >> 16) & 0xFF),
                            static_cast<char>((id >> 8) & 0xFF), static_cast<char>(id & 0xFF), '\0'};
    std::printf("%s (%s), unique ID %s, %d in / %d out\n", plugin.text(effGetEffectName).c_str(),
                plugin.text(effGetVendorString).c_str(), idText, effect.numInputs, effect.numOutputs);
    std::printf("Parameters (normalized value, then as the host shows it):\n");
    const std::vector<std::string> names = plugin.parameterNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto index = static_cast<VstInt32>(i);
        std::printf("  %3d  %-10s %.6f  %s %s\n", index, names[i].c_str(), effect.getParameter(&effect, index),
                    plugin.text(effGetParamDisplay, index).c_str(), plugin.text(effGetParamLabel, index).c_str());
    }
    std::printf("Programs (current: %s):\n", inQuotes(plugin.text(effGetProgramName)).c_str());
    const std::vector<std::string> programs = plugin.programNames();
    for (std::size_t i = 0; i < programs.size(); ++i)
        std::printf("  %3zu  %s\n", i, programs[i].c_str());
}

struct Outputs {
    std::unique_ptr<PendingFile> audio;
    std::unique_ptr<PendingFile> bank;
    std::unique_ptr<PendingFile> preset;
};

} // namespace

int runRender(const RenderOptions& options, const std::string& defaultPluginPath)
{
    // ---- what to render, and where it goes: checked before anything slow happens ----
    std::unique_ptr<InputFile> inputFile;
    std::optional<DemoSignal> demo;
    double sampleRate = options.sampleRate.value_or(kDefaultDemoRate);
    std::optional<int> inputFormat;
    std::string error;
    if (!options.inputPath.empty()) {
        inputFile = InputFile::open(options.inputPath, error);
        if (!inputFile)
            return fail(error);
        sampleRate = inputFile->sampleRate();
        inputFormat = inputFile->format();
        if (sampleRate < kMinSampleRate || sampleRate > kMaxSampleRate)
            return fail("input " + inQuotes(options.inputPath) + " has an unusable sample rate (" +
                        std::to_string(inputFile->sampleRate()) + " Hz)");
        if (inputFile->frames() <= 0)
            return fail("input " + inQuotes(options.inputPath) + " holds no audio");
    } else if (options.demo) {
        demo.emplace(sampleRate, std::llround(options.demoSeconds * sampleRate));
    }
    std::unique_ptr<AudioSource> demoSource;
    if (demo)
        demoSource = std::make_unique<DemoSource>(*demo);
    AudioSource* source = inputFile ? static_cast<AudioSource*>(inputFile.get()) : demoSource.get();

    Outputs outputs;
    std::optional<int> outputFormat;
    if (!options.list) {
        outputFormat = outputFormatFor(options.outputPath, inputFormat, error);
        if (!outputFormat)
            return fail(error);
        if (!(outputs.audio = PendingFile::create(options.outputPath, error)))
            return fail(error);
    }
    if (!options.saveBankPath.empty() && !(outputs.bank = PendingFile::create(options.saveBankPath, error)))
        return fail(error);
    if (!options.savePresetPath.empty() && !(outputs.preset = PendingFile::create(options.savePresetPath, error)))
        return fail(error);
    installInterruptHandlers();

    // ---- the plug-in, set up as a host does ----
    const std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath : options.pluginPath;
    std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::load(pluginPath, error);
    if (!plugin)
        return fail(error);
    AEffect& effect = plugin->effect();
    const int sourceChannels = source != nullptr ? source->channels() : 2;
    if (source != nullptr && (sourceChannels < 1 || sourceChannels > effect.numInputs))
        return fail("input " + inQuotes(options.inputPath) + " has " + std::to_string(sourceChannels) +
                    " channels; the plug-in takes " +
                    (effect.numInputs == 1 ? std::string("mono") : "mono or up to " + std::to_string(effect.numInputs)));
    if (options.doublePrecision && !plugin->canProcessDouble())
        return fail("the plug-in cannot process in double precision (--double)");
    const bool monoAccepted =
        plugin->prepare(sampleRate, options.blockSize, sourceChannels, options.doublePrecision);

    // ---- names and times, resolved against what the plug-in calls its parameters ----
    const std::vector<std::string> names = plugin->parameterNames();
    const std::int64_t sourceFrames = source != nullptr ? source->frames() : 0;
    const std::int64_t totalFrames = sourceFrames + std::llround(options.tailSeconds * sampleRate);
    std::vector<ScheduledEvent> events;
    if (demo) {
        const std::optional<VstInt32> lever = findParameter(names, "Lever");
        if (!lever)
            return fail("the plug-in has no parameter called Lever, which the demo moves");
        for (const LeverStep& step : demoLeverSequence(demo->frames()))
            events.push_back({step.frame, ScheduledEvent::Kind::Parameter, *lever, step.lever, 0});
    }
    for (const TimedChange& change : options.timedChanges) {
        ScheduledEvent event;
        event.frame = std::llround(change.seconds * sampleRate);
        if (event.frame >= totalFrames)
            return fail("--at " + change.text + ": " + formatSeconds(change.seconds) +
                        " s is beyond the end of the render (" +
                        formatSeconds(static_cast<double>(totalFrames) / sampleRate) + " s)");
        if (const auto* setting = std::get_if<ParameterSetting>(&change.action)) {
            const std::optional<VstInt32> index = findParameter(names, setting->name);
            if (!index)
                return fail("--at " + change.text + ": " + unknownParameterMessage(names, setting->name));
            event.kind = ScheduledEvent::Kind::Parameter;
            event.index = *index;
            event.value = setting->value;
        } else {
            const auto& control = std::get<ControlChange>(change.action);
            event.kind = ScheduledEvent::Kind::ControlChange;
            event.index = control.controller;
            event.controlValue = control.value;
        }
        events.push_back(event);
    }
    std::vector<std::pair<VstInt32, float>> settings;
    for (const ParameterSetting& setting : options.parameters) {
        const std::optional<VstInt32> index = findParameter(names, setting.name);
        if (!index)
            return fail("--param: " + unknownParameterMessage(names, setting.name));
        settings.emplace_back(*index, setting.value);
    }

    // ---- state: bank, program, preset, single parameters ----
    if (!options.bankPath.empty() || !options.program.empty() || outputs.bank) {
        if (std::string problem = requireChunks(*plugin); !problem.empty())
            return fail(problem);
    }
    if (!options.bankPath.empty())
        if (std::string problem = loadBankFile(*plugin, options.bankPath); !problem.empty())
            return fail(problem);
    if (!options.program.empty())
        if (std::string problem = selectProgram(*plugin, options.program); !problem.empty())
            return fail(problem);
    if (!options.presetPath.empty())
        if (std::string problem = loadPresetFile(*plugin, options.presetPath); !problem.empty())
            return fail(problem);
    for (const auto& [index, value] : settings)
        effect.setParameter(&effect, index, value);

    if (options.list) {
        printState(*plugin);
        return kExitOk;
    }

    // ---- the render ----
    std::unique_ptr<OutputFile> output =
        OutputFile::open(*outputs.audio, *outputFormat, effect.numOutputs, static_cast<int>(sampleRate), error);
    if (!output)
        return fail(error);

    RenderRequest request;
    request.totalFrames = totalFrames;
    request.blockSize = options.blockSize;
    request.doublePrecision = options.doublePrecision;
    request.monoToAllInputs = sourceChannels == 1 && !monoAccepted;
    request.events = std::move(events);

    ProgressBar progress(stderr, ProgressBar::stderrIsTerminal(), totalFrames, sampleRate);
    plugin->resume();
    const RenderResult result = renderThrough(
        effect, *source, *output, request, [&progress](std::int64_t done) { progress.update(done); },
        &interruptRequested);
    plugin->suspend();
    progress.finish();

    if (result.cancelled)
        return fail("interrupted; no output written", kExitInterrupted);
    if (!result.ok)
        return fail(result.error + (result.error.starts_with("writing") ? " (" + options.outputPath + ")" : ""));
    if (!output->close(error))
        return fail(error);

    // ---- state after the render, then every file into place at once ----
    if (outputs.bank) {
        const std::optional<Bytes> bank = currentBankImage(*plugin, error);
        if (!bank || !outputs.bank->writeAll(*bank, error))
            return fail("--save-bank: " + error);
    }
    if (outputs.preset && !outputs.preset->writeAll(currentPresetImage(*plugin), error))
        return fail("--save-preset: " + error);
    if (interruptRequested.load(std::memory_order_relaxed))
        return fail("interrupted; no output written", kExitInterrupted);
    for (PendingFile* pending : {outputs.audio.get(), outputs.bank.get(), outputs.preset.get()})
        if (pending != nullptr && !pending->commit(error))
            return fail(error);

    if (result.nonFiniteSamples > 0)
        warn(std::to_string(result.nonFiniteSamples) + " output samples were not finite and were written as silence");
    if (result.clippedSamples > 0 && formatClips(*outputFormat))
        warn(std::to_string(result.clippedSamples) + " output samples exceeded full scale and were clipped");
    if (ProgressBar::stderrIsTerminal())
        std::fprintf(stderr, "tav-render: wrote %s (%s s at %d Hz, %d channels)\n", options.outputPath.c_str(),
                     formatSeconds(static_cast<double>(totalFrames) / sampleRate).c_str(),
                     static_cast<int>(sampleRate), effect.numOutputs);
    return kExitOk;
}

} // namespace kestro::render

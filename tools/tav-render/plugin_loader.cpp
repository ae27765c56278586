#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/messages.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sys/stat.h>

namespace kestro::render {
namespace {

using PluginEntry = AEffect* (*)(audioMasterCallback);

} // namespace

VstIntPtr VSTCALLBACK LoadedPlugin::hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterPinConnected:
        return 0; // the interface's "connected"
    default:
        // An offline render has no automation lanes, no window and no transport to tell.
        return 0;
    }
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(const std::string& path, std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = "cannot load plug-in " + inQuotes(path) + ": " + std::strerror(errno);
        return nullptr;
    }
    // A bare file name would send dlopen searching the library path instead of this file.
    const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = ::dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = ::dlerror();
        error = "cannot load plug-in " + inQuotes(path) + ": " + (why != nullptr ? why : "unknown error");
        return nullptr;
    }
    std::unique_ptr<LoadedPlugin> plugin(new LoadedPlugin());
    plugin->library_ = library;

    // Hosts look for the current name first and fall back to the old one.
    void* symbol = ::dlsym(library, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = ::dlsym(library, "main");
    if (symbol == nullptr) {
        error = "plug-in " + inQuotes(path) + " exports no VST entry (VSTPluginMain or main)";
        return nullptr;
    }
    PluginEntry entry = nullptr;
    static_assert(sizeof entry == sizeof symbol);
    std::memcpy(&entry, &symbol, sizeof entry);

    AEffect* effect = entry(&LoadedPlugin::hostCallback);
    if (effect == nullptr) {
        error = "plug-in " + inQuotes(path) + " refused to create an instance";
        return nullptr;
    }
    if (effect->magic != kEffectMagic || effect->dispatcher == nullptr) {
        error = "plug-in " + inQuotes(path) + " returned something that is not a VST 2.4 effect";
        return nullptr; // never call into a descriptor we cannot trust
    }
    plugin->effect_ = effect;
    plugin->dispatch(effOpen);
    if (effect->numOutputs < 1 || effect->numInputs < 0 || effect->numOutputs > 64 || effect->numInputs > 64) {
        error = "plug-in " + inQuotes(path) + " announces an unusable channel layout (" +
                std::to_string(effect->numInputs) + " in, " + std::to_string(effect->numOutputs) + " out)";
        return nullptr;
    }
    if ((effect->flags & effFlagsCanReplacing) == 0 || effect->processReplacing == nullptr) {
        error = "plug-in " + inQuotes(path) + " cannot process replacing, which tav-render needs";
        return nullptr;
    }
    return plugin;
}

LoadedPlugin::~LoadedPlugin()
{
    if (effect_ != nullptr) {
        if (resumed_)
            suspend();
        dispatch(effClose);
        effect_ = nullptr;
    }
    // The library stays loaded until the process ends, as hosts keep it: the plug-in carries
    // its own C++ runtime, whose process-lifetime allocations would be orphaned by dlclose.
    library_ = nullptr;
}

VstIntPtr LoadedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string LoadedPlugin::text(VstInt32 opcode, VstInt32 index)
{
    std::array<char, 512> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::vector<std::string> LoadedPlugin::parameterNames()
{
    std::vector<std::string> names;
    for (VstInt32 index = 0; index < effect_->numParams; ++index)
        names.push_back(text(effGetParamName, index));
    return names;
}

std::vector<std::string> LoadedPlugin::programNames()
{
    // The plug-in may keep more programs than it announces to the host; ask until it says no.
    constexpr VstInt32 kLimit = 1024;
    std::vector<std::string> names;
    for (VstInt32 index = 0; index < kLimit; ++index) {
        std::array<char, 512> buffer{};
        if (dispatch(effGetProgramNameIndexed, index, 0, buffer.data()) == 0)
            break;
        buffer.back() = '\0';
        names.emplace_back(buffer.data());
    }
    return names;
}

bool LoadedPlugin::canProcessDouble() const
{
    return (effect_->flags & effFlagsCanDoubleReplacing) != 0 && effect_->processDoubleReplacing != nullptr;
}

bool LoadedPlugin::prepare(double sampleRate, int blockSize, int inputChannels, bool doublePrecision)
{
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effSetProcessPrecision, 0, doublePrecision ? kVstProcessPrecision64 : kVstProcessPrecision32);

    VstSpeakerArrangement input{};
    VstSpeakerArrangement output{};
    input.numChannels = inputChannels;
    input.type = inputChannels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    output.numChannels = effect_->numOutputs;
    output.type = effect_->numOutputs == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    const VstIntPtr accepted =
        dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output);
    return inputChannels == 1 && accepted != 0;
}

void LoadedPlugin::resume()
{
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed_ = true;
}

void LoadedPlugin::suspend()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

} // namespace kestro::render

namespace kestro::render {

std::string defaultPluginPath(const std::string& builtPath)
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path installed = self.parent_path().parent_path() / "lib/lxvst/TAV Kestro.so";
        if (std::filesystem::is_regular_file(installed, ec))
            return installed.string();
    }
    return builtPath;
}

} // namespace kestro::render

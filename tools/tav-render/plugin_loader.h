#pragma once
// Loads a VST 2.4 plug-in the way a host does: dlopen, the exported entry with our host
// callback, then only the descriptor's dispatcher and function pointers. Nothing of the
// plug-in's own code is linked in, so the tool renders whatever the built library does.

#include "host/vst_abi.h"

#include <memory>
#include <string>
#include <vector>

namespace kestro::render {

class LoadedPlugin {
public:
    // Null with a one-line message when the library, its entry or its descriptor is unusable.
    static std::unique_ptr<LoadedPlugin> load(const std::string& path, std::string& error);
    ~LoadedPlugin(); // suspends if needed and closes the instance; the library stays loaded
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    AEffect& effect() { return *effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // A text opcode's answer, read from a zeroed buffer far larger than any the interface allows.
    std::string text(VstInt32 opcode, VstInt32 index = 0);

    std::vector<std::string> parameterNames();
    // The plug-in's own programs, as effGetProgramNameIndexed reports them.
    std::vector<std::string> programNames();
    bool canProcessDouble() const;

    // Sample rate, block size, channel layout and precision, as a host sets them up before
    // resuming. Returns whether the plug-in accepted a mono input as mono; if not, the host
    // has to feed the mono signal to every input.
    bool prepare(double sampleRate, int blockSize, int inputChannels, bool doublePrecision);
    void resume();
    void suspend();

    // The answer the plug-in gets when it asks for the host's version.
    static constexpr VstIntPtr kHostVersion = 2400;

private:
    LoadedPlugin() = default;
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt);

    void* library_ = nullptr;
    AEffect* effect_ = nullptr;
    bool resumed_ = false;
};

// The plug-in a tool renders with by default: when the tool is installed (in bin/ beside
// lib/lxvst/, as the Debian package puts it) the plug-in installed with it, else `builtPath`,
// the plug-in built with it.
std::string defaultPluginPath(const std::string& builtPath);

} // namespace kestro::render

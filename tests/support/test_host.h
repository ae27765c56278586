#pragma once
// A small VST 2.4 host for tests: loads the built plug-in as the platform's hosts do
// (dlopen, or LoadLibraryW on Windows), creates an instance through the exported entry
// exactly as a host does, and talks to it only through the descriptor. It records what the
// plug-in tells the host (automation, edit gestures, display refreshes) and answers the host
// queries a test wants to steer.

#include "host/vst_abi.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test {

using PluginEntry = AEffect* (*)(audioMasterCallback);

// The exported entry under the given name ("VSTPluginMain" or "main"); null (with a
// message in pluginLoadError) when the library or the symbol cannot be found. The library
// is loaded once per process and never unloaded, as hosts usually keep it.
PluginEntry pluginEntry(const char* symbol = "VSTPluginMain");
std::string pluginLoadError();

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    bool withEffect; // false for the calls before the descriptor exists
};

struct AutomationCall {
    VstInt32 index;
    float value;
    // The plug-in's own getParameter at the moment the host heard of the change.
    float parameterSeenByHost;
};

struct EditCall {
    bool begin; // beginEdit, else endEdit
    VstInt32 index;
};

class TestHost {
public:
    struct Options {
        VstIntPtr versionAnswer = kVstVersion;
        // Pass no host callback at all to the entry.
        bool nullCallback = false;
        // Which entry name to call.
        const char* entrySymbol = "VSTPluginMain";
    };

    TestHost();
    explicit TestHost(Options options);
    ~TestHost(); // closes a still open instance
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Calls the entry; true when it returned a descriptor.
    bool create();
    AEffect* effect() const { return effect_; }

    // ---- steering the host's answers ----
    // Pin connection as the host reports it (the interface answers 0 for connected).
    void setPinConnected(bool output, VstInt32 pin, bool connected);
    // Sees every call first; an answer ends the call there. Runs under no lock.
    std::function<std::optional<VstIntPtr>(TestHost&, const HostCall&)> intercept;

    // ---- talking to the plug-in through the descriptor ----
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // For the text opcodes: the string the plug-in wrote into a zeroed buffer.
    std::string dispatchText(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                             VstIntPtr* result = nullptr);
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);
    void processReplacing(float** inputs, float** outputs, VstInt32 frames);
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames);
    // Sample rate, block size and resume, the way hosts prepare for processing.
    void prepare(float sampleRate = 44100.0f, VstInt32 blockSize = 512);
    // effClose; returns its result and forgets the descriptor.
    VstIntPtr close();

    // ---- what the plug-in told the host ----
    std::vector<HostCall> calls() const;
    std::vector<AutomationCall> automations() const;
    std::vector<EditCall> edits() const;
    int updateDisplayCount() const;
    int countCalls(VstInt32 opcode) const;
    void clearRecords();

private:
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    VstIntPtr answer(AEffect* effect, const HostCall& call);

    Options options_;
    AEffect* effect_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
    std::vector<AutomationCall> automations_;
    std::vector<EditCall> edits_;
    std::vector<VstInt32> disconnectedInputs_;
    std::vector<VstInt32> disconnectedOutputs_;
};

// Non-interleaved audio with the pointer arrays the processing calls take.
template <typename Sample>
class ChannelBuffers {
public:
    ChannelBuffers(int channels, int frames, Sample fill = Sample(0))
        : data_(static_cast<std::size_t>(channels), std::vector<Sample>(static_cast<std::size_t>(frames), fill))
    {
        for (auto& channel : data_)
            pointers_.push_back(channel.data());
    }
    Sample** pointers() { return pointers_.data(); }
    std::vector<Sample>& operator[](int channel) { return data_[static_cast<std::size_t>(channel)]; }
    int frames() const { return data_.empty() ? 0 : static_cast<int>(data_[0].size()); }

private:
    std::vector<std::vector<Sample>> data_;
    std::vector<Sample*> pointers_;
};

} // namespace kestro::test

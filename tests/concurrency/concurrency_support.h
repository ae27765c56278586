#pragma once
// What the concurrency tests share: an instance made the way the entry makes one and driven
// through its descriptor (while its object stays reachable for what an editor does), a
// deterministic test signal, and MIDI lists.

#include "engine/rotary_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestro::test {

inline VstIntPtr VSTCALLBACK concurrencyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class Instance {
public:
    Instance() : effect_(createEffectInstance(concurrencyHost)) {}
    ~Instance()
    {
        if (effect_ != nullptr)
            dispatch(effClose);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return effect_ != nullptr; }
    AEffect* descriptor() { return effect_->getAeffect(); }
    RotaryEffect& effect() { return *static_cast<RotaryEffect*>(effect_); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return descriptor()->dispatcher(descriptor(), opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) { descriptor()->setParameter(descriptor(), index, value); }
    float getParameter(VstInt32 index) { return descriptor()->getParameter(descriptor(), index); }
    void prepare(float rate, VstInt32 block)
    {
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, block);
        dispatch(effMainsChanged, 0, 1);
    }
    std::vector<std::uint8_t> chunk()
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
        if (size <= 0 || data == nullptr)
            return {};
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        return std::vector<std::uint8_t>(bytes, bytes + size);
    }

private:
    AudioEffect* effect_;
};

// Two channels of a chord-like signal, rendered block by block; remembers the last block.
class Signal {
public:
    template <typename Sample>
    bool render(Instance& instance, int frames)
    {
        std::vector<Sample> inL(static_cast<std::size_t>(frames)), inR(inL.size()), outL(inL.size()), outR(inL.size());
        for (int i = 0; i < frames; ++i, ++position_) {
            const double t = static_cast<double>(position_);
            inL[static_cast<std::size_t>(i)] = static_cast<Sample>(0.3 * std::sin(0.0627 * t) + 0.2 * std::sin(0.0941 * t));
            inR[static_cast<std::size_t>(i)] = static_cast<Sample>(0.3 * std::sin(0.0471 * t));
        }
        Sample* in[2] = {inL.data(), inR.data()};
        Sample* out[2] = {outL.data(), outR.data()};
        AEffect* fx = instance.descriptor();
        if constexpr (sizeof(Sample) == sizeof(float))
            fx->processReplacing(fx, in, out, frames);
        else
            fx->processDoubleReplacing(fx, in, out, frames);
        bool finite = true;
        difference_ = 0.0;
        last_.clear();
        for (int i = 0; i < frames; ++i) {
            const auto k = static_cast<std::size_t>(i);
            finite = finite && std::isfinite(static_cast<double>(outL[k])) && std::isfinite(static_cast<double>(outR[k]));
            difference_ = std::max({difference_, std::fabs(static_cast<double>(outL[k] - inL[k])),
                                    std::fabs(static_cast<double>(outR[k] - inR[k]))});
            last_.push_back(static_cast<double>(outL[k]));
            last_.push_back(static_cast<double>(outR[k]));
        }
        return finite;
    }
    double lastDifferenceFromInput() const { return difference_; }
    const std::vector<double>& lastBlock() const { return last_; }

private:
    long position_ = 0;
    double difference_ = 0.0;
    std::vector<double> last_;
};

inline VstMidiEvent midiControlChange(int status, int controller, int value)
{
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(controller);
    e.midiData[2] = static_cast<char>(value);
    return e;
}

// A VstEvents list of up to eight events, laid out as hosts lay it out.
class MidiEvents {
public:
    void add(VstMidiEvent& e)
    {
        if (list_.numEvents < 8)
            list_.events[list_.numEvents++] = reinterpret_cast<VstEvent*>(&e);
    }
    VstEvents* get() { return reinterpret_cast<VstEvents*>(&list_); }

private:
    struct {
        VstInt32 numEvents = 0;
        VstIntPtr reserved = 0;
        VstEvent* events[8] = {};
    } list_;
};

inline std::filesystem::path temporaryDirectory(const char* prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return std::filesystem::temp_directory_path();
    return pattern;
}

} // namespace kestro::test

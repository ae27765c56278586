#pragma once
// The lever under MIDI control: the modulation wheel moves it, the sustain pedal throws it
// to fast or slow. Runs on the host's audio thread inside processEvents: no allocation, no
// locks; the indicators it leaves behind are read by the editor on its own thread.

#include "host/vst_abi.h"

#include <atomic>

namespace kestro {

class AudioEffectX;

class MidiControl {
public:
    static constexpr VstInt32 kLeverParameter = 2;
    static constexpr VstInt32 kChannelParameter = 35;

    // -1 for a missing list, else 1. Reads the channel setting from the effect's parameter 35
    // and moves the lever through setParameterAutomated so the host records it.
    int processEvents(const VstEvents* events, AudioEffectX& effect);

    // 1.0 right after a modulation-wheel message; the engine lets it fall back.
    float activityLevel() const { return activity.load(std::memory_order_relaxed); }
    // Multiplies the activity level by `factor` (0..1), settling on exact zero; the engine
    // calls it once per block so the editor's indicator glides back.
    void decayActivity(float factor);
    // For an engine that glides the level itself: it takes the level at block start and
    // hands back what is left at block end (both on the audio thread, after processEvents).
    void setActivityLevel(float level);
    // 1.0 while the sustain pedal is down, 0.0 after it is released.
    double sustainIndicator() const { return sustain.load(std::memory_order_relaxed); }

    // The channel setting for a normalized parameter 35 value: 0 off, 1..16, 17 omni.
    static int channelSetting(float value);

private:
    void handleControlChange(int controller, float value, AudioEffectX& effect);

    std::atomic<float> activity{0.0f};
    std::atomic<double> sustain{0.0};
};

} // namespace kestro

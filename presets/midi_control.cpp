#include "presets/midi_control.h"

#include "host/audio_effect_x.h"

namespace kestro {

namespace {

constexpr int kOmni = 17;
constexpr int kControlChange = 0xB;
constexpr int kModulationWheel = 1;
constexpr int kSustainPedal = 64;
constexpr float kSevenBitStep = 0.00787401572f; // 1 / 127 in single precision
// Below this the indicator is invisible; stop there instead of creeping through denormals.
constexpr float kActivityFloor = 1.0e-6f;

} // namespace

int MidiControl::channelSetting(float value)
{
    // NaN fails every comparison and so ends up off, never as a channel.
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return kOmni;
    return static_cast<int>(17.0f * value + 0.5f);
}

int MidiControl::processEvents(const VstEvents* events, AudioEffectX& effect)
{
    if (events == nullptr)
        return -1;
    // The record declares two pointers; hosts allocate as many as numEvents needs, so the
    // list is read through a pointer to its start, not as the declared two-element array.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        // Read per event: a control change earlier in the list may have moved it.
        const int channel = channelSetting(effect.getParameter(kChannelParameter));
        if (channel == 0)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const int status = static_cast<unsigned char>(midi->midiData[0]);
        if (channel != kOmni && (status & 0x0F) != channel - 1)
            continue;
        if ((status >> 4) != kControlChange)
            continue;
        const int controller = static_cast<unsigned char>(midi->midiData[1]) & 0x7F;
        float value = static_cast<float>(static_cast<unsigned char>(midi->midiData[2]) & 0x7F) * kSevenBitStep;
        if (value > 1.0f)
            value = 1.0f;
        handleControlChange(controller, value, effect);
    }
    return 1;
}

void MidiControl::handleControlChange(int controller, float value, AudioEffectX& effect)
{
    if (controller == kModulationWheel) {
        activity.store(1.0f, std::memory_order_relaxed);
        effect.setParameterAutomated(kLeverParameter, value);
    } else if (controller == kSustainPedal) {
        const bool down = value >= 0.5f;
        sustain.store(down ? 1.0 : 0.0, std::memory_order_relaxed);
        // The lever's current position first, so the host's automation lane holds the
        // jump as a step rather than a ramp from wherever it last recorded.
        effect.setParameterAutomated(kLeverParameter, effect.getParameter(kLeverParameter));
        effect.setParameterAutomated(kLeverParameter, down ? 1.0f : 0.0f);
    }
}

void MidiControl::setActivityLevel(float level)
{
    if (!(level >= kActivityFloor))
        level = 0.0f;
    if (level > 1.0f)
        level = 1.0f;
    activity.store(level, std::memory_order_relaxed);
}

void MidiControl::decayActivity(float factor)
{
    if (!(factor >= 0.0f))
        factor = 0.0f;
    if (factor > 1.0f)
        factor = 1.0f;
    setActivityLevel(activity.load(std::memory_order_relaxed) * factor);
}

} // namespace kestro

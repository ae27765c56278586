#pragma once
// The product: one rotary speaker cabinet per plug-in instance. The host-facing answers
// (names, pins, capabilities, speaker arrangements) live in rotary_effect_host.cpp; the
// signal path and parameter handling in rotary_effect.cpp.

#include "presets/cpreset_system_effect.h"

#include <array>
#include <atomic>

namespace kestro {

class RotaryEffect : public CPresetSystemEffect {
public:
    static constexpr VstInt32 kUniqueId = kVstFourCC('T', 'v', 'K', '1');
    static constexpr VstInt32 kHostProgramCount = 1;
    static constexpr VstInt32 kHostParameterCount = 36;
    static constexpr VstInt32 kParameterCount = 120; // 36 host parameters + internal voicing

    explicit RotaryEffect(audioMasterCallback hostCallback);
    ~RotaryEffect() override;

    // ---- engine ----
    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    VstInt32 processEvents(VstEvents* events) override;

    // ---- host answers ----
    bool canParameterBeAutomated(VstInt32 index) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput) override;
    VstInt32 getNumMidiInputChannels() override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override;

protected:
    // Set by the host's speaker arrangement on its UI thread, read by processing on the
    // audio thread at block start.
    std::atomic<bool> stereoInput{true};
    std::atomic<bool> stereoOutput{true};

private:
    // Descriptor values, capabilities and the editor: everything the host sees at creation.
    void setUpHostInterface();
    // The editor points back at us, so it goes while every part of the effect still exists.
    void releaseEditor();

    // Minimal engine state: the normalized value of every parameter.
    std::array<std::atomic<float>, kParameterCount> parameters{};
};

} // namespace kestro

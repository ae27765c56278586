// Signal path and parameter handling of the effect. For now the cabinet is not modelled:
// audio passes straight through with the channel selection the full engine uses, and
// parameters are only stored, so the host layer can be exercised end to end.

#include "engine/rotary_effect.h"

#include <cmath>
#include <cstdio>

namespace kestro {

namespace {

template <typename Sample>
void passThrough(Sample* in0, Sample* in1, Sample* out0, Sample* out1, VstInt32 sampleFrames)
{
    // out1 first: with a mono output both point at one buffer and the left signal wins.
    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        const Sample left = in0[i];
        const Sample right = in1[i];
        out1[i] = right;
        out0[i] = left;
    }
}

template <typename Sample>
void processBlock(RotaryEffect& effect, bool stereoIn, bool stereoOut, Sample** inputs, Sample** outputs,
                  VstInt32 sampleFrames)
{
    if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || outputs[0] == nullptr ||
        sampleFrames <= 0)
        return;
    Sample* in0 = inputs[0];
    Sample* in1 = in0;
    if (effect.isInputConnected(1) && inputs[1] != nullptr && stereoIn && inputs[1] != inputs[0])
        in1 = inputs[1];
    Sample* out0 = outputs[0];
    Sample* out1 = out0;
    if (effect.isOutputConnected(1) && outputs[1] != nullptr && stereoOut && outputs[1] != outputs[0])
        out1 = outputs[1];
    passThrough(in0, in1, out0, out1, sampleFrames);
}

} // namespace

RotaryEffect::RotaryEffect(audioMasterCallback hostCallback)
    : CPresetSystemEffect(hostCallback, kHostProgramCount, kHostParameterCount)
{
    setUpHostInterface();
}

RotaryEffect::~RotaryEffect()
{
    releaseEditor();
}

void RotaryEffect::suspend() {}

void RotaryEffect::resume() {}

void RotaryEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processBlock(*this, stereoInput.load(std::memory_order_relaxed), stereoOutput.load(std::memory_order_relaxed),
                 inputs, outputs, sampleFrames);
}

void RotaryEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    processBlock(*this, stereoInput.load(std::memory_order_relaxed), stereoOutput.load(std::memory_order_relaxed),
                 inputs, outputs, sampleFrames);
}

void RotaryEffect::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= kParameterCount || !std::isfinite(value))
        return;
    parameters[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
    CPresetSystemEffect::setParameter(index, value);
}

float RotaryEffect::getParameter(VstInt32 index)
{
    if (index < 0 || index >= kParameterCount)
        return 0.0f;
    return parameters[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}

void RotaryEffect::getParameterLabel(VstInt32, char* label)
{
    *label = '\0';
}

void RotaryEffect::getParameterDisplay(VstInt32 index, char* text)
{
    std::snprintf(text, kVstMaxParamStrLen, "%.2f", static_cast<double>(getParameter(index)));
}

void RotaryEffect::getParameterName(VstInt32 index, char* text)
{
    std::snprintf(text, kVstMaxParamStrLen, "Par %d", static_cast<int>(index));
}

bool RotaryEffect::getParameterProperties(VstInt32, VstParameterProperties*)
{
    return true;
}

VstInt32 RotaryEffect::processEvents(VstEvents* events)
{
    return events == nullptr ? -1 : 1;
}

} // namespace kestro

#include "params/parameter_table.h"

#include "params/value_laws.h"

#include <cstdio>

namespace kestro {

namespace {

// Label nullptr: the unit depends on the value (time, distance, frequency).
struct Row {
    const char* name;
    const char* label;
};

constexpr Row kRows[kNumParameters] = {
    {"Bypass", " "},
    {"CPUmode", " "},
    {"Lever", " "},
    {"Speed", " "},
    {"Stop", " "},
    {"Mech", "dB"},
    {"Bottom", "dB"},
    {"LoMid", "dB"},
    {"Presence", "dB"},
    {"Top", "dB"},
    {"Setup", " "},
    {"Input", "dB"},
    {"Type", " "},
    {"Drive", "dB"},
    {"Size", " "},
    {"Color", "%"},
    {"Amount", "dB"},
    {"HSlowSpd", "Hz"},
    {"HFastSpd", "Hz"},
    {"HAccel", nullptr},
    {"HDecel", nullptr},
    {"HDistance", nullptr},
    {"HHPF", nullptr},
    {"HGain", "dB"},
    {"DSlowSpd", "Hz"},
    {"DFastSpd", "Hz"},
    {"DAccel", nullptr},
    {"DDecel", nullptr},
    {"DDistance", nullptr},
    {"DLPF", nullptr},
    {"DGain", "dB"},
    {"", " "},
    {"", " "},
    {"", " "},
    {"", " "},
    {"MIDIchl", " "},
    // 36 onwards: internal voicing parameters.
    {"", " "},
    {"Horn Gain", "dB"},
    {"Horn Mic1 Angle", "deg"},
    {"Horn Mic1 Panorama", "%"},
    {"Horn Mic2 Angle", "deg"},
    {"Horn Mic2 Distance", "%"},
    {"Horn Mic2 Panorama", "%"},
    {"Horn Mic2 Gain", "dB"},
    {"Horn FM Radius", "cm"},
    {"Horn Attenuation", " "},
    {"Horn Ray 1 (front)", " "},
    {"Horn Ray 2 (back/sides)", " "},
    {"Horn Ray 3 (back-right)", " "},
    {"Horn Ray 4 (back-left)", " "},
    {"Horn Ray 5 (LBR)", " "},
    {"Horn Ray 6 (RBL)", " "},
    {"Horn Rays 7-10 (misc)", " "},
    {"Horn LPF cut low", nullptr},
    {"Horn LPF cut high", nullptr},
    {"Horn Reflection coeff", "dB"},
    {"Horn Z-axis rays", " "},
    {"", " "},
    {"Horn Flip", " "},
    {"", " "},
    {"Horn Reflection LPF", "oct"},
    {"Drum Gain", "dB"},
    {"Drum Mic1 Angle", "deg"},
    {"Drum Mic1 Pan", "%"},
    {"", " "},
    {"", " "},
    {"", " "},
    {"", " "},
    {"Drum FM Radius", "cm"},
    {"Drum Attenuation", " "},
    {"Drum Reflection coeff", " "},
    {"", " "},
    {"Horn Open Back Mode", " "},
    {"Drum Open Back Mode", " "},
    {"Amp Post-drive Gain", "dB"},
    {"BR to Tube Mic Gain", "dB"},
    {"BR to Drum Mic Gain", "dB"},
    {"Drum->Tube feedback", "dB"},
    {"Horn->Drum feedback", "dB"},
    {"", " "},
    {"Drum Flip", " "},
    {"", " "},
    {"", " "},
    {"", " "},
    {"", " "},
    {"Drum Ray 1 (front)", " "},
    {"Drum Ray 2 (back/sides)", " "},
    {"Drum LPF cut low", nullptr},
    {"Drum LPF cut high", nullptr},
    {"Drum Reflection LPF", "oct"},
    {"Horn Attenuation distance", "cm"},
    {"Drum Attenuation distance", "cm"},
    {"Horn Static Ray", " "},
    {"Horn Att Decay Exp", " "},
    {"Drum Att Decay Exp", " "},
    {"Drum Static Ray", " "},
    {"Horn AM Radius", "cm"},
    {"Drum AM Radius", "cm"},
    {"Horn Filter Saturation", " "},
    {"Early Refl. Room Size", " "},
    {"Early Refl. Virtual Room Size", " "},
    {"Early Refl. LR Delay", "cm"},
    {"Slow Sample Volume", "dB"},
    {"Fast Sample Volume", "dB"},
    {"Accel Sample Volume", "dB"},
    {"Decel Sample Volume", "dB"},
    {"Early Refl. Main Cutoff", nullptr},
    {"Early Refl. X Cutoff", " "},
    {"", " "},
    {"Slow Speed Button", " "},
    {"Drum Filter Saturation", " "},
    // Shown as a frequency but labelled without a unit, as it always has been.
    {"Drum Static Filter Cutoff", " "},
    {"Horn Static Filter Cutoff", nullptr},
    {"Drum Ray 3 (back-left)", " "},
    {"Drum Ray 4 (back-right)", " "},
    {"Drum Sample Volume", "dB"},
    {"Drum Splitter Frequency", nullptr},
    {"Drum LP Static Gain", "dB"},
    {"Bypass Speakers (Amp Only)", " "},
    {"Horn Amplitude Clip", "dB"},
};

// The frequency a frequency-valued index shows (after the model-rate limit for 22 and 29).
float shownFrequency(int index, float v, double frequencyLimitHz)
{
    switch (index) {
    case kHornHighPass:
        return limitFrequency(hornHighPassFrequency(v), frequencyLimitHz);
    case kDrumLowPass:
        return limitFrequency(drumLowPassFrequency(v), frequencyLimitHz);
    case kDrumSplitterFrequency:
        return splitterFrequency(v);
    default:
        return frequencyCurve(v);
    }
}

void printf1(char* text, float x) { formatFixed(x, 1, text); }
void printf2(char* text, float x) { formatFixed(x, 2, text); }
void printf0(char* text, float x) { formatFixed(x, 0, text); }

} // namespace

bool isValidParameterIndex(int index)
{
    return index >= 0 && index < kNumParameters;
}

bool canParameterBeAutomated(int index)
{
    return index >= 0 && index < kNumHostParameters;
}

bool hasValueSlot(int index)
{
    if (!isValidParameterIndex(index))
        return false;
    switch (index) {
    case kReserved36: case kReserved57: case kReserved59: case kReserved64: case kReserved65:
    case kReserved66: case kReserved67: case kReserved71: case kDrumOpenBackMode:
    case kReserved81: case kReserved82: case kReserved83: case kReserved84: case kReserved108:
        return false;
    default:
        return true;
    }
}

bool isStoredAsDouble(int index)
{
    switch (index) {
    case kColor: case kHornRay1Front: case kHornRay2BackSides: case kHornRay3BackRight:
    case kHornRay4BackLeft: case kHornRay5Lbr: case kHornRay6Rbl: case kHornRays7To10:
    case kHornZAxisRays: case kHornReflectionLpf:
    case kDrumFlip: case kDrumRay1Front: case kDrumRay2BackSides: case kDrumReflectionLpf:
    case kHornStaticRay: case kDrumStaticRay: case kDrumRay3BackLeft: case kDrumRay4BackRight:
        return true;
    default:
        return false;
    }
}

bool isGlobalParameter(int index)
{
    return (index >= kBypass && index <= kStop) || index == kMidiChannel;
}

const char* parameterName(int index)
{
    return isValidParameterIndex(index) ? kRows[index].name : "";
}

void getParameterName(int index, char* text)
{
    copyText(parameterName(index), text);
}

void getParameterLabel(int index, float v, char* text, double frequencyLimitHz)
{
    if (!isValidParameterIndex(index)) {
        copyText(" ", text);
        return;
    }
    if (const char* fixed = kRows[index].label) {
        copyText(fixed, text);
        return;
    }
    switch (index) {
    case kHornAccel: case kHornDecel: case kDrumAccel: case kDrumDecel:
        copyText(timeLabel(timeCurve(v)), text);
        break;
    case kHornDistance: case kDrumDistance:
        copyText(distanceLabel(distanceCurve(v)), text);
        break;
    case kHornHighPass: case kDrumLowPass:
        copyText(frequencyOrOffLabel(shownFrequency(index, v, frequencyLimitHz)), text);
        break;
    default:
        copyText(frequencyLabel(shownFrequency(index, v, frequencyLimitHz)), text);
        break;
    }
}

void getParameterDisplay(int index, float v, char* text, double frequencyLimitHz)
{
    switch (index) {
    case kBypass:
        formatOnOff(v, text);
        break;
    case kCpuMode:
        copyText(positionOf(v, 1) != 0 ? "Brilliant" : "LowCPU", text);
        break;
    case kLever:
        formatLever(v, text);
        break;
    case kStop:
        copyText(positionOf(v, 1) != 0 ? "Stopped" : "Running", text);
        break;
    case kMech: case kHornGain: case kDrumGain:
    case kHornInputGain: case kHornMic2Gain: case kDrumInputGain: case kAmpPostDriveGain:
    case kBrToTubeMicGain: case kBrToDrumMicGain: case kDrumToTubeFeedback:
    case kHornToDrumFeedback:
    case kSlowSampleVolume: case kFastSampleVolume: case kAccelSampleVolume:
    case kDecelSampleVolume: case kDrumSampleVolume: case kDrumLpStaticGain:
        formatDb(levelCurve(v), text);
        break;
    case kBottom: case kLoMid: case kPresence: case kTop:
        printf1(text, toneGainDb(v));
        break;
    case kSetup:
        formatSetupWords(v, text);
        break;
    case kInput:
        // Shown against the unity of the mid position rather than the -3 dB trim.
        formatDb(static_cast<float>(inputGain(v) * 1.4142), text);
        break;
    case kType:
        formatAmplifierType(positionOf(v, 2), text);
        break;
    case kDrive:
        formatDb(static_cast<float>(driveGain(v)), text);
        break;
    case kSize:
        // Widened so that a saturated position cannot overflow when the 1 is added.
        std::snprintf(text, kTextBufferSize, "%lld", static_cast<long long>(positionOf(v, 4)) + 1);
        break;
    case kColor:
        printf1(text, 100.0f * v);
        break;
    case kAmount:
        // The displayed amount cancels the -30 dB trim.
        formatDb(static_cast<float>(amountGain(v) * 31.62277660168379), text);
        break;
    case kHornSlowSpeed: case kHornFastSpeed: case kDrumSlowSpeed: case kDrumFastSpeed:
        printf2(text, rotorSpeedHz(v));
        break;
    case kHornAccel: case kHornDecel: case kDrumAccel: case kDrumDecel:
        formatTime(timeCurve(v), text);
        break;
    case kHornDistance: case kDrumDistance:
        formatDistance(distanceCurve(v), text);
        break;
    case kHornHighPass: case kDrumLowPass:
        formatFrequencyOrOff(shownFrequency(index, v, frequencyLimitHz), text);
        break;
    case kMidiChannel:
        formatMidiChannel(positionOf(v, 17), text);
        break;
    case kHornMic1Angle: case kHornMic2Angle: case kDrumMicAngle:
        printf1(text, micAngle(v) * 360.0f);
        break;
    case kHornMic1Pan: case kHornMic2Pan: case kDrumMicPan:
        formatPan(v, text);
        break;
    case kHornMic2Distance:
        // The unit sits in the text as well as in the label.
        std::snprintf(text, kTextBufferSize, "%.1f%%",
                      static_cast<double>(static_cast<float>(mic2DistanceOffset(v)) * 100.0f));
        break;
    case kHornFmRadius: case kDrumFmRadius: case kHornAmRadius: case kDrumAmRadius:
        printf1(text, radiusCurve(v) * 100.0f);
        break;
    case kHornAttenuation: case kHornReflectionLpf: case kDrumAttenuation: case kDrumReflectionLpf:
        // The engine value is 2v; the text doubles it again.
        printf2(text, static_cast<float>(2.0 * static_cast<double>(v)) * 2.0f);
        break;
    case kHornRay1Front: case kHornRay2BackSides: case kHornRay3BackRight: case kHornRay4BackLeft:
    case kHornRay5Lbr: case kHornRay6Rbl: case kHornRays7To10: case kHornZAxisRays:
    case kDrumRay1Front: case kDrumRay2BackSides: case kHornStaticRay: case kDrumStaticRay:
    case kRoomXCutoff: case kDrumRay3BackLeft: case kDrumRay4BackRight:
        printf2(text, v);
        break;
    case kHornLpfCutLow: case kHornLpfCutHigh: case kDrumLpfCutLow: case kDrumLpfCutHigh:
    case kRoomMainCutoff: case kDrumStaticFilterCutoff: case kHornStaticFilterCutoff:
    case kDrumSplitterFrequency:
        formatFrequency(shownFrequency(index, v, frequencyLimitHz), text);
        break;
    case kHornReflectionCoeff: case kDrumReflectionCoeff: case kHornAmplitudeClip:
        formatDb(attenuationCurve(v), text);
        break;
    case kHornFlip: case kDrumFlip:
        copyText(orientationOf(v) >= 0.0 ? "Off" : "On", text);
        break;
    case kHornOpenBackMode:
        formatOnOff(static_cast<float>(truncateToInt(2.0f * v)), text);
        break;
    case kDrumOpenBackMode:
        copyText("Not implemented", text);
        break;
    case kHornAttenuationDistance:
        printf0(text, static_cast<float>(hornAttenuationDistance(v)) * 100.0f);
        break;
    case kDrumAttenuationDistance:
        printf0(text, drumAttenuationDistance(v) * 100.0f);
        break;
    case kHornAttDecayExp: case kDrumAttDecayExp:
        printf2(text, static_cast<float>(decayExponentCurve(v)));
        break;
    case kHornFilterSaturation: case kDrumFilterSaturation:
        printf2(text, static_cast<float>(saturationCurve(v)));
        break;
    case kRoomSize:
        printf2(text, static_cast<float>(roomSize(v)));
        break;
    case kVirtualRoomSize:
        printf2(text, static_cast<float>(virtualRoomSize(v)));
        break;
    case kRoomLrDelay:
        printf1(text, static_cast<float>(roomLrDelay(v)) * 100.0f);
        break;
    case kSlowSpeedButton: case kAmpOnly:
        formatOnOff(static_cast<float>(positionOf(v, 1)), text);
        break;
    default:
        // Speed, the spares, the unnamed internal indices and anything outside 0..119.
        copyText("", text);
        break;
    }
}

bool getParameterProperties(int index, ParameterPropertiesInfo& out)
{
    switch (index) {
    case kBypass: case kCpuMode: case kSpeed: case kStop:
        out.flags = kParameterIsSwitch | kParameterUsesFloatStep;
        out.stepFloat = out.smallStepFloat = out.largeStepFloat = 1.0f;
        break;
    case kSetup:
        out.flags = kParameterUsesFloatStep;
        out.stepFloat = out.smallStepFloat = out.largeStepFloat = 0.2f;
        break;
    case kType:
        out.flags = kParameterUsesFloatStep;
        out.stepFloat = out.smallStepFloat = out.largeStepFloat = 0.5f;
        break;
    case kSize:
        out.flags = kParameterUsesFloatStep;
        out.stepFloat = out.smallStepFloat = out.largeStepFloat = 0.25f;
        break;
    default:
        out.flags = kParameterUsesFloatStep;
        out.stepFloat = 1.0f / 35.0f;
        out.smallStepFloat = 1.0f / 70.0f;
        out.largeStepFloat = 1.0f / 35.0f;
        break;
    }
    const char* name = parameterName(index);
    std::snprintf(out.label, sizeof out.label, "%s", name);
    std::snprintf(out.shortLabel, sizeof out.shortLabel, "%s", name);
    return true;
}

} // namespace kestro

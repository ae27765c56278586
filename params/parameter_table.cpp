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
    case 116:
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
    case 36: case 57: case 59: case 64: case 65: case 66: case 67: case 71: case 73:
    case 81: case 82: case 83: case 84: case 108:
        return false;
    default:
        return true;
    }
}

bool isStoredAsDouble(int index)
{
    switch (index) {
    case 15: case 46: case 47: case 48: case 49: case 50: case 51: case 52: case 56: case 60:
    case 80: case 85: case 86: case 89: case 92: case 95: case 113: case 114:
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
    case 37: case 43: case 61: case 74: case 75: case 76: case 77: case 78:
    case 102: case 103: case 104: case 105: case 115: case 117:
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
    case 38: case 40: case 62:
        printf1(text, micAngle(v) * 360.0f);
        break;
    case 39: case 42: case 63:
        formatPan(v, text);
        break;
    case 41:
        // The unit sits in the text as well as in the label.
        std::snprintf(text, kTextBufferSize, "%.1f%%",
                      static_cast<double>(static_cast<float>(mic2DistanceOffset(v)) * 100.0f));
        break;
    case 44: case 68: case 96: case 97:
        printf1(text, radiusCurve(v) * 100.0f);
        break;
    case 45: case 60: case 69: case 89:
        // The engine value is 2v; the text doubles it again.
        printf2(text, static_cast<float>(2.0 * static_cast<double>(v)) * 2.0f);
        break;
    case 46: case 47: case 48: case 49: case 50: case 51: case 52: case 56:
    case 85: case 86: case 92: case 95: case 107: case 113: case 114:
        printf2(text, v);
        break;
    case 53: case 54: case 87: case 88: case 106: case 111: case 112: case 116:
        formatFrequency(shownFrequency(index, v, frequencyLimitHz), text);
        break;
    case 55: case 70: case 119:
        formatDb(attenuationCurve(v), text);
        break;
    case 58: case 80:
        copyText(orientationOf(v) >= 0.0 ? "Off" : "On", text);
        break;
    case 72:
        formatOnOff(static_cast<float>(truncateToInt(2.0f * v)), text);
        break;
    case 73:
        copyText("Not implemented", text);
        break;
    case 90:
        printf0(text, static_cast<float>(hornAttenuationDistance(v)) * 100.0f);
        break;
    case 91:
        printf0(text, drumAttenuationDistance(v) * 100.0f);
        break;
    case 93: case 94:
        printf2(text, static_cast<float>(decayExponentCurve(v)));
        break;
    case 98: case 110:
        printf2(text, static_cast<float>(saturationCurve(v)));
        break;
    case 99:
        printf2(text, static_cast<float>(roomSize(v)));
        break;
    case 100:
        printf2(text, static_cast<float>(virtualRoomSize(v)));
        break;
    case 101:
        printf1(text, static_cast<float>(roomLrDelay(v)) * 100.0f);
        break;
    case 109: case 118:
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

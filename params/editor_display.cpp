#include "params/editor_display.h"

#include "params/parameter_table.h"
#include "params/value_laws.h"

#include <cstdio>
#include <cstring>

namespace kestro {

namespace {

// Appends " " and the unit to a value text already in `text`.
void appendUnit(char* text, const char* unit)
{
    const std::size_t used = std::strlen(text);
    if (used + 1 < kTextBufferSize)
        std::snprintf(text + used, kTextBufferSize - used, " %s", unit);
}

} // namespace

EditorLaw editorLawOf(int index)
{
    switch (index) {
    case kMech: case kInput: case kAmount: case kHornGain: case kDrumGain:
        return EditorLaw::LevelDb;
    case kBottom: case kLoMid: case kPresence: case kTop:
        return EditorLaw::EqDb;
    case kSetup:
        return EditorLaw::SetupFirstWord;
    case kType:
        return EditorLaw::AmplifierType;
    case kDrive:
        return EditorLaw::DriveDb;
    case kSize:
        return EditorLaw::SizeNumber;
    case kColor:
        return EditorLaw::ColorPercent;
    case kHornSlowSpeed: case kHornFastSpeed: case kDrumSlowSpeed: case kDrumFastSpeed:
        return EditorLaw::SpeedHz;
    case kHornAccel: case kHornDecel: case kDrumAccel: case kDrumDecel:
        return EditorLaw::Time;
    case kHornDistance: case kDrumDistance:
        return EditorLaw::Distance;
    case kHornHighPass:
        return EditorLaw::HighPass;
    case kDrumLowPass:
        return EditorLaw::LowPass;
    default:
        return EditorLaw::None;
    }
}

void formatEditorDisplay(EditorLaw law, float v, char* text)
{
    switch (law) {
    case EditorLaw::LevelDb:
        formatDb(levelCurve(v), text);
        appendUnit(text, "dB");
        break;
    case EditorLaw::EqDb:
        std::snprintf(text, kTextBufferSize, "%.1f dB", static_cast<double>(toneGainDb(v)));
        break;
    case EditorLaw::DriveDb:
        std::snprintf(text, kTextBufferSize, "%.1f dB", static_cast<double>(40.0f * v - 20.0f));
        break;
    case EditorLaw::SizeNumber:
        std::snprintf(text, kTextBufferSize, "%lld", static_cast<long long>(positionOf(v, 4)) + 1);
        break;
    case EditorLaw::ColorPercent:
        std::snprintf(text, kTextBufferSize, "%.1f %%", static_cast<double>(100.0f * v));
        break;
    case EditorLaw::SpeedHz:
        std::snprintf(text, kTextBufferSize, "%.2f Hz", static_cast<double>(rotorSpeedHz(v)));
        break;
    case EditorLaw::Time: {
        const float t = timeCurve(v);
        formatTime(t, text);
        appendUnit(text, timeLabel(t));
        break;
    }
    case EditorLaw::Distance: {
        const float d = distanceCurve(v);
        formatDistance(d, text);
        appendUnit(text, distanceLabel(d));
        break;
    }
    case EditorLaw::HighPass: {
        const float f = hornHighPassFrequency(v);
        formatFrequencyOrOff(f, text);
        appendUnit(text, frequencyOrOffLabel(f));
        break;
    }
    case EditorLaw::LowPass: {
        const float f = drumLowPassFrequency(v);
        formatFrequencyOrOff(f, text);
        appendUnit(text, frequencyOrOffLabel(f));
        break;
    }
    case EditorLaw::SetupFirstWord:
        copyText(setupFirstWord(positionOf(v, 5)), text);
        break;
    case EditorLaw::SetupSecondWord:
        copyText(setupSecondWord(positionOf(v, 5)), text);
        break;
    case EditorLaw::AmplifierType:
        formatAmplifierType(positionOf(v, 2), text);
        break;
    case EditorLaw::None:
        copyText("", text);
        break;
    }
}

} // namespace kestro

#pragma once
// Where every control of the window sits and how it is set up. Rectangles are (left, top,
// right, bottom) in window pixels, right and bottom exclusive.

#include "params/parameter_table.h"
#include "toolkit/geometry.h"

#include <array>

namespace kestro::layout {

// Tags of the window's own controls that are not parameters.
enum EditorTag : int {
    kTagHornStrip = 142,
    kTagDrumStrip = 143,
    kTagSustainLamp = 144,
    kTagModulationLamp = 145,
    kTagAbout = 147,
    kTagMidiRocker = 148,
};

// "Bypass Speakers (Amp Only)": with it on the rotor strips rest in the middle.
inline constexpr int kAmpOnlyParameter = 118;

struct KnobPlace {
    int tag;
    CRect knob;
    CRect display;
    float defaultValue;
    float wheelStep;
    float dragFactor;
};

inline constexpr float kKnobWheelFineFactor = 0.2f;
inline constexpr float kKnobFineDragFactor = 5.0f;
inline constexpr int kKnobFrames = 101;
inline constexpr CCoord kKnobSize = 44;

// Rows in the order the window creates them: horn, middle, amplifier, drum.
inline constexpr std::array<KnobPlace, 26> kKnobs{{
    {kHornSlowSpeed, {20, 53, 64, 97}, {16, 102, 68, 113}, 0.1f, 0.01f, 0.4f},
    {kHornFastSpeed, {65, 53, 109, 97}, {61, 102, 113, 113}, 0.6f, 0.01f, 0.4f},
    {kHornAccel, {134, 53, 178, 97}, {130, 102, 182, 113}, 0.349485f, 0.05f, 0.25f},
    {kHornDecel, {179, 53, 223, 97}, {175, 102, 227, 113}, 0.349485f, 0.05f, 0.25f},
    {kHornDistance, {248, 53, 292, 97}, {244, 102, 296, 113}, 0.5f, 0.05f, 0.25f},
    {kHornHighPass, {293, 53, 337, 97}, {289, 102, 341, 113}, 0.0f, 0.05f, 0.25f},
    {kHornGain, {338, 53, 382, 97}, {334, 102, 386, 113}, 0.5f, 0.05f, 0.25f},
    {kMech, {16, 202, 60, 246}, {12, 251, 64, 262}, 0.5f, 0.05f, 0.25f},
    {kBottom, {74, 202, 118, 246}, {70, 251, 122, 262}, 0.5f, 0.05f, 0.25f},
    {kLoMid, {119, 202, 163, 246}, {115, 251, 167, 262}, 0.5f, 0.05f, 0.25f},
    {kPresence, {164, 202, 208, 246}, {160, 251, 212, 262}, 0.5f, 0.05f, 0.25f},
    {kTop, {209, 202, 253, 246}, {205, 251, 257, 262}, 0.5f, 0.05f, 0.25f},
    {kSetup, {269, 202, 313, 246}, {265, 251, 317, 262}, 0.25f, 0.1f, 0.18f},
    {kInput, {20, 303, 64, 347}, {16, 352, 68, 363}, 0.5f, 0.05f, 0.25f},
    {kType, {65, 303, 109, 347}, {61, 352, 113, 363}, 0.5f, 0.333334f, 0.125f},
    {kDrive, {110, 303, 154, 347}, {106, 352, 158, 363}, 0.5f, 0.05f, 0.25f},
    {kSize, {178, 303, 222, 347}, {174, 352, 226, 363}, 0.5f, 0.2f, 0.25f},
    {kColor, {222, 303, 266, 347}, {219, 352, 271, 363}, 0.5f, 0.05f, 0.25f},
    {kAmount, {268, 303, 312, 347}, {264, 352, 316, 363}, 0.5f, 0.05f, 0.25f},
    {kDrumSlowSpeed, {20, 445, 64, 489}, {16, 494, 68, 505}, 0.1f, 0.01f, 0.4f},
    {kDrumFastSpeed, {65, 445, 109, 489}, {61, 494, 113, 505}, 0.6f, 0.01f, 0.4f},
    {kDrumAccel, {134, 445, 178, 489}, {130, 494, 182, 505}, 0.650514f, 0.05f, 0.25f},
    {kDrumDecel, {179, 445, 223, 489}, {175, 494, 227, 505}, 0.650514f, 0.05f, 0.25f},
    {kDrumDistance, {248, 445, 292, 489}, {244, 494, 296, 505}, 0.5f, 0.05f, 0.25f},
    {kDrumLowPass, {293, 445, 337, 489}, {289, 494, 341, 505}, 1.0f, 0.05f, 0.25f},
    {kDrumGain, {338, 445, 382, 489}, {334, 494, 386, 505}, 0.5f, 0.05f, 0.25f},
}};
// The horn row comes before the buttons and the lever; the rest after them.
inline constexpr std::size_t kHornKnobCount = 7;

// Setup shows its two words on two displays, one above the other.
inline constexpr CRect kSetupSecondDisplay{265, 262, 317, 273};

// The Type knob shows only its three positions, over this part of the filmstrip.
inline constexpr int kTypeSteps = 3;
inline constexpr float kTypeStepMinimum = 0.4f;
inline constexpr float kTypeStepMaximum = 0.6f;

inline constexpr CRect kStopButton{359, 347, 385, 383};
inline constexpr CRect kSpeedButton{330, 348, 357, 384};
inline constexpr CCoord kButtonFrameHeight = 36;

inline constexpr CRect kLeverArea{330, 149, 385, 335};
inline constexpr float kLeverUpperLimit = 38.0f;
inline constexpr float kLeverLowerLimit = 152.0f;
inline constexpr float kLeverWheelStep = 0.15f;
inline constexpr float kLeverWheelFineFactor = 0.1f;

inline constexpr CRect kHornStrip{91, 12, 389, 24};
inline constexpr CRect kDrumStrip{91, 404, 389, 416};
inline constexpr CPoint kStripMarkerOrigin{-120, 0};
inline constexpr float kStripPhaseOffset = 0.5f;
inline constexpr CCoord kStripWidth = 298;

inline constexpr CRect kAboutArea{12, 156, 187, 178};
inline constexpr CRect kAboutScreen{0, 0, 400, 533};
inline constexpr CPoint kVersionAnchor{258, 181};

inline constexpr CCoord kRowFrameHeight = 14;
inline constexpr CRect kMidiRocker{38, 536, 69, 550};
inline constexpr CRect kMidiDisplay{6, 536, 36, 550};
inline constexpr int kMidiDisplayFrames = 18;
inline constexpr CRect kBypassSwitch{340, 536, 398, 550};
inline constexpr CRect kCpuModeSwitch{195, 536, 335, 550};
inline constexpr CRect kModulationLamp{129, 536, 185, 550};
inline constexpr CRect kSustainLamp{68, 536, 130, 550};
inline constexpr int kLampFrames = 2;

// A rotor phase (turns) as its strip shows it: one turn out of range is brought back once
// in each direction.
inline float rotorStripValue(double phase)
{
    if (phase > 1.0)
        phase -= 1.0;
    else if (phase < 0.0)
        phase += 1.0;
    return static_cast<float>(phase);
}

// One MIDI rocker press moves the channel setting by 1/18: eighteen presses run the range.
inline constexpr float kMidiChannelStep = 0.055555556f;

} // namespace kestro::layout

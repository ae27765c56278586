#pragma once
// Where the editor places its controls (window pixels), so the background can put a label
// beside every control and a well under every knob and value display. The rectangles are
// the editor's; the label texts and groupings are the artwork's.

#include <array>

#include "canvas.h"

namespace artwork::layout {

inline constexpr int kWindowWidth = 401;
inline constexpr int kWindowHeight = 570;

struct Knob {
  const char* label;
  Rect knob;
  Rect display;
};

// One titled group of knobs in a row.
struct KnobGroup {
  const char* title;
  int first;  // index into kKnobs
  int count;
};

inline constexpr std::array<Knob, 26> kKnobs{{
    // horn row
    {"SLOW", ltrb(20, 53, 64, 97), ltrb(16, 102, 68, 113)},
    {"FAST", ltrb(65, 53, 109, 97), ltrb(61, 102, 113, 113)},
    {"ACCEL", ltrb(134, 53, 178, 97), ltrb(130, 102, 182, 113)},
    {"DECEL", ltrb(179, 53, 223, 97), ltrb(175, 102, 227, 113)},
    {"DISTANCE", ltrb(248, 53, 292, 97), ltrb(244, 102, 296, 113)},
    {"HIGH-PASS", ltrb(293, 53, 337, 97), ltrb(289, 102, 341, 113)},
    {"LEVEL", ltrb(338, 53, 382, 97), ltrb(334, 102, 386, 113)},
    // middle row
    {"NOISE", ltrb(16, 202, 60, 246), ltrb(12, 251, 64, 262)},
    {"BASS", ltrb(74, 202, 118, 246), ltrb(70, 251, 122, 262)},
    {"LO MID", ltrb(119, 202, 163, 246), ltrb(115, 251, 167, 262)},
    {"PRESENCE", ltrb(164, 202, 208, 246), ltrb(160, 251, 212, 262)},
    {"TREBLE", ltrb(209, 202, 253, 246), ltrb(205, 251, 257, 262)},
    {"SETUP", ltrb(269, 202, 313, 246), ltrb(265, 251, 317, 273)},
    // third row
    {"INPUT", ltrb(20, 303, 64, 347), ltrb(16, 352, 68, 363)},
    {"TYPE", ltrb(65, 303, 109, 347), ltrb(61, 352, 113, 363)},
    {"DRIVE", ltrb(110, 303, 154, 347), ltrb(106, 352, 158, 363)},
    {"SIZE", ltrb(178, 303, 222, 347), ltrb(174, 352, 226, 363)},
    {"COLOR", ltrb(222, 303, 266, 347), ltrb(219, 352, 271, 363)},
    {"AMOUNT", ltrb(268, 303, 312, 347), ltrb(264, 352, 316, 363)},
    // drum row
    {"SLOW", ltrb(20, 445, 64, 489), ltrb(16, 494, 68, 505)},
    {"FAST", ltrb(65, 445, 109, 489), ltrb(61, 494, 113, 505)},
    {"ACCEL", ltrb(134, 445, 178, 489), ltrb(130, 494, 182, 505)},
    {"DECEL", ltrb(179, 445, 223, 489), ltrb(175, 494, 227, 505)},
    {"DISTANCE", ltrb(248, 445, 292, 489), ltrb(244, 494, 296, 505)},
    {"LOW-PASS", ltrb(293, 445, 337, 489), ltrb(289, 494, 341, 505)},
    {"LEVEL", ltrb(338, 445, 382, 489), ltrb(334, 494, 386, 505)},
}};

inline constexpr std::array<KnobGroup, 11> kKnobGroups{{
    {"SPEED", 0, 2},
    {"RAMP TIME", 2, 2},
    {"MICROPHONE", 4, 3},
    {"MOTOR", 7, 1},
    {"EQUALIZER", 8, 4},
    {"MICS", 12, 1},
    {"AMPLIFIER", 13, 3},
    {"ROOM", 16, 3},
    {"SPEED", 19, 2},
    {"RAMP TIME", 21, 2},
    {"MICROPHONE", 23, 3},
}};

// Other controls of the window.
inline constexpr Rect kStopButton = ltrb(359, 347, 385, 383);
inline constexpr Rect kSpeedButton = ltrb(330, 348, 357, 384);
inline constexpr Rect kSpeedLever = ltrb(330, 149, 385, 335);
inline constexpr Rect kHornStrip = ltrb(91, 12, 389, 24);
inline constexpr Rect kDrumStrip = ltrb(91, 404, 389, 416);
inline constexpr Rect kAboutArea = ltrb(12, 156, 187, 178);
inline constexpr Rect kMidiRocker = ltrb(38, 536, 69, 550);
inline constexpr Rect kMidiDisplay = ltrb(6, 536, 36, 550);
inline constexpr Rect kBypassSwitch = ltrb(340, 536, 398, 550);
inline constexpr Rect kCpuModeSwitch = ltrb(195, 536, 335, 550);
inline constexpr Rect kModulationLamp = ltrb(129, 536, 185, 550);
inline constexpr Rect kSustainLamp = ltrb(68, 536, 130, 550);

// Lever handle travel inside its control, and the version text of the about screen.
inline constexpr double kLeverUpperLimit = 38;
inline constexpr double kLeverLowerLimit = 152;
inline constexpr Rect kAboutVersionText = {258, 181, 80, 15};

// Preset panel (bottom row).
inline constexpr Rect kSaveBank = ltrb(4, 554, 16, 568);
inline constexpr Rect kBankLabel = ltrb(16, 556, 53, 566);
inline constexpr Rect kLoadBank = ltrb(54, 554, 66, 568);
inline constexpr Rect kSavePreset = ltrb(69, 554, 81, 568);
inline constexpr Rect kPresetLabel = ltrb(81, 556, 128, 566);
inline constexpr Rect kLoadPreset = ltrb(128, 554, 140, 568);
inline constexpr Rect kNameField = ltrb(146, 553, 262, 569);  // 553.5 .. 568.5 rounded outwards
inline constexpr Rect kProgramMenu = ltrb(263, 554, 275, 568);
inline constexpr Rect kProgramRocker = ltrb(278, 554, 309, 568);
inline constexpr Rect kStoreMemoA = ltrb(311, 554, 323, 568);
inline constexpr Rect kRecallMemoA = ltrb(333, 554, 345, 568);
inline constexpr Rect kStoreMemoB = ltrb(349, 554, 361, 568);
inline constexpr Rect kRecallMemoB = ltrb(371, 554, 383, 568);
inline constexpr Rect kManual = ltrb(384, 554, 400, 568);

}  // namespace artwork::layout

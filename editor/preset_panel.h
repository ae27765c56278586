#pragma once
// The preset panel's tags and places in the window's bottom row (window pixels; right and
// bottom exclusive).

#include "toolkit/geometry.h"

namespace kestro::panel {

// Tags 155 to 160 are reserved and do nothing.
enum Tag : int {
    kNameFieldTag = 149,
    kProgramRockerTag = 150,
    kLoadBankTag = 151,
    kSaveBankTag = 152,
    kLoadPresetTag = 153,
    kSavePresetTag = 154,
    kProgramMenuTag = 161,
    kBankLabelTag = 162,
    kPresetLabelTag = 163,
    kStoreMemoATag = 164,
    kStoreMemoBTag = 165,
    kRecallMemoATag = 166,
    kRecallMemoBTag = 167,
    kManualTag = 168,
    kFirstTag = kNameFieldTag,
    kLastTag = kManualTag,
};

inline constexpr bool isPanelTag(int tag) { return tag >= kFirstTag && tag <= kLastTag; }

inline constexpr CCoord kRowTop = 554;
inline constexpr CCoord kRowBottom = 568;
inline constexpr int kNameFontSize = 11;
// The name field is widened around the row's centre so its text sits in the middle:
// centre 561, half the font size and 2 pixels either side (553.5 to 568.5).
inline constexpr CCoord kRowCentre = (kRowTop + kRowBottom) / 2;
inline constexpr CRect kNameField{146, kRowCentre - kNameFontSize / 2.0 - 2, 262, kRowCentre + kNameFontSize / 2.0 + 2};
inline constexpr CRect kProgramMenu{263, kRowTop, 275, kRowBottom};
inline constexpr CRect kProgramRocker{278, kRowTop, 309, kRowBottom};
inline constexpr CRect kSaveBank{4, kRowTop, 16, kRowBottom};
inline constexpr CRect kBankLabel{16, 556, 53, 566};
inline constexpr CRect kLoadBank{54, kRowTop, 66, kRowBottom};
inline constexpr CRect kSavePreset{69, kRowTop, 81, kRowBottom};
inline constexpr CRect kPresetLabel{81, 556, 128, 566};
inline constexpr CRect kLoadPreset{128, kRowTop, 140, kRowBottom};
inline constexpr CRect kStoreMemoA{311, kRowTop, 323, kRowBottom};
inline constexpr CRect kRecallMemoA{333, kRowTop, 345, kRowBottom};
inline constexpr CRect kStoreMemoB{349, kRowTop, 361, kRowBottom};
inline constexpr CRect kRecallMemoB{371, kRowTop, 383, kRowBottom};
inline constexpr CRect kManual{384, kRowTop, 400, kRowBottom};

} // namespace kestro::panel

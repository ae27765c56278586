#pragma once
// Every bitmap the editor loads, by the numeric id its PNG carries (resources/<id>.png),
// with the size and frame layout the controls draw from. Filmstrips hold their frames
// stacked vertically, frame 0 at the top, each frame width x (height / frames).
//
// The artwork needs no background repaint under a control: bitmaps drawn at one place
// carry the background under them and are opaque; the knob and the rocker, drawn at
// several places, are opaque where they draw and fully transparent elsewhere (no
// half-transparent pixels, so drawing one over itself changes nothing). Only the rotor
// markers are soft-edged; they are drawn over a freshly painted strip.

#include <array>
#include <cstddef>

namespace kestro {

// Main window.
inline constexpr int kBitmapBackground = 4000;      // whole window; also under every value display
inline constexpr int kBitmapKnob = 2002;            // 101 frames, pointer from -150 to +150 degrees
inline constexpr int kBitmapStopButton = 2003;      // off (running) above on (stopped)
inline constexpr int kBitmapSpeedButton = 2004;     // released above pressed
inline constexpr int kBitmapSpeedLever = 2005;      // 65 frames, top "Tremolo" to bottom "Chorale"
inline constexpr int kBitmapHornStrip = 2008;       // horn rotor strip background
inline constexpr int kBitmapHornMarker = 2009;      // horn rotor strip marker
inline constexpr int kBitmapDrumStrip = 2013;       // drum rotor strip background
inline constexpr int kBitmapDrumMarker = 2010;      // drum rotor strip marker
inline constexpr int kBitmapAbout = 3999;           // about screen picture
inline constexpr int kBitmapRocker = 19997;         // idle, left hover, right hover, left pressed, right pressed
inline constexpr int kBitmapMidiChannel = 4005;     // OFF, 1 .. 16, OMNI
inline constexpr int kBitmapBypass = 4001;          // off above on
inline constexpr int kBitmapCpuMode = 4002;         // low-CPU above brilliant
inline constexpr int kBitmapModulationLamp = 4003;  // dark above lit
inline constexpr int kBitmapSustainLamp = 4004;     // dark above lit

// Preset panel: three frames each (idle, under the mouse, pressed).
inline constexpr int kBitmapSaveBank = 19994;
inline constexpr int kBitmapBankLabel = 19990;
inline constexpr int kBitmapLoadBank = 19993;
inline constexpr int kBitmapSavePreset = 19999;
inline constexpr int kBitmapPresetLabel = 19899;
inline constexpr int kBitmapLoadPreset = 19998;
inline constexpr int kBitmapStoreMemoA = 19995;
inline constexpr int kBitmapRecallMemoA = 19991;
inline constexpr int kBitmapStoreMemoB = 19996;
inline constexpr int kBitmapRecallMemoB = 19992;
inline constexpr int kBitmapManual = 989;

struct BitmapLayout {
  int id;
  int width;
  int height;  // whole strip
  int frames;

  constexpr int frameHeight() const { return height / frames; }
};

inline constexpr std::array<BitmapLayout, 27> kBitmapLayouts{{
    {kBitmapBackground, 401, 570, 1}, {kBitmapKnob, 44, 4444, 101},       {kBitmapStopButton, 26, 72, 2},
    {kBitmapSpeedButton, 27, 72, 2},  {kBitmapSpeedLever, 55, 12090, 65}, {kBitmapHornStrip, 298, 12, 1},
    {kBitmapHornMarker, 120, 14, 1},  {kBitmapDrumStrip, 298, 12, 1},     {kBitmapDrumMarker, 120, 14, 1},
    {kBitmapAbout, 400, 533, 1},      {kBitmapRocker, 31, 70, 5},         {kBitmapMidiChannel, 30, 252, 18},
    {kBitmapBypass, 58, 28, 2},       {kBitmapCpuMode, 140, 28, 2},       {kBitmapModulationLamp, 56, 28, 2},
    {kBitmapSustainLamp, 62, 28, 2},  {kBitmapSaveBank, 12, 42, 3},       {kBitmapBankLabel, 37, 30, 3},
    {kBitmapLoadBank, 12, 42, 3},     {kBitmapSavePreset, 12, 42, 3},     {kBitmapPresetLabel, 47, 30, 3},
    {kBitmapLoadPreset, 12, 42, 3},   {kBitmapStoreMemoA, 12, 42, 3},     {kBitmapRecallMemoA, 12, 42, 3},
    {kBitmapStoreMemoB, 12, 42, 3},   {kBitmapRecallMemoB, 12, 42, 3},    {kBitmapManual, 16, 42, 3},
}};

// The layout of one id, or nullptr for an id the editor does not use.
constexpr const BitmapLayout* findBitmapLayout(int id) {
  for (const BitmapLayout& layout : kBitmapLayouts) {
    if (layout.id == id) return &layout;
  }
  return nullptr;
}

namespace detail {
constexpr bool bitmapLayoutsConsistent() {
  for (std::size_t i = 0; i < kBitmapLayouts.size(); ++i) {
    const BitmapLayout& a = kBitmapLayouts[i];
    if (a.width <= 0 || a.frames <= 0 || a.height % a.frames != 0) return false;
    for (std::size_t j = i + 1; j < kBitmapLayouts.size(); ++j) {
      if (kBitmapLayouts[j].id == a.id) return false;
    }
  }
  return true;
}
}  // namespace detail
static_assert(detail::bitmapLayoutsConsistent(), "every frame height is whole and every id listed once");

}  // namespace kestro

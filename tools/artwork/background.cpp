// The window background: brushed dark-metal plates on a darker chassis, one plate per
// part of the cabinet (horn, amplifier and tone, lever, drum, bottom row), amber section
// titles between engraved rules, cream labels over every control, dark wells under the
// value displays (white text) and a cream window under the program name (dark text).

#include <algorithm>
#include <cmath>

#include "artwork.h"
#include "layout.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Plates, in window pixels.
constexpr Rect kHornPlate = ltrb(3, 3, 398, 119);
constexpr Rect kMiddlePlate = ltrb(3, 122, 324, 396);
constexpr Rect kLeverPlate = ltrb(327, 122, 398, 396);
constexpr Rect kDrumPlate = ltrb(3, 399, 398, 513);
constexpr Rect kBottomPlate = ltrb(3, 516, 398, 551);
constexpr Rect kPresetStrip = ltrb(0, 552, 401, 570);

constexpr double kPlateRadius = 4;

void fillChassis(Image& image) {
  cairo_t* cr = image.cr();
  setColour(cr, rgb(0x141210));
  cairo_paint(cr);
}

void fillPlate(Image& image, Rect plate, std::uint32_t seed) {
  cairo_t* cr = image.cr();
  roundedRect(cr, plate, kPlateRadius);
  fillLinear(cr, 0, plate.y, 0, plate.bottom(), {{0, scale(palette::kPlate, 1.12)}, {1, scale(palette::kPlate, 0.86)}});
  image.brush(plate, 0.16, seed);
}

void bevelPlate(cairo_t* cr, Rect plate) {
  // Lit top and left edges, shadowed bottom and right ones.
  cairo_pattern_t* edge = cairo_pattern_create_linear(plate.x, plate.y, plate.x + plate.w * 0.15, plate.bottom());
  addStop(edge, 0, palette::kBevelLight, 0.95);
  addStop(edge, 0.5, palette::kBevelLight, 0.25);
  addStop(edge, 1, rgb(0x000000), 0.7);
  roundedRect(cr, plate.inset(0.5), kPlateRadius - 0.5);
  cairo_set_source(cr, edge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

// Four small screws in the corners of a plate.
void drawScrews(cairo_t* cr, Rect plate) {
  const double inset = 6.5;
  const double xs[2] = {plate.x + inset, plate.right() - inset};
  const double ys[2] = {plate.y + inset, plate.bottom() - inset};
  for (double x : xs) {
    for (double y : ys) drawScrew(cr, x, y, 0.6);
  }
}

// An engraved line: a dark groove with a lit lower lip.
void engraveLine(cairo_t* cr, double x0, double y0, double x1, double y1) {
  cairo_set_line_width(cr, 1);
  setColour(cr, palette::kSeam, 0.9);
  cairo_move_to(cr, x0, y0 + 0.5);
  cairo_line_to(cr, x1, y1 + 0.5);
  cairo_stroke(cr);
  setColour(cr, palette::kBevelLight, 0.55);
  cairo_move_to(cr, x0, y0 + 1.5);
  cairo_line_to(cr, x1, y1 + 1.5);
  cairo_stroke(cr);
}

// Amber title centred over [left, right] with engraved rules on either side.
void sectionTitle(cairo_t* cr, const char* text, double left, double right, double baseline) {
  setFont(cr, Font::Bold, 7.5);
  const double spacing = 1.3;
  const double width = textWidth(cr, text, spacing);
  const double cx = (left + right) / 2;
  const double ruleY = std::floor(baseline - capHeight(cr) / 2) - 0.5;
  if (cx - width / 2 - 5 > left + 2) {
    engraveLine(cr, left + 2, ruleY, cx - width / 2 - 5, ruleY);
    engraveLine(cr, cx + width / 2 + 5, ruleY, right - 2, ruleY);
  }
  setColour(cr, rgb(0x000000), 0.6);
  textCentred(cr, text, cx + 0.5, baseline + 0.7, spacing);
  setColour(cr, palette::kTitle);
  textCentred(cr, text, cx, baseline, spacing);
}

void controlLabel(cairo_t* cr, const char* text, double cx, double baseline) {
  setFont(cr, Font::Bold, 7);
  const double spacing = 0.5;
  setColour(cr, rgb(0x000000), 0.6);
  textCentred(cr, text, cx + 0.5, baseline + 0.7, spacing);
  setColour(cr, palette::kLabel);
  textCentred(cr, text, cx, baseline, spacing);
}

// A recessed window for a value display: white text reads on it at any value.
void displayWell(cairo_t* cr, Rect r) {
  roundedRect(cr, r.inset(-1), 2.5);
  fillLinear(cr, 0, r.y - 1, 0, r.bottom() + 1, {{0, rgb(0x000000), 0.8}, {1, palette::kBevelLight, 0.8}});
  roundedRect(cr, r, 2);
  fillLinear(cr, 0, r.y, 0, r.bottom(), {{0, rgb(0x050504)}, {1, rgb(0x161412)}});
}

// A dark recessed frame around a rotor strip.
void stripFrame(cairo_t* cr, Rect strip) {
  const Rect outer = strip.inset(-2);
  roundedRect(cr, outer, 2.5);
  fillLinear(cr, 0, outer.y, 0, outer.bottom(), {{0, rgb(0x000000), 0.9}, {1, palette::kBevelLight, 0.9}});
  cairo_rectangle(cr, strip.x - 1, strip.y - 1, strip.w + 2, strip.h + 2);
  setColour(cr, rgb(0x030303));
  cairo_fill(cr);
}

void rotorTitle(cairo_t* cr, const char* word, Rect strip, double left) {
  setFont(cr, Font::Bold, 9);
  const double baseline = strip.cy() + capHeight(cr) / 2;
  setColour(cr, rgb(0x000000), 0.6);
  textLeft(cr, word, left + 0.5, baseline + 0.7, 1.6);
  setColour(cr, palette::kTitle);
  textLeft(cr, word, left, baseline, 1.6);
  setFont(cr, Font::Bold, 6.5);
  setColour(cr, palette::kLabelDim);
  textRight(cr, "ROTOR", strip.x - 7, baseline, 0.8);
}

void drawKnobRows(cairo_t* cr) {
  for (const layout::KnobGroup& group : layout::kKnobGroups) {
    const layout::Knob& first = layout::kKnobs[static_cast<std::size_t>(group.first)];
    const layout::Knob& last = layout::kKnobs[static_cast<std::size_t>(group.first + group.count - 1)];
    sectionTitle(cr, group.title, first.display.x, last.display.right(), first.knob.y - 14);
    // Neighbouring displays overlap, so a group shares one read-out window.
    displayWell(cr, ltrb(first.display.x, first.display.y, last.display.right(), last.display.bottom()));
  }
  for (const layout::Knob& knob : layout::kKnobs) {
    controlLabel(cr, knob.label, knob.knob.cx(), knob.knob.y - 4);
    drawKnobSocket(cr, knob.knob.cx(), knob.knob.cy());
  }
}

// Vent louvres in the cabinet's front, beside the name plate.
void drawLouvres(cairo_t* cr) {
  const double left = 206, right = 314, top = 131;
  for (int i = 0; i < 6; ++i) {
    const Rect slot{left, top + i * 8.0, right - left, 4};
    roundedRect(cr, slot.inset(-0.5), 2.5);
    setColour(cr, palette::kBevelLight, 0.7);
    cairo_fill(cr);
    roundedRect(cr, slot.moved(0, -0.6), 2);
    fillLinear(cr, 0, slot.y, 0, slot.bottom(), {{0, rgb(0x000000)}, {1, rgb(0x1b1815)}});
  }
}

// The name plate: the product name in the area that opens the about screen.
void drawNamePlate(cairo_t* cr) {
  const Rect area = layout::kAboutArea;
  const Rect plate = ltrb(9, 129, 196, 180);
  drawRaisedPanel(cr, plate, 3, rgb(0x1d1a17), rgb(0x11100e), 0.55);
  roundedRect(cr, plate.inset(1.5), 2);
  setColour(cr, palette::kTitle, 0.55);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  setFont(cr, Font::Bold, 6.5);
  setColour(cr, palette::kLabelDim);
  textCentred(cr, "ROTARY SPEAKER CABINET", area.cx(), 145, 1.6);
  engraveLine(cr, area.x + 10, 149, area.right() - 10, 149);

  drawProductName(cr, area.cx(), area.bottom() - 4, 19);
}

void drawLeverSection(cairo_t* cr) {
  const Rect lever = layout::kSpeedLever;
  sectionTitle(cr, "LEVER", kLeverPlate.x + 2, kLeverPlate.right() - 2, 139);
  drawLeverPlate(cr, lever);
  controlLabel(cr, "TREMOLO", lever.cx(), lever.y + 21);
  controlLabel(cr, "CHORALE", lever.cx(), lever.y + 176);
  controlLabel(cr, "SPEED", layout::kSpeedButton.cx(), layout::kSpeedButton.y - 4);
  controlLabel(cr, "STOP", layout::kStopButton.cx(), layout::kStopButton.y - 4);
}

void drawMiddleDivider(cairo_t* cr) { engraveLine(cr, kMiddlePlate.x + 8, 277, kMiddlePlate.right() - 8, 277); }

void drawBottomRow(cairo_t* cr) {
  const double baseline = 531;
  sectionTitle(cr, "MIDI CH", layout::kMidiDisplay.x, layout::kMidiRocker.right(), baseline);
  sectionTitle(cr, "CONTROLLERS", layout::kSustainLamp.x + 2, layout::kModulationLamp.right(), baseline);
  sectionTitle(cr, "ENGINE", layout::kCpuModeSwitch.x, layout::kCpuModeSwitch.right(), baseline);
  sectionTitle(cr, "EFFECT", layout::kBypassSwitch.x, layout::kBypassSwitch.right(), baseline);
}

void drawPresetStrip(Image& image) {
  cairo_t* cr = image.cr();
  cairo_rectangle(cr, kPresetStrip.x, kPresetStrip.y, kPresetStrip.w, kPresetStrip.h);
  fillLinear(cr, 0, kPresetStrip.y, 0, kPresetStrip.bottom(), {{0, rgb(0x0c0b0a)}, {1, rgb(0x1a1815)}});
  image.brush(kPresetStrip, 0.1, 570);

  drawPanelWord(cr, layout::kBankLabel, "BANK", palette::kLabel);
  drawPanelWord(cr, layout::kPresetLabel, "PRESET", palette::kLabel);
  const Rect memoA = ltrb(layout::kStoreMemoA.right(), 554, layout::kRecallMemoA.x, 568);
  const Rect memoB = ltrb(layout::kStoreMemoB.right(), 554, layout::kRecallMemoB.x, 568);
  setFont(cr, Font::Bold, 9);
  setColour(cr, palette::kTitle);
  textCentred(cr, "A", memoA.cx(), memoA.cy() + capHeight(cr) / 2);
  textCentred(cr, "B", memoB.cx(), memoB.cy() + capHeight(cr) / 2);

  // The program name window and, joined to it, the menu's drop button.
  const Rect field = layout::kNameField;
  const Rect combo = ltrb(field.x, field.y, layout::kProgramMenu.right(), field.bottom());
  roundedRect(cr, combo, 2.5);
  setColour(cr, rgb(0x000000));
  cairo_fill(cr);
  const Rect window = ltrb(field.x + 1, field.y + 1, field.right(), field.bottom() - 1);
  cairo_rectangle(cr, window.x, window.y, window.w, window.h);
  fillLinear(
      cr, 0, window.y, 0, window.bottom(),
      {{0, scale(palette::kNameField, 0.86)}, {0.25, palette::kNameField}, {1, scale(palette::kNameField, 1.04)}});

  const Rect menu = ltrb(layout::kProgramMenu.x, field.y + 1, layout::kProgramMenu.right() - 1, field.bottom() - 1);
  cairo_rectangle(cr, menu.x, menu.y, menu.w, menu.h);
  fillLinear(cr, 0, menu.y, 0, menu.bottom(), {{0, rgb(0x5a554e)}, {1, rgb(0x2d2a26)}});
  setColour(cr, palette::kLabel);
  cairo_move_to(cr, menu.cx() - 3.5, menu.cy() - 1.5);
  cairo_line_to(cr, menu.cx() + 3.5, menu.cy() - 1.5);
  cairo_line_to(cr, menu.cx(), menu.cy() + 2.5);
  cairo_close_path(cr);
  cairo_fill(cr);
}

}  // namespace

void drawBackground(Image& image) {
  cairo_t* cr = image.cr();
  fillChassis(image);
  const Rect plates[] = {kHornPlate, kMiddlePlate, kLeverPlate, kDrumPlate, kBottomPlate};
  std::uint32_t seed = 4000;
  for (const Rect& plate : plates) {
    fillPlate(image, plate, ++seed);
    bevelPlate(cr, plate);
  }
  drawScrews(cr, kLeverPlate);
  drawPresetStrip(image);

  stripFrame(cr, layout::kHornStrip);
  rotorTitle(cr, "HORN", layout::kHornStrip, 12);
  stripFrame(cr, layout::kDrumStrip);
  rotorTitle(cr, "DRUM", layout::kDrumStrip, 12);

  drawNamePlate(cr);
  drawLouvres(cr);
  drawMiddleDivider(cr);
  drawKnobRows(cr);
  drawLeverSection(cr);
  drawBottomRow(cr);
}

}  // namespace artwork

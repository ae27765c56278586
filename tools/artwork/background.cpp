// The window background: brushed dark-metal plates on a darker chassis, one plate per
// part of the cabinet (horn, amplifier and tone, lever, drum, bottom row), amber section
// titles between engraved rules, cream labels over every control, dark wells under the
// value displays (white text) and a cream window under the program name (dark text).

#include "artwork.h"
#include "layout.h"

#include <algorithm>
#include <cmath>

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
  cairo_pattern_t* grad = cairo_pattern_create_linear(0, plate.y, 0, plate.bottom());
  addStop(grad, 0, scale(palette::kPlate, 1.12));
  addStop(grad, 1, scale(palette::kPlate, 0.86));
  cairo_set_source(cr, grad);
  cairo_fill(cr);
  cairo_pattern_destroy(grad);
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
    for (double y : ys) {
      cairo_arc(cr, x + 0.4, y + 0.6, 2.6, 0, 2 * kPi);
      setColour(cr, rgb(0x000000), 0.5);
      cairo_fill(cr);
      cairo_pattern_t* head = cairo_pattern_create_radial(x - 0.8, y - 0.9, 0.2, x, y, 2.5);
      addStop(head, 0, rgb(0xb3aea5));
      addStop(head, 1, rgb(0x3b3834));
      cairo_set_source(cr, head);
      cairo_arc(cr, x, y, 2.3, 0, 2 * kPi);
      cairo_fill(cr);
      cairo_pattern_destroy(head);
      setColour(cr, rgb(0x151412), 0.9);
      cairo_set_line_width(cr, 0.8);
      cairo_move_to(cr, x - 1.5, y - 0.6);
      cairo_line_to(cr, x + 1.5, y + 0.6);
      cairo_stroke(cr);
    }
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
  cairo_pattern_t* lip = cairo_pattern_create_linear(0, r.y - 1, 0, r.bottom() + 1);
  addStop(lip, 0, rgb(0x000000), 0.8);
  addStop(lip, 1, palette::kBevelLight, 0.8);
  cairo_set_source(cr, lip);
  cairo_fill(cr);
  cairo_pattern_destroy(lip);
  roundedRect(cr, r, 2);
  cairo_pattern_t* glass = cairo_pattern_create_linear(0, r.y, 0, r.bottom());
  addStop(glass, 0, rgb(0x050504));
  addStop(glass, 1, rgb(0x161412));
  cairo_set_source(cr, glass);
  cairo_fill(cr);
  cairo_pattern_destroy(glass);
}

// A dark recessed frame around a rotor strip.
void stripFrame(cairo_t* cr, Rect strip) {
  const Rect outer = strip.inset(-2);
  roundedRect(cr, outer, 2.5);
  cairo_pattern_t* lip = cairo_pattern_create_linear(0, outer.y, 0, outer.bottom());
  addStop(lip, 0, rgb(0x000000), 0.9);
  addStop(lip, 1, palette::kBevelLight, 0.9);
  cairo_set_source(cr, lip);
  cairo_fill(cr);
  cairo_pattern_destroy(lip);
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
    cairo_pattern_t* depth = cairo_pattern_create_linear(0, slot.y, 0, slot.bottom());
    addStop(depth, 0, rgb(0x000000));
    addStop(depth, 1, rgb(0x1b1815));
    cairo_set_source(cr, depth);
    cairo_fill(cr);
    cairo_pattern_destroy(depth);
  }
}

// The name plate: the product name in the area that opens the about screen.
void drawNamePlate(cairo_t* cr) {
  const Rect area = layout::kAboutArea;
  const Rect plate = ltrb(9, 129, 196, 180);
  roundedRect(cr, plate.moved(0.6, 1), 3);
  setColour(cr, rgb(0x000000), 0.55);
  cairo_fill(cr);
  roundedRect(cr, plate, 3);
  cairo_pattern_t* brass = cairo_pattern_create_linear(0, plate.y, 0, plate.bottom());
  addStop(brass, 0, rgb(0x1d1a17));
  addStop(brass, 1, rgb(0x11100e));
  cairo_set_source(cr, brass);
  cairo_fill(cr);
  cairo_pattern_destroy(brass);
  roundedRect(cr, plate.inset(1.5), 2);
  setColour(cr, palette::kTitle, 0.55);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  setFont(cr, Font::Bold, 6.5);
  setColour(cr, palette::kLabelDim);
  textCentred(cr, "ROTARY SPEAKER CABINET", area.cx(), 145, 1.6);
  engraveLine(cr, area.x + 10, 149, area.right() - 10, 149);

  // "TAV" in amber, "Kestro" in cream, together centred on the about area.
  setFont(cr, Font::Bold, 11);
  const double tavWidth = textWidth(cr, "TAV", 1.2);
  setFont(cr, Font::BoldItalic, 19);
  const double kestroWidth = textWidth(cr, "Kestro", 0.6);
  const double gap = 6;
  const double x = area.cx() - (tavWidth + gap + kestroWidth) / 2;
  const double baseline = area.bottom() - 4;
  setFont(cr, Font::Bold, 11);
  setColour(cr, palette::kTitle);
  textLeft(cr, "TAV", x, baseline, 1.2);
  setFont(cr, Font::BoldItalic, 19);
  setColour(cr, rgb(0x000000), 0.7);
  textLeft(cr, "Kestro", x + tavWidth + gap + 0.8, baseline + 1, 0.6);
  setColour(cr, palette::kIvory);
  textLeft(cr, "Kestro", x + tavWidth + gap, baseline, 0.6);
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
  cairo_pattern_t* grad = cairo_pattern_create_linear(0, kPresetStrip.y, 0, kPresetStrip.bottom());
  addStop(grad, 0, rgb(0x0c0b0a));
  addStop(grad, 1, rgb(0x1a1815));
  cairo_set_source(cr, grad);
  cairo_fill(cr);
  cairo_pattern_destroy(grad);
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
  cairo_pattern_t* paper = cairo_pattern_create_linear(0, window.y, 0, window.bottom());
  addStop(paper, 0, scale(palette::kNameField, 0.86));
  addStop(paper, 0.25, palette::kNameField);
  addStop(paper, 1, scale(palette::kNameField, 1.04));
  cairo_set_source(cr, paper);
  cairo_fill(cr);
  cairo_pattern_destroy(paper);

  const Rect menu = ltrb(layout::kProgramMenu.x, field.y + 1, layout::kProgramMenu.right() - 1, field.bottom() - 1);
  cairo_rectangle(cr, menu.x, menu.y, menu.w, menu.h);
  cairo_pattern_t* key = cairo_pattern_create_linear(0, menu.y, 0, menu.bottom());
  addStop(key, 0, rgb(0x5a554e));
  addStop(key, 1, rgb(0x2d2a26));
  cairo_set_source(cr, key);
  cairo_fill(cr);
  cairo_pattern_destroy(key);
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

// The about screen: the product name over a drawing of the cabinet's two rotors. The
// editor writes the version in grey into the gap under the name, right of centre.

#include "artwork.h"
#include "layout.h"

#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

void drawBackdrop(Image& about) {
  cairo_t* cr = about.cr();
  const double w = about.width(), h = about.height();
  cairo_pattern_t* light = cairo_pattern_create_radial(w / 2, 150, 20, w / 2, 220, 420);
  addStop(light, 0, rgb(0x36312b));
  addStop(light, 1, rgb(0x0e0d0c));
  cairo_set_source(cr, light);
  cairo_paint(cr);
  cairo_pattern_destroy(light);
  about.brush({0, 0, w, h}, 0.12, 3999);
  roundedRect(cr, Rect{6, 6, w - 12, h - 12}, 6);
  setColour(cr, palette::kTitle, 0.45);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void drawTitle(cairo_t* cr, double width) {
  setFont(cr, Font::Bold, 13);
  setColour(cr, palette::kLabelDim);
  textCentred(cr, "ROTARY SPEAKER CABINET", width / 2, 92, 4);

  setFont(cr, Font::Bold, 30);
  const double tavWidth = textWidth(cr, "TAV", 3);
  setFont(cr, Font::BoldItalic, 62);
  const double nameWidth = textWidth(cr, "Kestro", 1);
  const double gap = 14;
  const double x = width / 2 - (tavWidth + gap + nameWidth) / 2;
  const double baseline = 166;
  setFont(cr, Font::Bold, 30);
  setColour(cr, palette::kTitle);
  textLeft(cr, "TAV", x, baseline, 3);
  setFont(cr, Font::BoldItalic, 62);
  setColour(cr, rgb(0x000000), 0.7);
  textLeft(cr, "Kestro", x + tavWidth + gap + 2, baseline + 3, 1);
  setColour(cr, palette::kIvory);
  textLeft(cr, "Kestro", x + tavWidth + gap, baseline, 1);

  // A rule under the name that ends where the editor writes the version.
  const Rect version = layout::kAboutVersionText;
  const double ruleY = std::floor(version.cy()) + 0.5;
  cairo_pattern_t* fade = cairo_pattern_create_linear(60, 0, version.x - 6, 0);
  addStop(fade, 0, palette::kTitle, 0.0);
  addStop(fade, 1, palette::kTitle, 0.8);
  cairo_set_source(cr, fade);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, 60, ruleY);
  cairo_line_to(cr, version.x - 6, ruleY);
  cairo_stroke(cr);
  cairo_pattern_destroy(fade);
}

// Circular motion arrows around a rotor.
void drawSpinArrows(cairo_t* cr, double cx, double cy, double rx, double ry) {
  setColour(cr, palette::kTitle, 0.75);
  cairo_set_line_width(cr, 1.6);
  for (int side = 0; side < 2; ++side) {
    const double start = side * kPi + 0.5, end = start + kPi - 1.0;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, start, end);
    cairo_restore(cr);
    cairo_stroke(cr);
    const double hx = cx + rx * std::cos(end), hy = cy + ry * std::sin(end);
    const double tx = -rx * std::sin(end), ty = ry * std::cos(end);
    const double len = std::hypot(tx, ty);
    const double ux = tx / len, uy = ty / len;
    cairo_move_to(cr, hx + ux * 6, hy + uy * 6);
    cairo_line_to(cr, hx - uy * 3.5, hy + ux * 3.5);
    cairo_line_to(cr, hx + uy * 3.5, hy - ux * 3.5);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

void drawHorn(cairo_t* cr, double cx, double cy) {
  // Twin horns on a hub, seen from the front: the bell to the left, the dummy to the right.
  for (int side : {-1, 1}) {
    cairo_new_path(cr);
    const double tipX = cx + side * 78;
    for (int i = 0; i <= 30; ++i) {
      const double t = i / 30.0;
      const double x = cx + side * (8 + 70 * t);
      const double half = 4 + 18 * std::pow(t, 3.2);
      if (i == 0) cairo_move_to(cr, x, cy - half);
      else cairo_line_to(cr, x, cy - half);
    }
    for (int i = 30; i >= 0; --i) {
      const double t = i / 30.0;
      cairo_line_to(cr, cx + side * (8 + 70 * t), cy + 4 + 18 * std::pow(t, 3.2));
    }
    cairo_close_path(cr);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, cy - 22, 0, cy + 22);
    addStop(metal, 0, rgb(0x8f8b84));
    addStop(metal, 0.35, rgb(0xe8e4dc));
    addStop(metal, 0.6, rgb(0x8d8982));
    addStop(metal, 1, rgb(0x34322f));
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_save(cr);
    cairo_translate(cr, tipX, cy);
    cairo_scale(cr, 5, 22);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    setColour(cr, side < 0 ? rgb(0x121110) : rgb(0x5b5853));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0xf4f1ea));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  cairo_pattern_t* hub = cairo_pattern_create_radial(cx - 3, cy - 3, 1, cx, cy, 12);
  addStop(hub, 0, rgb(0x8a857c));
  addStop(hub, 1, rgb(0x23211e));
  cairo_set_source(cr, hub);
  cairo_arc(cr, cx, cy, 11, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(hub);
}

void drawDrum(cairo_t* cr, double cx, double cy) {
  const double w = 150, h = 70;
  const Rect body{cx - w / 2, cy - h / 2, w, h};
  cairo_pattern_t* wood = cairo_pattern_create_linear(body.x, 0, body.right(), 0);
  addStop(wood, 0, rgb(0x24170e));
  addStop(wood, 0.5, rgb(0x9a6a43));
  addStop(wood, 1, rgb(0x24170e));
  roundedRect(cr, body, 6);
  cairo_set_source(cr, wood);
  cairo_fill(cr);
  cairo_pattern_destroy(wood);
  Noise noise(3998);
  for (int i = 0; i < 16; ++i) {
    const double y = body.y + 4 + i * 4.0 + noise.next();
    setColour(cr, rgb(0x2b1a0f), 0.2);
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, body.x + 3, y);
    cairo_curve_to(cr, body.x + 50, y + noise.next() * 2 - 1, body.x + 100, y + noise.next() * 2 - 1,
                   body.right() - 3, y);
    cairo_stroke(cr);
  }
  const Rect port{cx - 34, cy - 22, 68, 44};
  roundedRect(cr, port, 4);
  setColour(cr, rgb(0x0a0705));
  cairo_fill(cr);
  for (int i = 1; i < 6; ++i) {
    const double x = port.x + i * port.w / 6;
    setColour(cr, rgb(0x7a5434), 0.85);
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, x, port.y + 1);
    cairo_line_to(cr, x, port.bottom() - 1);
    cairo_stroke(cr);
  }
  cairo_pattern_t* round = cairo_pattern_create_linear(0, body.y, 0, body.bottom());
  addStop(round, 0, rgb(0x000000), 0.45);
  addStop(round, 0.35, rgb(0xffffff), 0.08);
  addStop(round, 0.6, rgb(0x000000), 0.0);
  addStop(round, 1, rgb(0x000000), 0.55);
  roundedRect(cr, body, 6);
  cairo_set_source(cr, round);
  cairo_fill(cr);
  cairo_pattern_destroy(round);
}

void drawRotors(cairo_t* cr, double width) {
  const double cx = width / 2;
  drawSpinArrows(cr, cx, 262, 112, 34);
  drawHorn(cr, cx, 262);
  drawSpinArrows(cr, cx, 372, 112, 48);
  drawDrum(cr, cx, 372);
}

void drawCaption(cairo_t* cr, double width, double height) {
  setFont(cr, Font::Regular, 11);
  setColour(cr, palette::kLabel, 0.9);
  textCentred(cr, "Treble horn and bass drum, each with its own motor and inertia,", width / 2, 440);
  textCentred(cr, "heard through microphones in a room, driven by a tube amplifier.", width / 2, 456);
  setFont(cr, Font::Bold, 8);
  setColour(cr, palette::kLabelDim);
  textCentred(cr, "CLICK ANYWHERE TO CLOSE", width / 2, height - 22, 2);
}

}  // namespace

void drawAbout(Image& about) {
  drawBackdrop(about);
  drawTitle(about.cr(), about.width());
  drawRotors(about.cr(), about.width());
  drawCaption(about.cr(), about.width(), about.height());
}

}  // namespace artwork

// The about screen: the product name over a drawing of the cabinet's two rotors. The
// editor writes the version in grey into the gap under the name, right of centre.

#include <cmath>

#include "artwork.h"
#include "layout.h"

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

  drawProductName(cr, width / 2, 166, 62);

  // A rule under the name that ends where the editor writes the version.
  const Rect version = layout::kAboutVersionText;
  const double ruleY = std::floor(version.cy()) + 0.5;
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, 60, ruleY);
  cairo_line_to(cr, version.x - 6, ruleY);
  strokeLinear(cr, 60, 0, version.x - 6, 0, {{0, palette::kTitle, 0.0}, {1, palette::kTitle, 0.8}});
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
      if (i == 0)
        cairo_move_to(cr, x, cy - half);
      else
        cairo_line_to(cr, x, cy - half);
    }
    for (int i = 30; i >= 0; --i) {
      const double t = i / 30.0;
      cairo_line_to(cr, cx + side * (8 + 70 * t), cy + 4 + 18 * std::pow(t, 3.2));
    }
    cairo_close_path(cr);
    fillLinear(cr, 0, cy - 22, 0, cy + 22,
               {{0, rgb(0x8f8b84)}, {0.35, rgb(0xe8e4dc)}, {0.6, rgb(0x8d8982)}, {1, rgb(0x34322f)}});
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
  cairo_arc(cr, cx, cy, 11, 0, 2 * kPi);
  fillRadial(cr, cx - 3, cy - 3, 1, cx, cy, 12, {{0, rgb(0x8a857c)}, {1, rgb(0x23211e)}});
}

void drawDrum(cairo_t* cr, double cx, double cy) {
  drawDrumFace(cr, {cx - 75, cy - 35, 150, 70}, {cx - 34, cy - 22, 68, 44}, 6, 3998);
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

// The rotor strips: narrow windows into the cabinet in which the horn and the drum pass
// by. Each strip is a dark curved interior (lit in the middle, falling into shadow at the
// ends as a cylinder does); each marker is what passes the window once a turn: the horn's
// flared bell, the drum's open scoop. The markers are drawn onto a freshly painted strip
// every time, so they may be soft-edged.

#include "artwork.h"

#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

void drawInterior(Image& strip, Rgb centre, Rgb ends) {
  cairo_t* cr = strip.cr();
  const double w = strip.width(), h = strip.height();
  cairo_pattern_t* across = cairo_pattern_create_linear(0, 0, w, 0);
  for (int i = 0; i <= 8; ++i) {
    const double t = i / 8.0;
    const double light = std::sin(t * kPi);  // a cylinder seen from the front
    addStop(across, t, mix(ends, centre, std::pow(light, 0.7)));
  }
  cairo_set_source(cr, across);
  cairo_paint(cr);
  cairo_pattern_destroy(across);

  // Top and bottom fall into the frame's shadow.
  cairo_pattern_t* down = cairo_pattern_create_linear(0, 0, 0, h);
  addStop(down, 0, rgb(0x000000), 0.75);
  addStop(down, 0.3, rgb(0x000000), 0.0);
  addStop(down, 0.75, rgb(0x000000), 0.0);
  addStop(down, 1, rgb(0x000000), 0.6);
  cairo_set_source(cr, down);
  cairo_paint(cr);
  cairo_pattern_destroy(down);
}

// Soft fade of a marker towards its ends, so it enters and leaves the window smoothly.
void fadeEnds(cairo_t* cr, double w, double h, double fadeLeft, double fadeRight) {
  cairo_pattern_t* mask = cairo_pattern_create_linear(0, 0, w, 0);
  addStop(mask, 0, rgb(0x000000), 0.0);
  addStop(mask, fadeLeft / w, rgb(0x000000), 1.0);
  addStop(mask, 1 - fadeRight / w, rgb(0x000000), 1.0);
  addStop(mask, 1, rgb(0x000000), 0.0);
  cairo_set_operator(cr, CAIRO_OPERATOR_DEST_IN);
  cairo_set_source(cr, mask);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_pattern_destroy(mask);
}

}  // namespace

void drawHornStrip(Image& strip) { drawInterior(strip, rgb(0x3a3631), rgb(0x060505)); }

void drawDrumStrip(Image& strip) { drawInterior(strip, rgb(0x3d2a1d), rgb(0x070504)); }

void drawHornMarker(Image& marker) {
  cairo_t* cr = marker.cr();
  const double cy = 6.0;  // the strip shows the marker's top 12 rows
  const double mouthX = 26, throatX = 108;
  const double mouthHalf = 5.8, throatHalf = 2.0;

  // A faint glow of sound and light around the bell.
  cairo_pattern_t* glow = cairo_pattern_create_radial(mouthX, cy, 1, mouthX, cy, 26);
  addStop(glow, 0, palette::kAmberLamp, 0.22);
  addStop(glow, 1, palette::kAmberLamp, 0.0);
  cairo_set_source(cr, glow);
  cairo_rectangle(cr, 0, 0, 120, 14);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);

  // Flared body: exponential taper from the mouth to the throat.
  cairo_new_path(cr);
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0;
    const double x = mouthX + (throatX - mouthX) * t;
    const double half = throatHalf + (mouthHalf - throatHalf) * std::pow(1 - t, 2.2);
    if (i == 0) cairo_move_to(cr, x, cy - half);
    else cairo_line_to(cr, x, cy - half);
  }
  for (int i = 40; i >= 0; --i) {
    const double t = i / 40.0;
    const double x = mouthX + (throatX - mouthX) * t;
    const double half = throatHalf + (mouthHalf - throatHalf) * std::pow(1 - t, 2.2);
    cairo_line_to(cr, x, cy + half);
  }
  cairo_close_path(cr);
  cairo_pattern_t* metal = cairo_pattern_create_linear(0, cy - mouthHalf, 0, cy + mouthHalf);
  addStop(metal, 0, rgb(0x8f8b84));
  addStop(metal, 0.3, rgb(0xf2efe8));
  addStop(metal, 0.55, rgb(0xa19d95));
  addStop(metal, 1, rgb(0x3c3a36));
  cairo_set_source(cr, metal);
  cairo_fill(cr);
  cairo_pattern_destroy(metal);

  // The mouth: a bright rolled rim around the dark opening.
  cairo_save(cr);
  cairo_translate(cr, mouthX, cy);
  cairo_scale(cr, 3.0, mouthHalf + 0.2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  setColour(cr, rgb(0x141312));
  cairo_fill_preserve(cr);
  setColour(cr, rgb(0xfaf7f0));
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);

  // The hub the horn is bolted to.
  cairo_rectangle(cr, throatX - 2, cy - 3, 6, 6);
  setColour(cr, rgb(0x57534d));
  cairo_fill(cr);

  fadeEnds(cr, 120, 14, 8, 10);
}

void drawDrumMarker(Image& marker) {
  cairo_t* cr = marker.cr();
  const double top = 0.5, bottom = 11.5;

  // Baffle face of the drum: lighter wood, curving away at both ends.
  cairo_pattern_t* wood = cairo_pattern_create_linear(0, 0, 120, 0);
  addStop(wood, 0.0, rgb(0x2a1b11));
  addStop(wood, 0.5, rgb(0x9a6a43));
  addStop(wood, 1.0, rgb(0x2a1b11));
  cairo_set_source(cr, wood);
  cairo_rectangle(cr, 6, top, 108, bottom - top);
  cairo_fill(cr);
  cairo_pattern_destroy(wood);

  // Grain.
  Noise noise(2010);
  for (int i = 0; i < 7; ++i) {
    const double y = top + 1.2 + i * 1.45 + noise.next() * 0.5;
    setColour(cr, rgb(0x2b1a0f), 0.18 + 0.12 * noise.next());
    cairo_set_line_width(cr, 0.6);
    cairo_move_to(cr, 6, y);
    cairo_curve_to(cr, 40, y + noise.next() - 0.5, 80, y + noise.next() - 0.5, 114, y);
    cairo_stroke(cr);
  }

  // The open scoop with its slats, dark inside.
  const Rect port{38, top + 2, 44, bottom - top - 4};
  roundedRect(cr, port, 2);
  setColour(cr, rgb(0x0a0705));
  cairo_fill(cr);
  for (int i = 1; i < 6; ++i) {
    const double x = port.x + i * port.w / 6;
    setColour(cr, rgb(0x7a5434), 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, x, port.y + 0.5);
    cairo_line_to(cr, x, port.bottom() - 0.5);
    cairo_stroke(cr);
  }
  roundedRect(cr, port.inset(-0.6), 2.4);
  setColour(cr, rgb(0xd4a574), 0.7);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  // Cylinder shading top and bottom.
  cairo_pattern_t* round = cairo_pattern_create_linear(0, top, 0, bottom);
  addStop(round, 0, rgb(0x000000), 0.45);
  addStop(round, 0.35, rgb(0xffffff), 0.08);
  addStop(round, 0.6, rgb(0x000000), 0.0);
  addStop(round, 1, rgb(0x000000), 0.5);
  cairo_set_source(cr, round);
  cairo_rectangle(cr, 6, top, 108, bottom - top);
  cairo_fill(cr);
  cairo_pattern_destroy(round);

  fadeEnds(cr, 120, 14, 14, 14);
}

}  // namespace artwork

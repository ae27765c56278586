// The rotor strips: narrow windows into the cabinet in which the horn and the drum pass
// by. Each strip is a dark curved interior (lit in the middle, falling into shadow at the
// ends as a cylinder does); each marker is what passes the window once a turn: the horn's
// flared bell, the drum's open scoop. The markers are drawn onto a freshly painted strip
// every time, so they may be soft-edged.

#include <cmath>

#include "artwork.h"

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
  cairo_rectangle(cr, 0, 0, 120, 14);
  fillRadial(cr, mouthX, cy, 1, mouthX, cy, 26, {{0, palette::kAmberLamp, 0.22}, {1, palette::kAmberLamp, 0.0}});

  // Flared body: exponential taper from the mouth to the throat.
  cairo_new_path(cr);
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0;
    const double x = mouthX + (throatX - mouthX) * t;
    const double half = throatHalf + (mouthHalf - throatHalf) * std::pow(1 - t, 2.2);
    if (i == 0)
      cairo_move_to(cr, x, cy - half);
    else
      cairo_line_to(cr, x, cy - half);
  }
  for (int i = 40; i >= 0; --i) {
    const double t = i / 40.0;
    const double x = mouthX + (throatX - mouthX) * t;
    const double half = throatHalf + (mouthHalf - throatHalf) * std::pow(1 - t, 2.2);
    cairo_line_to(cr, x, cy + half);
  }
  cairo_close_path(cr);
  fillLinear(cr, 0, cy - mouthHalf, 0, cy + mouthHalf,
             {{0, rgb(0x8f8b84)}, {0.3, rgb(0xf2efe8)}, {0.55, rgb(0xa19d95)}, {1, rgb(0x3c3a36)}});

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
  drawDrumFace(cr, {6, 0.5, 108, 11}, {38, 2.5, 44, 7}, 3, 2010);
  fadeEnds(cr, 120, 14, 14, 14);
}

}  // namespace artwork

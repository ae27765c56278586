// The knob: a black skirted knob with a satin cap and a cream pointer line, sitting in a
// dark socket with a 300-degree scale. The socket and scale are part of the background;
// the filmstrip repeats the socket inside its opaque disc so that its hard edge falls on
// the socket's flat colour and never shows.

#include <cmath>

#include "artwork.h"
#include "resources/bitmap_ids.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSize = 44;
constexpr double kSocketRadius = 18.0;
constexpr double kOpaqueRadius = 17.0;  // filmstrip pixels beyond this are transparent
constexpr double kSkirtRadius = 15.0;
constexpr double kCapRadius = 11.2;
constexpr double kSweepDegrees = 300;

// Direction of a knob angle (degrees clockwise from twelve o'clock) as a unit vector.
void direction(double degrees, double& dx, double& dy) {
  const double a = degrees * kPi / 180;
  dx = std::sin(a);
  dy = -std::cos(a);
}

void drawScale(cairo_t* cr, double cx, double cy) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i <= 10; ++i) {
    const double degrees = -kSweepDegrees / 2 + i * kSweepDegrees / 10;
    double dx = 0, dy = 0;
    direction(degrees, dx, dy);
    const bool major = i == 0 || i == 5 || i == 10;
    const double inner = major ? 19.3 : 19.8;
    const double outer = 21.6;
    cairo_set_line_width(cr, major ? 1.3 : 0.9);
    setColour(cr, major ? palette::kLabel : palette::kLabelDim, major ? 0.9 : 0.75);
    cairo_move_to(cr, cx + dx * inner, cy + dy * inner);
    cairo_line_to(cr, cx + dx * outer, cy + dy * outer);
    cairo_stroke(cr);
  }
}

void drawSocketWell(cairo_t* cr, double cx, double cy) {
  // Soft shadow below and right of the recess.
  cairo_arc(cr, cx + 0.8, cy + 1.2, kSocketRadius + 2.2, 0, 2 * kPi);
  fillRadial(cr, cx + 0.8, cy + 1.2, kSocketRadius - 1, cx + 0.8, cy + 1.2, kSocketRadius + 2.2,
             {{0, palette::kSeam, 0.7}, {1, palette::kSeam, 0.0}});

  // A lit lip on the lower right where the panel meets the recess.
  cairo_arc(cr, cx, cy, kSocketRadius + 0.7, 0, 2 * kPi);
  fillLinear(cr, cx - kSocketRadius, cy - kSocketRadius, cx + kSocketRadius, cy + kSocketRadius,
             {{0, palette::kSeam, 0.9}, {1, palette::kBevelLight, 0.9}});

  cairo_arc(cr, cx, cy, kSocketRadius, 0, 2 * kPi);
  fillRadial(cr, cx - 3, cy - 4, 2, cx, cy, kSocketRadius, {{0, rgb(0x1a1816)}, {1, rgb(0x0e0d0c)}});

  // The shadow the knob throws into its socket: the light never moves, so it belongs to
  // the socket, and the filmstrip's cut at the opaque radius runs through equal pixels.
  cairo_arc(cr, cx, cy, kSocketRadius, 0, 2 * kPi);
  fillRadial(cr, cx + 1.2, cy + 1.8, kSkirtRadius - 2, cx + 1.2, cy + 1.8, kSkirtRadius + 2.0,
             {{0, rgb(0x000000), 0.85}, {1, rgb(0x000000), 0.0}});
}

void drawSkirt(cairo_t* cr, double cx, double cy, double degrees) {
  cairo_arc(cr, cx, cy, kSkirtRadius, 0, 2 * kPi);
  fillLinear(cr, cx - 10, cy - 14, cx + 10, cy + 14, {{0, rgb(0x4a4640)}, {0.45, rgb(0x23211e)}, {1, rgb(0x0c0b0a)}});

  // Grip ribs turn with the knob; the light on them does not.
  constexpr int kRibs = 30;
  cairo_set_line_width(cr, 0.9);
  for (int i = 0; i < kRibs; ++i) {
    const double rib = degrees + i * 360.0 / kRibs;
    double dx = 0, dy = 0;
    direction(rib, dx, dy);
    // Ribs facing the light (upper left) catch it; the others are darker than the skirt.
    const double facing = std::max(0.0, -(dx * 0.6 + dy * 0.8));
    setColour(cr, mix(rgb(0x0a0908), rgb(0x6d675e), facing), 0.55 + 0.35 * facing);
    cairo_move_to(cr, cx + dx * (kCapRadius + 1.2), cy + dy * (kCapRadius + 1.2));
    cairo_line_to(cr, cx + dx * (kSkirtRadius - 0.4), cy + dy * (kSkirtRadius - 0.4));
    cairo_stroke(cr);
  }

  // Rim: light upper left, dark lower right.
  cairo_set_line_width(cr, 0.9);
  cairo_arc(cr, cx, cy, kSkirtRadius - 0.45, 0, 2 * kPi);
  strokeLinear(cr, cx - 10, cy - 12, cx + 10, cy + 12,
               {{0, rgb(0x8a847a), 0.9}, {0.5, rgb(0x2a2724), 0.4}, {1, rgb(0x000000), 0.9}});
}

void drawCap(cairo_t* cr, double cx, double cy) {
  // Satin black top with a broad sheen from the upper left.
  cairo_arc(cr, cx, cy, kCapRadius, 0, 2 * kPi);
  fillRadial(cr, cx - 4, cy - 5, 1, cx, cy, kCapRadius + 2,
             {{0, rgb(0x5d5850)}, {0.55, rgb(0x2c2926)}, {1, rgb(0x161513)}});

  cairo_set_line_width(cr, 1.0);
  cairo_arc(cr, cx, cy, kCapRadius - 0.5, 0, 2 * kPi);
  strokeLinear(cr, cx - 8, cy - 8, cx + 8, cy + 8,
               {{0, rgb(0xa59e92), 0.85}, {0.5, rgb(0x3a3632), 0.3}, {1, rgb(0x000000), 0.8}});
}

void drawPointer(cairo_t* cr, double cx, double cy, double degrees) {
  double dx = 0, dy = 0;
  direction(degrees, dx, dy);
  const double inner = 4.0;
  const double outer = kSkirtRadius - 0.8;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // A dark outline keeps the line legible where it crosses the lit part of the cap.
  cairo_set_line_width(cr, 3.4);
  setColour(cr, rgb(0x000000), 0.55);
  cairo_move_to(cr, cx + dx * inner, cy + dy * inner);
  cairo_line_to(cr, cx + dx * outer, cy + dy * outer);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 2.0);
  setColour(cr, palette::kIvory);
  cairo_move_to(cr, cx + dx * inner, cy + dy * inner);
  cairo_line_to(cr, cx + dx * outer, cy + dy * outer);
  cairo_stroke(cr);
}

}  // namespace

void drawKnobSocket(cairo_t* cr, double cx, double cy) {
  drawSocketWell(cr, cx, cy);
  drawScale(cr, cx, cy);
}

void drawKnobStrip(Image& strip) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapKnob);
  const double c = kSize / 2;
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    const double degrees = -kSweepDegrees / 2 + kSweepDegrees * frame / (layout.frames - 1);
    drawSocketWell(cr, c, c);
    drawSkirt(cr, c, c, degrees);
    drawCap(cr, c, c);
    drawPointer(cr, c, c, degrees);
  });
  // Opaque inside the socket, transparent outside: the background's scale shows through.
  strip.keepDisc(c, c, kOpaqueRadius, layout.frameHeight());
}

}  // namespace artwork

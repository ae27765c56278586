// The speed lever: a chrome shaft with an ivory ball grip that comes out of a vertical slot
// in a steel plate. Its pivot sits behind the panel, so tilting the lever up moves the grip
// up and the point where the shaft leaves the slot down, as a real lever does. The grip
// centre follows the editor's handle law: y = centre - R sin(a), a from +40 degrees
// (frame 0, "Tremolo", top) to -40 degrees (last frame, "Chorale", bottom).

#include <cmath>

#include "artwork.h"
#include "layout.h"
#include "resources/bitmap_ids.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxDegrees = 40;
constexpr double kPivotY = (layout::kLeverUpperLimit + layout::kLeverLowerLimit) / 2;  // 95
// Grip distance from the pivot that turns +-40 degrees into the 38 .. 152 handle travel.
const double kRadius = (layout::kLeverLowerLimit - layout::kLeverUpperLimit) / 2 / std::sin(kMaxDegrees * kPi / 180);
constexpr double kSlotX = 19;
constexpr double kPivotDepth = 22;  // behind the panel
constexpr double kObliqueX = 0.30;  // depth towards the viewer shows as a shift to the right

struct Point3 {
  double x, y, z;
};

double screenX(Point3 p) { return p.x + kObliqueX * p.z; }

// The grip and the point where the shaft leaves the slot, for a lever angle in radians.
void leverGeometry(double a, Point3& grip, Point3& exit) {
  grip = {kSlotX, kPivotY - kRadius * std::sin(a), -kPivotDepth + kRadius * std::cos(a)};
  exit = {kSlotX, kPivotY - kPivotDepth * std::tan(a), 0};
}

void drawShaftShadow(cairo_t* cr, Point3 exit, Point3 grip, double gripRadius) {
  // Light from the upper left: the shadow on the plate falls right and down with height.
  const double sx = screenX(grip) + grip.z * 0.12;
  const double sy = grip.y + grip.z * 0.10;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int pass = 0; pass < 3; ++pass) {
    cairo_set_line_width(cr, 6.0 + pass * 2.5);
    setColour(cr, rgb(0x000000), 0.16);
    cairo_move_to(cr, exit.x + 1, exit.y + 1);
    cairo_line_to(cr, sx, sy);
    cairo_stroke(cr);
    cairo_arc(cr, sx + 1, sy + 1, gripRadius + 0.5 + pass * 1.3, 0, 2 * kPi);
    setColour(cr, rgb(0x000000), 0.14);
    cairo_fill(cr);
  }
}

void drawShaft(cairo_t* cr, Point3 exit, Point3 grip) {
  const double x0 = exit.x, y0 = exit.y, x1 = screenX(grip), y1 = grip.y;
  const double length = std::hypot(x1 - x0, y1 - y0);
  // Unit normal of the shaft, pointing to its lit side (up and left).
  double nx = length > 0 ? -(y1 - y0) / length : 0;
  double ny = length > 0 ? (x1 - x0) / length : -1;
  if (nx + ny > 0) {
    nx = -nx;
    ny = -ny;
  }
  constexpr double kHalfWidth = 3.6;
  cairo_set_line_width(cr, 2 * kHalfWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  strokeLinear(cr, x0 + nx * kHalfWidth, y0 + ny * kHalfWidth, x0 - nx * kHalfWidth, y0 - ny * kHalfWidth,
               {{0.0, rgb(0x6e6c68)},
                {0.25, rgb(0xf4f2ec)},
                {0.55, rgb(0x9b9890)},
                {0.85, rgb(0x3a3835)},
                {1.0, rgb(0x1c1b19)}});

  // The collar where the shaft passes through the slot.
  cairo_arc(cr, x0, y0, 5.0, 0, 2 * kPi);
  fillRadial(cr, x0 - 1.4, y0 - 1.4, 0.5, x0, y0, 5.2, {{0, rgb(0xe8e5de)}, {0.6, rgb(0x77746e)}, {1, rgb(0x242320)}});
}

void drawGrip(cairo_t* cr, Point3 grip, double radius) {
  const double x = screenX(grip), y = grip.y;
  cairo_arc(cr, x, y, radius, 0, 2 * kPi);
  fillRadial(cr, x - radius * 0.35, y - radius * 0.45, radius * 0.1, x, y, radius * 1.05,
             {{0.0, rgb(0xfffdf6)}, {0.35, palette::kIvory}, {0.8, rgb(0xb5a888)}, {1.0, rgb(0x6b604a)}});

  // Reflected light from the plate along the lower rim, and a crisp specular spot.
  cairo_arc(cr, x, y, radius, 0, 2 * kPi);
  fillRadial(cr, x + radius * 0.3, y + radius * 0.55, 0, x + radius * 0.3, y + radius * 0.55, radius * 0.6,
             {{0, rgb(0xd9ccae), 0.45}, {1, rgb(0xd9ccae), 0.0}});

  setColour(cr, rgb(0xffffff), 0.85);
  cairo_arc(cr, x - radius * 0.38, y - radius * 0.42, radius * 0.22, 0, 2 * kPi);
  cairo_fill(cr);

  setColour(cr, rgb(0x2a251c), 0.5);
  cairo_set_line_width(cr, 0.7);
  cairo_arc(cr, x, y, radius - 0.35, 0, 2 * kPi);
  cairo_stroke(cr);
}

}  // namespace

void drawLeverPlate(cairo_t* cr, Rect lever) {
  const double top = lever.y;
  const double left = lever.x;
  // Steel plate with the slot the shaft moves in.
  const Rect plate{left + 6, top + 46, 26, 98};
  cairo_save(cr);
  roundedRect(cr, plate.moved(0.8, 1.2), 4);
  setColour(cr, rgb(0x000000), 0.55);
  cairo_fill(cr);
  roundedRect(cr, plate, 4);
  cairo_pattern_t* steel = cairo_pattern_create_linear(plate.x, 0, plate.right(), 0);
  addStop(steel, 0, rgb(0xa7a49d));
  addStop(steel, 0.45, rgb(0x7b7872));
  addStop(steel, 1, rgb(0x55534f));
  cairo_set_source(cr, steel);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(steel);
  setColour(cr, rgb(0x141312), 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);

  const Rect slot{left + kSlotX - 3, top + kPivotY - 26, 6, 52};
  roundedRect(cr, slot, 3);
  setColour(cr, rgb(0x050505));
  cairo_fill(cr);
  roundedRect(cr, slot.moved(0, 0.8), 3);
  setColour(cr, rgb(0xd8d5cc), 0.35);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  // Mounting screws above and below the slot.
  drawScrew(cr, plate.cx(), plate.y + 6.5, -0.4);
  drawScrew(cr, plate.cx(), plate.bottom() - 6.5, 0.5);

  // Position marks beside the grip's travel: a scale from fast (top) to slow (bottom).
  const double markX = left + 54;
  for (int i = 0; i <= 8; ++i) {
    const double y = top + layout::kLeverUpperLimit + i * (layout::kLeverLowerLimit - layout::kLeverUpperLimit) / 8;
    const bool major = i == 0 || i == 4 || i == 8;
    setColour(cr, major ? palette::kLabel : palette::kLabelDim, major ? 0.9 : 0.6);
    cairo_set_line_width(cr, major ? 1.2 : 0.8);
    cairo_move_to(cr, markX - (major ? 4 : 2.5), y);
    cairo_line_to(cr, markX, y);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void drawLeverStrip(Image& strip, const Image& background) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapSpeedLever);
  const Rect where = layout::kSpeedLever;
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    pasteBackground(cr, background, where);
    const double degrees = kMaxDegrees - 2 * kMaxDegrees * frame / (layout.frames - 1);
    Point3 grip{}, exit{};
    leverGeometry(degrees * kPi / 180, grip, exit);
    // Nearer the viewer (upright) the grip looks a little larger.
    const double gripRadius = 10.5 * (1 + (grip.z - 45) / 260);
    drawShaftShadow(cr, exit, grip, gripRadius);
    drawShaft(cr, exit, grip);
    drawGrip(cr, grip, gripRadius);
  });
}

}  // namespace artwork

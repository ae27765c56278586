// The stop and speed buttons beside the lever: square push buttons in a bezel, each with a
// lens above the cap. Frame 0 is released (stop: rotors running), frame 1 pressed (stop:
// rotors stopped, its lens lit red).

#include <cmath>

#include "artwork.h"
#include "layout.h"
#include "resources/bitmap_ids.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

void drawBezel(cairo_t* cr, Rect r) {
  drawRaisedPanel(cr, r, 3.5, rgb(0x57524b), rgb(0x1b1917), 0.6);
  roundedRect(cr, r.inset(1.5), 2.5);
  setColour(cr, rgb(0x0b0a09));
  cairo_fill(cr);
}

// The push cap; pressed, it sits lower and darker in its bezel.
void drawCap(cairo_t* cr, Rect r, bool pressed) {
  const Rect cap = pressed ? r.moved(0, 1) : r;
  if (!pressed) {
    roundedRect(cr, cap.moved(0, 1.2), 2.5);
    setColour(cr, rgb(0x000000), 0.8);
    cairo_fill(cr);
  }
  roundedRect(cr, cap, 2.5);
  fillLinear(cr, 0, cap.y, 0, cap.bottom(),
             {{0, pressed ? rgb(0x4c4842) : rgb(0x77716a)},
              {0.5, pressed ? rgb(0x35322e) : rgb(0x4a4640)},
              {1, pressed ? rgb(0x26231f) : rgb(0x2c2926)}});
  roundedRect(cr, cap.inset(0.5), 2.0);
  setColour(cr, rgb(0xffffff), pressed ? 0.08 : 0.22);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void drawStopSymbol(cairo_t* cr, Rect cap, bool on) {
  const double s = 5;
  cairo_rectangle(cr, cap.cx() - s / 2, cap.cy() - s / 2 + (on ? 1 : 0), s, s);
  setColour(cr, on ? palette::kRedLamp : palette::kLabel, 0.95);
  cairo_fill(cr);
}

// Two arrows chasing round a circle: the rotors change speed.
void drawSpeedSymbol(cairo_t* cr, Rect cap, bool pressed) {
  const double cx = cap.cx(), cy = cap.cy() + (pressed ? 1 : 0), r = 4.0;
  setColour(cr, pressed ? palette::kAmberLamp : palette::kLabel, 0.95);
  cairo_set_line_width(cr, 1.4);
  for (int half = 0; half < 2; ++half) {
    const double start = half * kPi + 0.35;
    const double end = start + kPi - 0.9;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, start, end);
    cairo_stroke(cr);
    const double hx = cx + r * std::cos(end), hy = cy + r * std::sin(end);
    const double tx = -std::sin(end), ty = std::cos(end);  // direction of travel
    const double nx = std::cos(end), ny = std::sin(end);
    cairo_move_to(cr, hx + tx * 2.4, hy + ty * 2.4);
    cairo_line_to(cr, hx + nx * 2.0, hy + ny * 2.0);
    cairo_line_to(cr, hx - nx * 2.0, hy - ny * 2.0);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

void drawPushButton(Image& strip, const Image& background, Rect where, int id, Rgb lens, bool stop) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(id);
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    const bool down = frame == 1;
    pasteBackground(cr, background, where);
    const Rect bezel{0.5, 0.5, where.w - 1.5, where.h - 1.5};
    drawBezel(cr, bezel);
    drawLed(cr, bezel.cx(), bezel.y + 6.5, 2.6, lens, down);
    const Rect cap{bezel.x + 3, bezel.y + 12, bezel.w - 6, bezel.h - 16};
    drawCap(cr, cap, down);
    if (stop) {
      drawStopSymbol(cr, cap, down);
    } else {
      drawSpeedSymbol(cr, cap, down);
    }
  });
}

}  // namespace

void drawStopButton(Image& strip, const Image& background) {
  drawPushButton(strip, background, layout::kStopButton, kestro::kBitmapStopButton, palette::kRedLamp, true);
}

void drawSpeedButton(Image& strip, const Image& background) {
  drawPushButton(strip, background, layout::kSpeedButton, kestro::kBitmapSpeedButton, palette::kAmberLamp, false);
}

}  // namespace artwork

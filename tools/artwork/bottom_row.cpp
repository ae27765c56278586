// The bottom row: the two-sided rocker (also the program rocker of the preset panel), the
// MIDI channel read-out, the bypass and CPU mode switches and the two controller lamps.

#include <string>

#include "artwork.h"
#include "layout.h"
#include "resources/bitmap_ids.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A small raised key with rounded corners.
void drawKey(cairo_t* cr, Rect r, bool pressed) {
  roundedRect(cr, r, 2.5);
  setColour(cr, rgb(0x050505));
  cairo_fill(cr);
  const Rect face = r.inset(1);
  roundedRect(cr, face, 1.8);
  fillLinear(cr, 0, face.y, 0, face.bottom(),
             {{0, pressed ? rgb(0x2a2724) : rgb(0x5a554e)}, {1, pressed ? rgb(0x1e1c1a) : rgb(0x2d2a26)}});
  cairo_move_to(cr, face.x + 1.5, face.y + 0.5);
  cairo_line_to(cr, face.right() - 1.5, face.y + 0.5);
  setColour(cr, rgb(0xffffff), pressed ? 0.05 : 0.25);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void drawTriangle(cairo_t* cr, double cx, double cy, double size, bool pointsRight) {
  const double d = pointsRight ? 1 : -1;
  cairo_move_to(cr, cx + d * size * 0.6, cy);
  cairo_line_to(cr, cx - d * size * 0.45, cy - size * 0.62);
  cairo_line_to(cr, cx - d * size * 0.45, cy + size * 0.62);
  cairo_close_path(cr);
  cairo_fill(cr);
}

}  // namespace

void drawRocker(Image& strip) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapRocker);
  // The body leaves the last column empty: the sustain lamp shares that column at its
  // place in the bottom row.
  const double w = layout.width - 1, h = layout.frameHeight();
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    const int hover = frame == 1 ? -1 : (frame == 2 ? 1 : 0);
    const int pressed = frame == 3 ? -1 : (frame == 4 ? 1 : 0);
    cairo_rectangle(cr, 0, 0, w, h);
    setColour(cr, rgb(0x060606));
    cairo_fill(cr);
    for (int side : {-1, 1}) {
      const Rect half = side < 0 ? Rect{1, 1, w / 2 - 1.5, h - 2} : Rect{w / 2 + 0.5, 1, w / 2 - 1.5, h - 2};
      const bool down = pressed == side;
      cairo_rectangle(cr, half.x, half.y, half.w, half.h);
      cairo_pattern_t* grad = cairo_pattern_create_linear(0, half.y, 0, half.bottom());
      const Rgb topColour = down ? rgb(0x242220) : (hover == side ? rgb(0x7d766c) : rgb(0x514c46));
      const Rgb bottomColour = down ? rgb(0x1a1816) : (hover == side ? rgb(0x48433d) : rgb(0x2c2925));
      addStop(grad, 0, topColour);
      addStop(grad, 1, bottomColour);
      cairo_set_source(cr, grad);
      cairo_fill(cr);
      cairo_pattern_destroy(grad);
      if (!down) {
        cairo_move_to(cr, half.x, half.y + 0.5);
        cairo_line_to(cr, half.right(), half.y + 0.5);
        setColour(cr, rgb(0xffffff), 0.22);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
      }
      const Rgb arrow = down ? palette::kAmberLamp : (hover == side ? rgb(0xffffff) : palette::kLabel);
      setColour(cr, arrow);
      drawTriangle(cr, half.cx(), half.cy() + (down ? 0.5 : 0), 6, side > 0);
    }
  });
  strip.hardenAlpha();
}

void drawMidiChannelDisplay(Image& strip) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapMidiChannel);
  const double w = layout.width, h = layout.frameHeight();
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    cairo_rectangle(cr, 0, 0, w, h);
    setColour(cr, rgb(0x050505));
    cairo_fill(cr);
    const Rect glass{1, 1, w - 2, h - 2};
    cairo_rectangle(cr, glass.x, glass.y, glass.w, glass.h);
    fillLinear(cr, 0, glass.y, 0, glass.bottom(), {{0, rgb(0x1f140a)}, {1, rgb(0x120b05)}});
    const std::string text = frame == 0 ? "OFF" : (frame == 17 ? "OMNI" : std::to_string(frame));
    setFont(cr, Font::Bold, frame == 17 ? 8.5 : 9.5);
    const double baseline = h / 2 + capHeight(cr) / 2;
    setColour(cr, palette::kAmberLamp, 0.25);  // a little bloom behind the digits
    textCentred(cr, text, w / 2 + 0.4, baseline + 0.4);
    setColour(cr, palette::kAmberLamp);
    textCentred(cr, text, w / 2, baseline);
  });
}

void drawBypassSwitch(Image& strip, const Image& background) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapBypass);
  const Rect where = layout::kBypassSwitch;
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    const bool on = frame == 1;
    pasteBackground(cr, background, where);
    drawKey(cr, {0, 0, where.w, where.h}, on);
    drawLed(cr, 8, 7, 2.6, palette::kRedLamp, on);
    setFont(cr, Font::Bold, 7.5);
    setColour(cr, on ? rgb(0xffffff) : palette::kLabel);
    textCentred(cr, "BYPASS", 35, 7 + capHeight(cr) / 2, 0.6);
  });
}

void drawCpuModeSwitch(Image& strip, const Image& background) {
  const kestro::BitmapLayout& layout = *kestro::findBitmapLayout(kestro::kBitmapCpuMode);
  const Rect where = layout::kCpuModeSwitch;
  const char* words[2] = {"LOW CPU", "BRILLIANT"};
  drawFilmstrip(strip, layout.frames, [&](cairo_t* cr, int frame) {
    pasteBackground(cr, background, where);
    roundedRect(cr, {0, 0, where.w, where.h}, 2.5);
    setColour(cr, rgb(0x050505));
    cairo_fill(cr);
    for (int side = 0; side < 2; ++side) {
      const bool active = side == frame;
      const Rect half{side == 0 ? 1.0 : where.w / 2 + 0.5, 1, where.w / 2 - 1.5, where.h - 2};
      roundedRect(cr, half, 1.8);
      fillLinear(cr, 0, half.y, 0, half.bottom(),
                 {{0, active ? rgb(0x5a554e) : rgb(0x1d1b19)}, {1, active ? rgb(0x2d2a26) : rgb(0x161412)}});
      drawLed(cr, half.x + 7, half.cy(), 2.3, palette::kAmberLamp, active);
      setFont(cr, Font::Bold, 7.5);
      setColour(cr, active ? rgb(0xffffff) : palette::kLabelDim);
      textCentred(cr, words[side], half.cx() + 5, half.cy() + capHeight(cr) / 2, 0.6);
    }
  });
}

void drawLamp(Image& strip, const Image& background, Rect where, const char* text) {
  drawFilmstrip(strip, 2, [&](cairo_t* cr, int frame) {
    const bool on = frame == 1;
    pasteBackground(cr, background, where);
    drawLed(cr, 7, 7, 2.6, palette::kAmberLamp, on);
    setFont(cr, Font::NarrowBold, 8);
    setColour(cr, on ? rgb(0xffffff) : palette::kLabel);
    textLeft(cr, text, 13, 7 + capHeight(cr) / 2, 0.2);
  });
}

}  // namespace artwork

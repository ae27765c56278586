// Pieces that several bitmaps draw alike.

#include <algorithm>

#include "artwork.h"

namespace artwork {

void pasteBackground(cairo_t* cr, const Image& background, Rect where) {
  cairo_set_source_surface(cr, background.surface(), -where.x, -where.y);
  cairo_paint(cr);
}

void drawLed(cairo_t* cr, double cx, double cy, double r, Rgb lit, bool on) {
  if (on) {
    cairo_arc(cr, cx, cy, r * 2.8, 0, 2 * 3.14159265358979323846);
    fillRadial(cr, cx, cy, 0, cx, cy, r * 2.8, {{0, lit, 0.7}, {1, lit, 0.0}});
  }
  fillDisc(cr, cx, cy, r + 0.7, rgb(0x000000), 0.8);
  cairo_arc(cr, cx, cy, r, 0, 2 * 3.14159265358979323846);
  fillRadial(cr, cx - r * 0.35, cy - r * 0.4, 0.1, cx, cy, r,
             {{0, on ? rgb(0xffffff) : scale(lit, 0.5)},
              {0.5, on ? lit : scale(lit, 0.28)},
              {1, on ? scale(lit, 0.8) : scale(lit, 0.14)}});
}

void drawScrew(cairo_t* cr, double x, double y, double slant) {
  fillDisc(cr, x + 0.4, y + 0.6, 2.6, rgb(0x000000), 0.5);
  cairo_arc(cr, x, y, 2.35, 0, 2 * 3.14159265358979323846);
  fillRadial(cr, x - 0.8, y - 0.9, 0.2, x, y, 2.5, {{0, rgb(0xc9c4bb)}, {1, rgb(0x3b3834)}});
  setColour(cr, rgb(0x151412), 0.9);
  cairo_set_line_width(cr, 0.8);
  cairo_move_to(cr, x - 1.5, y - slant);
  cairo_line_to(cr, x + 1.5, y + slant);
  cairo_stroke(cr);
}

void drawDrumFace(cairo_t* cr, Rect body, Rect port, double radius, std::uint32_t seed) {
  roundedRect(cr, body, radius);
  fillLinear(cr, body.x, 0, body.right(), 0, {{0, rgb(0x2a1b11)}, {0.5, rgb(0x9a6a43)}, {1, rgb(0x2a1b11)}});

  // Grain running round the drum.
  Noise noise(seed);
  const int lines = static_cast<int>(body.h / 1.6);
  for (int i = 0; i < lines; ++i) {
    const double y = body.y + (i + 0.6) * body.h / lines + noise.next() * 0.5;
    const double wobble = body.h / 40;
    setColour(cr, rgb(0x2b1a0f), 0.16 + 0.1 * noise.next());
    cairo_set_line_width(cr, 0.6 + body.h / 200);
    cairo_move_to(cr, body.x + 1, y);
    cairo_curve_to(cr, body.x + body.w / 3, y + (noise.next() - 0.5) * wobble, body.x + body.w * 2 / 3,
                   y + (noise.next() - 0.5) * wobble, body.right() - 1, y);
    cairo_stroke(cr);
  }

  // The open scoop with its slats, dark inside, and a lit edge round it.
  roundedRect(cr, port, radius / 2);
  setColour(cr, rgb(0x0a0705));
  cairo_fill(cr);
  const double slat = std::max(1.2, port.w / 28);
  for (int i = 1; i < 6; ++i) {
    const double x = port.x + i * port.w / 6;
    setColour(cr, rgb(0x7a5434), 0.85);
    cairo_set_line_width(cr, slat);
    cairo_move_to(cr, x, port.y + 0.5);
    cairo_line_to(cr, x, port.bottom() - 0.5);
    cairo_stroke(cr);
  }
  roundedRect(cr, port.inset(-0.6), radius / 2 + 0.4);
  setColour(cr, rgb(0xd4a574), 0.6);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  // Cylinder shading: the top and bottom turn away from the light.
  roundedRect(cr, body, radius);
  fillLinear(
      cr, 0, body.y, 0, body.bottom(),
      {{0, rgb(0x000000), 0.45}, {0.35, rgb(0xffffff), 0.08}, {0.6, rgb(0x000000), 0.0}, {1, rgb(0x000000), 0.5}});
}

void drawRaisedPanel(cairo_t* cr, Rect r, double radius, Rgb top, Rgb bottom, double shadowAlpha) {
  roundedRect(cr, r.moved(0.6, 1.0), radius);
  setColour(cr, rgb(0x000000), shadowAlpha);
  cairo_fill(cr);
  roundedRect(cr, r, radius);
  fillLinear(cr, 0, r.y, 0, r.bottom(), {{0, top}, {1, bottom}});
}

void drawProductName(cairo_t* cr, double cx, double baseline, double size) {
  const double makerSize = size * 0.55, makerSpacing = size * 0.06, nameSpacing = size * 0.025;
  const double gap = size * 0.25, shadow = size * 0.045;
  setFont(cr, Font::Bold, makerSize);
  const double makerWidth = textWidth(cr, "TAV", makerSpacing);
  setFont(cr, Font::BoldItalic, size);
  const double nameWidth = textWidth(cr, "Kestro", nameSpacing);
  const double x = cx - (makerWidth + gap + nameWidth) / 2;
  setFont(cr, Font::Bold, makerSize);
  setColour(cr, palette::kTitle);
  textLeft(cr, "TAV", x, baseline, makerSpacing);
  setFont(cr, Font::BoldItalic, size);
  setColour(cr, rgb(0x000000), 0.7);
  textLeft(cr, "Kestro", x + makerWidth + gap + shadow, baseline + shadow * 1.2, nameSpacing);
  setColour(cr, palette::kIvory);
  textLeft(cr, "Kestro", x + makerWidth + gap, baseline, nameSpacing);
}

}  // namespace artwork

// The preset panel's buttons: save (red) and load or recall (green) arrows pointing
// right, the BANK and PRESET words that react to a double-click, and the manual button.
// Three frames each: idle, under the mouse, pressed.

#include "artwork.h"

namespace artwork {
namespace {

// A small coloured key: frame 1 brighter, frame 2 darker and pressed in.
void drawColouredKey(cairo_t* cr, Rect r, Rgb ground, int frame) {
  roundedRect(cr, r, 2.2);
  setColour(cr, rgb(0x050505));
  cairo_fill(cr);
  const Rect face = r.inset(1);
  const double light = frame == 1 ? 1.3 : (frame == 2 ? 0.65 : 1.0);
  roundedRect(cr, face, 1.5);
  fillLinear(cr, 0, face.y, 0, face.bottom(),
             {{0, scale(ground, light * (frame == 2 ? 0.85 : 1.25))}, {1, scale(ground, light * 0.7)}});
  if (frame != 2) {
    cairo_move_to(cr, face.x + 1, face.y + 0.5);
    cairo_line_to(cr, face.right() - 1, face.y + 0.5);
    setColour(cr, rgb(0xffffff), 0.3);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
}

}  // namespace

void drawArrowButton(Image& strip, const Image& background, Rect where, ArrowKind kind) {
  const Rgb ground = kind == ArrowKind::Save ? palette::kSaveRed : palette::kLoadGreen;
  drawFilmstrip(strip, 3, [&](cairo_t* cr, int frame) {
    pasteBackground(cr, background, where);
    const Rect key{0, 0, where.w, where.h};
    drawColouredKey(cr, key, ground, frame);
    // Arrow pointing right: a short shaft and a head.
    const double cx = key.cx() + (frame == 2 ? 0.5 : 0), cy = key.cy() + (frame == 2 ? 0.5 : 0);
    setColour(cr, frame == 1 ? rgb(0xffffff) : palette::kIvory);
    cairo_rectangle(cr, cx - 3.5, cy - 1, 3.5, 2);
    cairo_fill(cr);
    cairo_move_to(cr, cx + 3.5, cy);
    cairo_line_to(cr, cx - 0.5, cy - 3.8);
    cairo_line_to(cr, cx - 0.5, cy + 3.8);
    cairo_close_path(cr);
    cairo_fill(cr);
  });
}

void drawPanelWord(cairo_t* cr, Rect where, const char* text, Rgb colour) {
  setFont(cr, Font::Bold, 7.5);
  setColour(cr, colour);
  textCentred(cr, text, where.cx(), where.cy() + capHeight(cr) / 2, 0.8);
}

void drawLabelButton(Image& strip, const Image& background, Rect where, const char* text) {
  drawFilmstrip(strip, 3, [&](cairo_t* cr, int frame) {
    pasteBackground(cr, background, where);
    const Rect local{0, 0, where.w, where.h};
    if (frame == 1) {
      drawPanelWord(cr, local, text, rgb(0xffffff));
      cairo_move_to(cr, 3, where.h - 0.5);
      cairo_line_to(cr, where.w - 3, where.h - 0.5);
      setColour(cr, palette::kTitle, 0.9);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    } else if (frame == 2) {
      roundedRect(cr, local, 2);
      setColour(cr, palette::kTitle);
      cairo_fill(cr);
      drawPanelWord(cr, local, text, rgb(0x16120c));
    }
  });
}

void drawManualButton(Image& strip, const Image& background, Rect where) {
  drawFilmstrip(strip, 3, [&](cairo_t* cr, int frame) {
    pasteBackground(cr, background, where);
    const Rect key{0, 0, where.w, where.h};
    drawColouredKey(cr, key, rgb(0x4a453f), frame);
    setFont(cr, Font::Bold, 10);
    setColour(cr, frame == 1 ? rgb(0xffffff) : palette::kLabel);
    const double shift = frame == 2 ? 0.5 : 0;
    textCentred(cr, "?", key.cx() + shift, key.cy() + capHeight(cr) / 2 + shift);
  });
}

}  // namespace artwork

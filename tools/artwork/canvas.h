#pragma once
// Small drawing vocabulary over cairo for the artwork generator: owned surfaces, colours,
// fonts loaded from the Liberation files through FreeType (never through font matching,
// so the output is the same on every machine with the same files), letter-spaced text
// and a deterministic noise source for material textures.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace artwork {

struct Rgb {
  double r, g, b;
};

// Hex colour 0xRRGGBB.
constexpr Rgb rgb(std::uint32_t hex) {
  return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0};
}
Rgb mix(Rgb a, Rgb b, double t);
Rgb scale(Rgb c, double factor);

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

struct Stop {
  double offset;
  Rgb colour;
  double alpha = 1.0;
};
// Fill (or stroke) the current path with a gradient, consuming the path.
void fillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops);
void strokeLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops);
void fillRadial(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                std::initializer_list<Stop> stops);
// A filled disc, in a flat colour or a radial gradient centred on it.
void fillDisc(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha = 1.0);

struct Rect {
  double x, y, w, h;
  double right() const { return x + w; }
  double bottom() const { return y + h; }
  double cx() const { return x + w / 2; }
  double cy() const { return y + h / 2; }
  Rect inset(double d) const { return {x + d, y + d, w - 2 * d, h - 2 * d}; }
  Rect moved(double dx, double dy) const { return {x + dx, y + dy, w, h}; }
};

// Window rectangles as the layout tables give them: left, top, right, bottom.
constexpr Rect ltrb(double l, double t, double r, double b) { return {l, t, r - l, b - t}; }

// An ARGB32 image with its drawing context; owns both.
class Image {
 public:
  Image(int width, int height);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Writes the image as PNG; false when the file cannot be written.
  bool writePng(const std::string& path) const;
  // Clears every pixel whose centre lies farther than radius from (cx, cy) of its frame:
  // a hard edge, so the drawn part stays opaque and everything else is fully transparent.
  void keepDisc(double cx, double cy, double radius, int frameHeight);
  // Makes every pixel either fully opaque or fully transparent (alpha below one half is
  // dropped), for bitmaps drawn at several places over different backgrounds.
  void hardenAlpha();
  // Multiplies the colour inside an area by a brushed-metal grain: streaks that run
  // horizontally, varying from row to row.
  void brush(Rect area, double strength, std::uint32_t seed);

 private:
  // Row y of the pixels (premultiplied ARGB), after cairo's drawing is flushed.
  std::uint32_t* row(int y);

  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Draws frame k of a filmstrip into a clipped frame-sized area at the origin.
using FrameDrawer = std::function<void(cairo_t* cr, int frame)>;
void drawFilmstrip(Image& strip, int frames, const FrameDrawer& draw);

enum class Font { Regular, Bold, NarrowBold, BoldItalic };

// Loads the font files once; false when one of them is missing.
bool loadFonts(const std::string& fontDir);
void releaseFonts();
void setFont(cairo_t* cr, Font font, double pixelSize);

// Width of a text with the given extra spacing between letters.
double textWidth(cairo_t* cr, const std::string& text, double spacing = 0);
// Draws text with its baseline at y; the anchor x is its centre, left or right edge.
void textCentred(cairo_t* cr, const std::string& text, double cx, double baseline, double spacing = 0);
void textLeft(cairo_t* cr, const std::string& text, double x, double baseline, double spacing = 0);
void textRight(cairo_t* cr, const std::string& text, double right, double baseline, double spacing = 0);
// Cap height of the current font, for centring capitals vertically.
double capHeight(cairo_t* cr);

void roundedRect(cairo_t* cr, Rect r, double radius);

// Deterministic value noise in 0 .. 1.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
  double next();

 private:
  std::uint32_t state_;
};

}  // namespace artwork

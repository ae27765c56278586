#include "canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>

namespace artwork {

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb scale(Rgb c, double factor) {
  auto clamp = [](double v) { return v < 0 ? 0.0 : (v > 1 ? 1.0 : v); };
  return {clamp(c.r * factor), clamp(c.g * factor), clamp(c.b * factor)};
}

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

namespace {

cairo_pattern_t* withStops(cairo_pattern_t* p, std::initializer_list<Stop> stops) {
  for (const Stop& stop : stops) addStop(p, stop.offset, stop.colour, stop.alpha);
  return p;
}

void paintPath(cairo_t* cr, cairo_pattern_t* p, bool stroke) {
  cairo_set_source(cr, p);
  if (stroke)
    cairo_stroke(cr);
  else
    cairo_fill(cr);
  cairo_pattern_destroy(p);
}

}  // namespace

void fillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops) {
  paintPath(cr, withStops(cairo_pattern_create_linear(x0, y0, x1, y1), stops), false);
}

void strokeLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops) {
  paintPath(cr, withStops(cairo_pattern_create_linear(x0, y0, x1, y1), stops), true);
}

void fillRadial(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                std::initializer_list<Stop> stops) {
  paintPath(cr, withStops(cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1), stops), false);
}

void fillDisc(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * 3.14159265358979323846);
  setColour(cr, c, alpha);
  cairo_fill(cr);
}

// ---- images ---------------------------------------------------------------------------

Image::Image(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  // Grey anti-aliasing without hinting: the same pixels whatever the machine's settings.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
}

Image::~Image() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

bool Image::writePng(const std::string& path) const {
  cairo_surface_flush(surface_);
  return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::uint32_t* Image::row(int y) {
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  return reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
}

void Image::keepDisc(double cx, double cy, double radius, int frameHeight) {
  cairo_surface_flush(surface_);
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* pixels = row(y);
    for (int x = 0; x < width_; ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y % frameHeight + 0.5 - cy;
      if (dx * dx + dy * dy > radius * radius) pixels[x] = 0;
    }
  }
  cairo_surface_mark_dirty(surface_);
}

void Image::hardenAlpha() {
  cairo_surface_flush(surface_);
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* pixels = row(y);
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t p = pixels[x];
      const std::uint32_t a = p >> 24;
      if (a == 255) continue;
      if (a < 128) {
        pixels[x] = 0;
        continue;
      }
      // Premultiplied: undo the coverage so the edge pixel keeps its colour at full alpha.
      auto channel = [&](int shift) {
        const std::uint32_t c = (p >> shift) & 0xff;
        return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) << shift;
      };
      pixels[x] = 0xff000000u | channel(16) | channel(8) | channel(0);
    }
  }
  cairo_surface_mark_dirty(surface_);
}

void Image::brush(Rect area, double strength, std::uint32_t seed) {
  cairo_surface_flush(surface_);
  Noise noise(seed);
  const int x0 = std::max(0, static_cast<int>(area.x));
  const int x1 = std::min(width_, static_cast<int>(area.right()));
  const int y0 = std::max(0, static_cast<int>(area.y));
  const int y1 = std::min(height_, static_cast<int>(area.bottom()));
  constexpr int kStreak = 29;  // pixels between the streak's control points
  for (int y = y0; y < y1; ++y) {
    std::uint32_t* pixels = row(y);
    const double rowShade = noise.next() - 0.5;
    double from = noise.next() - 0.5;
    double to = noise.next() - 0.5;
    for (int x = x0; x < x1; ++x) {
      const int phase = (x - x0) % kStreak;
      if (phase == 0 && x != x0) {
        from = to;
        to = noise.next() - 0.5;
      }
      const double streak = from + (to - from) * phase / kStreak;
      const double grain = noise.next() - 0.5;
      const double factor = 1.0 + strength * (0.9 * rowShade + 0.7 * streak + 0.35 * grain);
      const std::uint32_t p = pixels[x];
      auto channel = [&](int shift) {
        const double c = ((p >> shift) & 0xff) * factor;
        const std::uint32_t limit = p >> 24;  // premultiplied: never above alpha
        return std::min<std::uint32_t>(limit, static_cast<std::uint32_t>(c + 0.5)) << shift;
      };
      pixels[x] = (p & 0xff000000u) | channel(16) | channel(8) | channel(0);
    }
  }
  cairo_surface_mark_dirty(surface_);
}

void drawFilmstrip(Image& strip, int frames, const FrameDrawer& draw) {
  const double frameHeight = static_cast<double>(strip.height()) / frames;
  cairo_t* cr = strip.cr();
  for (int k = 0; k < frames; ++k) {
    cairo_save(cr);
    cairo_translate(cr, 0, k * frameHeight);
    cairo_rectangle(cr, 0, 0, strip.width(), frameHeight);
    cairo_clip(cr);
    draw(cr, k);
    cairo_restore(cr);
  }
}

// ---- fonts ----------------------------------------------------------------------------

namespace {

struct LoadedFont {
  const char* file;
  FT_Face face = nullptr;
  cairo_font_face_t* cairoFace = nullptr;
};

FT_Library library = nullptr;
std::array<LoadedFont, 4> fonts{{{"LiberationSans-Regular.ttf"},
                                 {"LiberationSans-Bold.ttf"},
                                 {"LiberationSansNarrow-Bold.ttf"},
                                 {"LiberationSans-BoldItalic.ttf"}}};

}  // namespace

bool loadFonts(const std::string& fontDir) {
  if (!library && FT_Init_FreeType(&library) != 0) return false;
  for (LoadedFont& font : fonts) {
    if (font.cairoFace) continue;
    const std::string path = fontDir + "/" + font.file;
    if (FT_New_Face(library, path.c_str(), 0, &font.face) != 0) return false;
    font.cairoFace = cairo_ft_font_face_create_for_ft_face(font.face, 0);
  }
  return true;
}

void releaseFonts() {
  for (LoadedFont& font : fonts) {
    if (font.cairoFace) cairo_font_face_destroy(font.cairoFace);
    if (font.face) FT_Done_Face(font.face);
    font.cairoFace = nullptr;
    font.face = nullptr;
  }
  if (library) FT_Done_FreeType(library);
  library = nullptr;
}

void setFont(cairo_t* cr, Font font, double pixelSize) {
  cairo_set_font_face(cr, fonts[static_cast<std::size_t>(font)].cairoFace);
  cairo_set_font_size(cr, pixelSize);
}

double textWidth(cairo_t* cr, const std::string& text, double spacing) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double gaps = text.empty() ? 0 : static_cast<double>(text.size() - 1);
  return extents.x_advance + spacing * gaps;
}

void textLeft(cairo_t* cr, const std::string& text, double x, double baseline, double spacing) {
  if (spacing == 0) {
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    return;
  }
  for (char c : text) {
    const char one[2] = {c, 0};
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, one);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, one, &extents);
    x += extents.x_advance + spacing;
  }
}

void textCentred(cairo_t* cr, const std::string& text, double cx, double baseline, double spacing) {
  textLeft(cr, text, cx - textWidth(cr, text, spacing) / 2, baseline, spacing);
}

void textRight(cairo_t* cr, const std::string& text, double right, double baseline, double spacing) {
  textLeft(cr, text, right - textWidth(cr, text, spacing), baseline, spacing);
}

double capHeight(cairo_t* cr) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, "H", &extents);
  return -extents.y_bearing;
}

void roundedRect(cairo_t* cr, Rect r, double radius) {
  const double pi = 3.14159265358979323846;
  cairo_new_sub_path(cr);
  cairo_arc(cr, r.right() - radius, r.y + radius, radius, -pi / 2, 0);
  cairo_arc(cr, r.right() - radius, r.bottom() - radius, radius, 0, pi / 2);
  cairo_arc(cr, r.x + radius, r.bottom() - radius, radius, pi / 2, pi);
  cairo_arc(cr, r.x + radius, r.y + radius, radius, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

double Noise::next() {
  // xorshift32: fast, and the same sequence on every machine.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_ / 4294967296.0;
}

}  // namespace artwork

// Build-time check of the artwork: every bitmap the editor loads must exist in the
// resource folder as a PNG named by its id, decode completely, and have exactly the size
// of its filmstrip. A replaced file with a wrong size would otherwise only show up as a
// garbled control in a host.
//
// Usage: kestro_check_bitmaps RESOURCE_DIR [STAMP_FILE]
// Exit 0 when all bitmaps pass (the stamp file is then touched), 1 otherwise.

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/bitmap_ids.h"

namespace {

struct PngSize {
  unsigned width = 0;
  unsigned height = 0;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Decodes the whole image (so a truncated or corrupt file fails here, not in the build's
// embedding step) and reports its size; an error text otherwise.
std::string decodePng(const std::string& path, PngSize& size) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return "missing";
  png_byte signature[8] = {};
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return "not a PNG file";
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return "out of memory";
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return "out of memory";
  }
  // Declared before setjmp so that a longjmp out of libpng leaves no object half-built.
  std::vector<png_byte> rows;
  std::vector<png_bytep> rowPointers;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return "corrupt PNG data";
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, sizeof signature);
  png_read_info(png, info);
  size.width = png_get_image_width(png, info);
  size.height = png_get_image_height(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t stride = png_get_rowbytes(png, info);
  rows.resize(stride * size.height);
  rowPointers.resize(size.height);
  for (unsigned y = 0; y < size.height; ++y) rowPointers[y] = rows.data() + stride * y;
  png_read_image(png, rowPointers.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return {};
}

bool checkBitmap(const std::string& dir, const kestro::BitmapLayout& layout) {
  const std::string path = dir + "/" + std::to_string(layout.id) + ".png";
  PngSize size;
  const std::string error = decodePng(path, size);
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s (bitmap %d, needed %d x %d)\n", path.c_str(), error.c_str(), layout.id, layout.width,
                 layout.height);
    return false;
  }
  if (size.width != static_cast<unsigned>(layout.width) || size.height != static_cast<unsigned>(layout.height)) {
    std::fprintf(stderr, "%s: %u x %u, but bitmap %d needs %d x %d (%d frame%s of %d x %d stacked vertically)\n",
                 path.c_str(), size.width, size.height, layout.id, layout.width, layout.height, layout.frames,
                 layout.frames == 1 ? "" : "s", layout.width, layout.frameHeight());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s RESOURCE_DIR [STAMP_FILE]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  int failures = 0;
  for (const kestro::BitmapLayout& layout : kestro::kBitmapLayouts) {
    if (!checkBitmap(dir, layout)) ++failures;
  }
  if (failures != 0) {
    std::fprintf(stderr, "%d of %zu bitmaps in %s do not fit the editor's layout\n", failures,
                 kestro::kBitmapLayouts.size(), dir.c_str());
    return 1;
  }
  if (argc == 3) {
    std::unique_ptr<std::FILE, FileCloser> stamp(std::fopen(argv[2], "w"));
    if (!stamp) {
      std::fprintf(stderr, "cannot write %s\n", argv[2]);
      return 1;
    }
    std::fprintf(stamp.get(), "%zu bitmaps checked\n", kestro::kBitmapLayouts.size());
  }
  return 0;
}

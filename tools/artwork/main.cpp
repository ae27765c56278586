// kestro-artwork: draws every bitmap the editor loads and writes them as <id>.png.
//
//   kestro-artwork OUTPUT_DIR [--fonts DIR] [--mockup FILE [--zoom N]] [--about-mockup FILE] [--sheet FILE]
//
// --mockup also composes the whole window (knobs at frame 50, sample value texts) into
// FILE, for judging the layout; --about-mockup shows the about screen with the version
// text the editor adds; --sheet draws chosen frames of every filmstrip three times
// enlarged. Neither is a resource.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "artwork.h"
#include "layout.h"
#include "resources/bitmap_ids.h"

namespace {

using artwork::Image;
namespace layout = artwork::layout;

using Bitmaps = std::map<int, std::unique_ptr<Image>>;

Image& make(Bitmaps& bitmaps, int id) {
  const kestro::BitmapLayout& info = *kestro::findBitmapLayout(id);
  auto image = std::make_unique<Image>(info.width, info.height);
  Image& ref = *image;
  bitmaps[id] = std::move(image);
  return ref;
}

void drawAll(Bitmaps& bitmaps) {
  using namespace artwork;
  Image& background = make(bitmaps, kestro::kBitmapBackground);
  drawBackground(background);

  drawKnobStrip(make(bitmaps, kestro::kBitmapKnob));
  drawLeverStrip(make(bitmaps, kestro::kBitmapSpeedLever), background);
  drawStopButton(make(bitmaps, kestro::kBitmapStopButton), background);
  drawSpeedButton(make(bitmaps, kestro::kBitmapSpeedButton), background);
  drawHornStrip(make(bitmaps, kestro::kBitmapHornStrip));
  drawHornMarker(make(bitmaps, kestro::kBitmapHornMarker));
  drawDrumStrip(make(bitmaps, kestro::kBitmapDrumStrip));
  drawDrumMarker(make(bitmaps, kestro::kBitmapDrumMarker));
  drawAbout(make(bitmaps, kestro::kBitmapAbout));

  drawRocker(make(bitmaps, kestro::kBitmapRocker));
  drawMidiChannelDisplay(make(bitmaps, kestro::kBitmapMidiChannel));
  drawBypassSwitch(make(bitmaps, kestro::kBitmapBypass), background);
  drawCpuModeSwitch(make(bitmaps, kestro::kBitmapCpuMode), background);
  drawLamp(make(bitmaps, kestro::kBitmapModulationLamp), background, layout::kModulationLamp, "MOD WHEEL");
  drawLamp(make(bitmaps, kestro::kBitmapSustainLamp), background, layout::kSustainLamp, "SUSTAIN");

  const ArrowKind save = ArrowKind::Save, load = ArrowKind::Load;
  drawArrowButton(make(bitmaps, kestro::kBitmapSaveBank), background, layout::kSaveBank, save);
  drawArrowButton(make(bitmaps, kestro::kBitmapLoadBank), background, layout::kLoadBank, load);
  drawArrowButton(make(bitmaps, kestro::kBitmapSavePreset), background, layout::kSavePreset, save);
  drawArrowButton(make(bitmaps, kestro::kBitmapLoadPreset), background, layout::kLoadPreset, load);
  drawArrowButton(make(bitmaps, kestro::kBitmapStoreMemoA), background, layout::kStoreMemoA, save);
  drawArrowButton(make(bitmaps, kestro::kBitmapRecallMemoA), background, layout::kRecallMemoA, load);
  drawArrowButton(make(bitmaps, kestro::kBitmapStoreMemoB), background, layout::kStoreMemoB, save);
  drawArrowButton(make(bitmaps, kestro::kBitmapRecallMemoB), background, layout::kRecallMemoB, load);
  drawLabelButton(make(bitmaps, kestro::kBitmapBankLabel), background, layout::kBankLabel, "BANK");
  drawLabelButton(make(bitmaps, kestro::kBitmapPresetLabel), background, layout::kPresetLabel, "PRESET");
  drawManualButton(make(bitmaps, kestro::kBitmapManual), background, layout::kManual);
}

// ---- mock-up of the whole window ------------------------------------------------------

void blitFrame(Image& window, const Bitmaps& bitmaps, int id, int frame, artwork::Rect at) {
  const kestro::BitmapLayout& info = *kestro::findBitmapLayout(id);
  cairo_t* cr = window.cr();
  cairo_save(cr);
  cairo_rectangle(cr, at.x, at.y, info.width, info.frameHeight());
  cairo_clip(cr);
  cairo_set_source_surface(cr, bitmaps.at(id)->surface(), at.x, at.y - frame * info.frameHeight());
  cairo_paint(cr);
  cairo_restore(cr);
}

// The rotor strip as the editor draws it: marker over the strip in an offscreen.
void blitStrip(Image& window, const Bitmaps& bitmaps, int stripId, int markerId, artwork::Rect at, double value) {
  Image strip(298, 12);
  cairo_set_source_surface(strip.cr(), bitmaps.at(stripId)->surface(), 0, 0);
  cairo_paint(strip.cr());
  double pos = (1 - value) + 0.5;
  if (pos > 1) pos -= 1;
  const double x = static_cast<int>(pos * 418) - 120;
  cairo_set_source_surface(strip.cr(), bitmaps.at(markerId)->surface(), x, 0);
  cairo_paint(strip.cr());
  cairo_set_source_surface(window.cr(), strip.surface(), at.x, at.y);
  cairo_paint(window.cr());
}

void sampleText(Image& window, artwork::Rect display, const char* text) {
  cairo_t* cr = window.cr();
  artwork::setFont(cr, artwork::Font::Regular, 9);
  cairo_set_source_rgb(cr, 1, 1, 1);
  artwork::textCentred(cr, text, display.cx(), display.bottom() - 2);
}

// The about screen as the editor shows it, with the version text it draws.
bool writeAboutMockup(const Bitmaps& bitmaps, const std::string& path) {
  Image about(400, 533);
  blitFrame(about, bitmaps, kestro::kBitmapAbout, 0, {0, 0, 0, 0});
  cairo_t* cr = about.cr();
  artwork::setFont(cr, artwork::Font::Regular, 10);
  cairo_set_source_rgb(cr, 160 / 255.0, 159 / 255.0, 157 / 255.0);
  const artwork::Rect version = layout::kAboutVersionText;
  artwork::textCentred(cr, "v.1.0.0", version.cx(), version.cy() + artwork::capHeight(cr) / 2);
  return about.writePng(path);
}

// Scales an image up by a whole factor without smoothing, for looking at single pixels.
bool writeZoomed(const Image& image, int zoom, const std::string& path) {
  Image big(image.width() * zoom, image.height() * zoom);
  cairo_scale(big.cr(), zoom, zoom);
  cairo_set_source_surface(big.cr(), image.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(big.cr()), CAIRO_FILTER_NEAREST);
  cairo_paint(big.cr());
  return big.writePng(path);
}

bool writeMockup(const Bitmaps& bitmaps, int zoom, const std::string& path) {
  Image window(layout::kWindowWidth, layout::kWindowHeight);
  blitFrame(window, bitmaps, kestro::kBitmapBackground, 0, {0, 0, 0, 0});
  const char* samples[] = {"0.67 Hz", "6.77 Hz", "1.58 s",  "2.44 s", "65 cm",  "Off",  "0.0 dB", "0.0 dB", "0.0 dB",
                           "0.0 dB",  "0.0 dB",  "0.0 dB",  "",       "0.0 dB", "Tube", "0.0 dB", "1",      "50.8 %",
                           "-oo dB",  "0.93 Hz", "6.53 Hz", "6.31 s", "14.1 s", "0 cm", "Off",    "0.0 dB"};
  for (std::size_t i = 0; i < layout::kKnobs.size(); ++i) {
    blitFrame(window, bitmaps, kestro::kBitmapKnob, 50, layout::kKnobs[i].knob);
    sampleText(window, layout::kKnobs[i].display, samples[i]);
  }
  const artwork::Rect setup = layout::kKnobs[12].display;
  sampleText(window, {setup.x, setup.y, setup.w, 11}, "Front");
  sampleText(window, {setup.x, setup.y + 11, setup.w, 11}, "Side");
  blitFrame(window, bitmaps, kestro::kBitmapSpeedLever, 20, layout::kSpeedLever);
  blitFrame(window, bitmaps, kestro::kBitmapStopButton, 0, layout::kStopButton);
  blitFrame(window, bitmaps, kestro::kBitmapSpeedButton, 0, layout::kSpeedButton);
  blitStrip(window, bitmaps, kestro::kBitmapHornStrip, kestro::kBitmapHornMarker, layout::kHornStrip, 0.2);
  blitStrip(window, bitmaps, kestro::kBitmapDrumStrip, kestro::kBitmapDrumMarker, layout::kDrumStrip, 0.85);
  blitFrame(window, bitmaps, kestro::kBitmapRocker, 0, layout::kMidiRocker);
  blitFrame(window, bitmaps, kestro::kBitmapMidiChannel, 1, layout::kMidiDisplay);
  blitFrame(window, bitmaps, kestro::kBitmapBypass, 0, layout::kBypassSwitch);
  blitFrame(window, bitmaps, kestro::kBitmapCpuMode, 1, layout::kCpuModeSwitch);
  blitFrame(window, bitmaps, kestro::kBitmapModulationLamp, 0, layout::kModulationLamp);
  blitFrame(window, bitmaps, kestro::kBitmapSustainLamp, 1, layout::kSustainLamp);
  blitFrame(window, bitmaps, kestro::kBitmapSaveBank, 0, layout::kSaveBank);
  blitFrame(window, bitmaps, kestro::kBitmapBankLabel, 0, layout::kBankLabel);
  blitFrame(window, bitmaps, kestro::kBitmapLoadBank, 0, layout::kLoadBank);
  blitFrame(window, bitmaps, kestro::kBitmapSavePreset, 0, layout::kSavePreset);
  blitFrame(window, bitmaps, kestro::kBitmapPresetLabel, 1, layout::kPresetLabel);
  blitFrame(window, bitmaps, kestro::kBitmapLoadPreset, 0, layout::kLoadPreset);
  blitFrame(window, bitmaps, kestro::kBitmapRocker, 2, layout::kProgramRocker);
  blitFrame(window, bitmaps, kestro::kBitmapStoreMemoA, 0, layout::kStoreMemoA);
  blitFrame(window, bitmaps, kestro::kBitmapRecallMemoA, 0, layout::kRecallMemoA);
  blitFrame(window, bitmaps, kestro::kBitmapStoreMemoB, 0, layout::kStoreMemoB);
  blitFrame(window, bitmaps, kestro::kBitmapRecallMemoB, 0, layout::kRecallMemoB);
  blitFrame(window, bitmaps, kestro::kBitmapManual, 0, layout::kManual);
  cairo_t* cr = window.cr();
  artwork::setFont(cr, artwork::Font::Regular, 11);
  cairo_set_source_rgb(cr, 36 / 255.0, 36 / 255.0, 32 / 255.0);
  artwork::textCentred(cr, "Default", layout::kNameField.cx(), layout::kNameField.bottom() - 4);
  return zoom > 1 ? writeZoomed(window, zoom, path) : window.writePng(path);
}

// A contact sheet of chosen frames of every filmstrip, enlarged, on a mid-grey ground.
bool writeSheet(const Bitmaps& bitmaps, const std::string& path) {
  struct Row {
    int id;
    std::vector<int> frames;
  };
  const std::vector<Row> rows = {
      {kestro::kBitmapKnob, {0, 25, 40, 50, 60, 75, 100}},
      {kestro::kBitmapSpeedLever, {0, 16, 32, 48, 64}},
      {kestro::kBitmapStopButton, {0, 1}},
      {kestro::kBitmapSpeedButton, {0, 1}},
      {kestro::kBitmapRocker, {0, 1, 2, 3, 4}},
      {kestro::kBitmapMidiChannel, {0, 1, 9, 16, 17}},
      {kestro::kBitmapBypass, {0, 1}},
      {kestro::kBitmapCpuMode, {0, 1}},
      {kestro::kBitmapModulationLamp, {0, 1}},
      {kestro::kBitmapSustainLamp, {0, 1}},
      {kestro::kBitmapSaveBank, {0, 1, 2}},
      {kestro::kBitmapLoadBank, {0, 1, 2}},
      {kestro::kBitmapBankLabel, {0, 1, 2}},
      {kestro::kBitmapPresetLabel, {0, 1, 2}},
      {kestro::kBitmapManual, {0, 1, 2}},
      {kestro::kBitmapHornMarker, {0}},
      {kestro::kBitmapDrumMarker, {0}},
      {kestro::kBitmapHornStrip, {0}},
  };
  constexpr int kGap = 4;
  int width = 0, height = kGap;
  for (const Row& row : rows) {
    const kestro::BitmapLayout& info = *kestro::findBitmapLayout(row.id);
    width = std::max(width, kGap + static_cast<int>(row.frames.size()) * (info.width + kGap));
    height += info.frameHeight() + kGap;
  }
  Image sheet(width, height);
  cairo_set_source_rgb(sheet.cr(), 0.45, 0.45, 0.45);
  cairo_paint(sheet.cr());
  int y = kGap;
  for (const Row& row : rows) {
    const kestro::BitmapLayout& info = *kestro::findBitmapLayout(row.id);
    int x = kGap;
    for (int frame : row.frames) {
      blitFrame(sheet, bitmaps, row.id, frame, {static_cast<double>(x), static_cast<double>(y), 0, 0});
      x += info.width + kGap;
    }
    y += info.frameHeight() + kGap;
  }
  return writeZoomed(sheet, 3, path);
}

}  // namespace

int main(int argc, char** argv) {
  std::string outputDir;
  std::string fontDir = "/usr/share/fonts/truetype/liberation";
  std::string mockup;
  std::string sheet;
  std::string aboutMockup;
  int zoom = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fonts") == 0 && i + 1 < argc) {
      fontDir = argv[++i];
    } else if (std::strcmp(argv[i], "--mockup") == 0 && i + 1 < argc) {
      mockup = argv[++i];
    } else if (std::strcmp(argv[i], "--zoom") == 0 && i + 1 < argc) {
      zoom = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--about-mockup") == 0 && i + 1 < argc) {
      aboutMockup = argv[++i];
    } else if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc) {
      sheet = argv[++i];
    } else if (outputDir.empty() && argv[i][0] != '-') {
      outputDir = argv[i];
    } else {
      outputDir.clear();
      break;
    }
  }
  if (outputDir.empty()) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--fonts DIR] [--mockup FILE [--zoom N]] [--about-mockup FILE] [--sheet FILE]\n", argv[0]);
    return 2;
  }
  if (!artwork::loadFonts(fontDir)) {
    std::fprintf(stderr, "cannot load the Liberation Sans fonts from %s (Debian: fonts-liberation)\n", fontDir.c_str());
    return 1;
  }
  int status = 0;
  {
    Bitmaps bitmaps;
    drawAll(bitmaps);
    for (const kestro::BitmapLayout& info : kestro::kBitmapLayouts) {
      const std::string path = outputDir + "/" + std::to_string(info.id) + ".png";
      if (!bitmaps.count(info.id) || !bitmaps.at(info.id)->writePng(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        status = 1;
      }
    }
    if (!mockup.empty() && !writeMockup(bitmaps, zoom, mockup)) {
      std::fprintf(stderr, "cannot write %s\n", mockup.c_str());
      status = 1;
    }
    if (!aboutMockup.empty() && !writeAboutMockup(bitmaps, aboutMockup)) {
      std::fprintf(stderr, "cannot write %s\n", aboutMockup.c_str());
      status = 1;
    }
    if (!sheet.empty() && !writeSheet(bitmaps, sheet)) {
      std::fprintf(stderr, "cannot write %s\n", sheet.c_str());
      status = 1;
    }
  }
  artwork::releaseFonts();
  return status;
}

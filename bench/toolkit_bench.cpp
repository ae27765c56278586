// Toolkit drawing cost on a window laid out like the editor's (401 x 570, 26 filmstrip
// knobs with value displays, two rotor strips drawn through an offscreen surface, lamps,
// switches), with synthetic artwork of the real sizes. Two figures matter: an idle pass in
// which only the two strips and two lamps changed, and a full-window repaint.

#include "platform/headless/headless_window.h"
#include "toolkit/toolkit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace kestro;

// Opaque or anti-aliased synthetic artwork, so blits take the same paths as real art.
CBitmap* syntheticBitmap(int width, int height, bool withAlpha, int seed)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 4));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[static_cast<std::size_t>((y * width + x) * 4)];
            const int a = withAlpha ? ((x * 7 + y * 3 + seed) % 5 == 0 ? 128 : ((x + y) % 9 == 0 ? 0 : 255)) : 255;
            p[0] = static_cast<std::uint8_t>(((x + seed) * 3 % 256) * a / 255);
            p[1] = static_cast<std::uint8_t>(((y + seed) * 5 % 256) * a / 255);
            p[2] = static_cast<std::uint8_t>(((x ^ y) % 256) * a / 255);
            p[3] = static_cast<std::uint8_t>(a);
        }
    return new CBitmap(width, height, pixels.data());
}

// A rotor strip as the editor draws it: background and marker composed offscreen, then
// copied to the window.
class StripView : public CControl {
public:
    StripView(const CRect& r, CBitmap* back, CBitmap* mark) : CControl(r, nullptr, 142), strip(back), marker(mark)
    {
        strip->remember();
        marker->remember();
    }
    ~StripView() override
    {
        strip->forget();
        marker->forget();
    }
    void draw(CDrawContext& context) override
    {
        if (!offscreen)
            offscreen = std::make_unique<COffscreenContext>(strip->width(), strip->height());
        offscreen->drawBitmap(*strip, CRect(0, 0, strip->width(), strip->height()));
        const CCoord x = std::floor((1.0 - getValue() + 0.5) * 418) - 120;
        offscreen->drawBitmap(*marker, CRect(x, 0, x + marker->width(), marker->height()));
        offscreen->copyTo(context, size);
        setDirty(false);
    }

private:
    CBitmap* strip;
    CBitmap* marker;
    std::unique_ptr<COffscreenContext> offscreen;
};

bool formatValue(float value, char text[256], void*)
{
    std::snprintf(text, 256, "%.1f dB", static_cast<double>(value) * 24.0 - 12.0);
    return true;
}

struct EditorLikeWindow {
    EditorLikeWindow()
    {
        auto owned = std::make_unique<HeadlessWindow>(401, 570);
        frame = new CFrame(CRect(0, 0, 401, 570), std::move(owned), nullptr);
        CBitmap* background = syntheticBitmap(401, 570, false, 1);
        CBitmap* knobStrip = syntheticBitmap(44, 4444, true, 2);
        CBitmap* stripBack = syntheticBitmap(298, 12, false, 3);
        CBitmap* marker = syntheticBitmap(120, 14, true, 4);
        CBitmap* lamp = syntheticBitmap(56, 28, true, 5);
        CBitmap* lever = syntheticBitmap(55, 12090, true, 6);
        frame->setBackground(background);
        const int rows[] = {53, 202, 303, 445};
        for (int k = 0; k < 26; ++k) {
            const CCoord left = 16 + (k % 7) * 52;
            const CCoord top = rows[k / 7];
            auto* knob = new CAnimKnob(CRect(left, top, left + 44, top + 44), nullptr, k, 101, 44, knobStrip);
            knob->setValue(static_cast<float>(k) / 26.0f);
            frame->addView(knob);
            auto* display = new CParamDisplay(CRect(left - 4, top + 49, left + 48, top + 60), background);
            display->setBackOffset(CPoint(left - 4, top + 49));
            display->setFont(CFontDesc("Arial", 9));
            display->setValueToStringFunction(&formatValue);
            display->setValue(static_cast<float>(k) / 26.0f);
            frame->addView(display);
        }
        auto* leverView = new CMovieBitmap(CRect(330, 149, 385, 335), nullptr, 2, 65, 186, lever);
        frame->addView(leverView);
        horn = new StripView(CRect(91, 12, 389, 24), stripBack, marker);
        drum = new StripView(CRect(91, 404, 389, 416), stripBack, marker);
        frame->addView(horn);
        frame->addView(drum);
        modulation = new CMovieBitmap(CRect(129, 536, 185, 550), nullptr, 145, 2, 14, lamp);
        sustain = new CMovieBitmap(CRect(68, 536, 124, 550), nullptr, 144, 2, 14, lamp);
        frame->addView(modulation);
        frame->addView(sustain);
        for (CBitmap* b : {background, knobStrip, stripBack, marker, lamp, lever})
            b->forget();
        frame->idle();
    }
    ~EditorLikeWindow() { frame->forget(); }

    CFrame* frame;
    StripView* horn;
    StripView* drum;
    CMovieBitmap* modulation;
    CMovieBitmap* sustain;
};

void BM_ToolkitIdleStripsAndLamps(benchmark::State& state)
{
    EditorLikeWindow window;
    float phase = 0.0f;
    for (auto _ : state) {
        phase += 0.013f;
        if (phase >= 1.0f)
            phase -= 1.0f;
        window.horn->setValue(phase);
        window.drum->setValue(1.0f - phase);
        window.modulation->setValue(window.modulation->getValue() > 0.5f ? 0.0f : 1.0f);
        window.sustain->setValue(window.sustain->getValue() > 0.5f ? 0.0f : 1.0f);
        window.frame->idle();
    }
}
BENCHMARK(BM_ToolkitIdleStripsAndLamps)->Unit(benchmark::kMicrosecond);

void BM_ToolkitFullRepaint(benchmark::State& state)
{
    EditorLikeWindow window;
    for (auto _ : state) {
        window.frame->invalidateAll();
        window.frame->idle();
    }
}
BENCHMARK(BM_ToolkitFullRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

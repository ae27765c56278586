// Software drawing: exact pixels of blits with alpha, filmstrip frames, back offsets,
// clipping and text placement on small synthetic bitmaps.

#include "toolkit_fixture.h"

#include "resources/embedded_images.h"
#include "toolkit/font_atlas.h"

#include <gtest/gtest.h>

namespace kestro {
const EmbeddedImage* findTestImage(int id);
}

namespace kestro::test {
namespace {

struct Canvas {
    explicit Canvas(int w, int h, Pixel fill = {0, 0, 100, 255}) : pixels(static_cast<std::size_t>(w * h * 4))
    {
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            for (int c = 0; c < 4; ++c)
                pixels[i + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(fill[static_cast<std::size_t>(c)]);
        surface = {pixels.data(), w, h, 4 * w};
    }
    Pixel at(int x, int y) const { return pixelAt(surface, x, y); }
    std::vector<std::uint8_t> pixels;
    PixelSurface surface;
};

TEST(Drawing, BlitBlendsPremultipliedSourceOverWithGlobalAlpha)
{
    Canvas canvas(4, 1);
    CDrawContext context(canvas.surface);
    CBitmap* bitmap = makeBitmap(2, 1, {{128, 128, 128, 128}, {0, 0, 0, 0}});
    context.drawBitmap(*bitmap, CRect(0, 0, 2, 1));
    EXPECT_EQ(canvas.at(0, 0), (Pixel{128, 128, 178, 255})); // 128 + 100 * 127 / 255
    EXPECT_EQ(canvas.at(1, 0), (Pixel{0, 0, 100, 255}));     // transparent leaves the pixel
    context.drawBitmap(*bitmap, CRect(2, 0, 4, 1), {}, 0.5f);
    EXPECT_EQ(canvas.at(2, 0), (Pixel{64, 64, 139, 255})); // source scaled to 64, then over
    bitmap->forget();
}

TEST(Drawing, SourceOffsetPicksTheFilmstripFrameAndStaysInsideTheBitmap)
{
    // Three frames of 2 x 1: red, green, blue.
    CBitmap* strip = makeBitmap(2, 3, {{255, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255},
                                       {0, 0, 255, 255}, {0, 0, 255, 255}});
    HeadlessFrame f(6, 4);
    auto* knob = new CAnimKnob(CRect(1, 1, 3, 2), nullptr, 7, 3, 1, strip);
    auto* movie = new CMovieBitmap(CRect(3, 1, 5, 3), nullptr, 8, 3, 1, strip);
    f.frame->addView(knob);
    f.frame->addView(movie);
    strip->forget();

    knob->setValue(0.74f); // frame int(2 * 0.74 + 0.5) = 1
    movie->setValue(1.0f);
    f.idle();
    EXPECT_EQ(f.at(1, 1), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(f.at(3, 1), (Pixel{0, 0, 255, 255}));
    // The movie's rectangle is two rows high, but only its frame's one row is drawn.
    EXPECT_EQ(f.at(3, 2), (Pixel{0, 0, 0, 255}));

    knob->setValue(0.24f);
    f.idle();
    EXPECT_EQ(f.at(1, 1), (Pixel{255, 0, 0, 255}));
}

TEST(Drawing, DisplayRepaintsTheBackgroundUnderItselfThroughItsBackOffset)
{
    // A 4 x 1 background with four colours; the display sits over x 2 .. 3.
    CBitmap* back = makeBitmap(4, 1, {{10, 0, 0, 255}, {20, 0, 0, 255}, {30, 0, 0, 255}, {40, 0, 0, 255}});
    HeadlessFrame f(4, 1);
    auto* display = new CParamDisplay(CRect(2, 0, 4, 1), back, kNoTextStyle);
    display->setBackOffset(CPoint(2, 0));
    f.frame->addView(display);
    back->forget();
    f.idle();
    EXPECT_EQ(f.at(2, 0), (Pixel{30, 0, 0, 255}));
    EXPECT_EQ(f.at(3, 0), (Pixel{40, 0, 0, 255}));
}

TEST(Drawing, ClipAndFractionalEdgesCoverPixelsByTheirCentres)
{
    Canvas canvas(6, 6, {0, 0, 0, 255});
    CDrawContext context(canvas.surface);
    context.setClipRect(CRect(1, 1, 4, 4));
    context.setFillColor(CColor{255, 255, 255, 255});
    context.fillRect(CRect(0, 0, 6, 6));
    EXPECT_EQ(canvas.at(0, 0), (Pixel{0, 0, 0, 255}));
    EXPECT_EQ(canvas.at(1, 1), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(canvas.at(4, 3), (Pixel{0, 0, 0, 255}));

    Canvas half(6, 6, {0, 0, 0, 255});
    CDrawContext exact(half.surface);
    exact.setFillColor(CColor{255, 255, 255, 255});
    exact.fillRect(CRect(0.5, 0.5, 3.5, 2.4)); // pixel centres 0.5 .. 2.5 and 0.5 .. 1.5
    EXPECT_EQ(half.at(0, 0)[0], 255);
    EXPECT_EQ(half.at(2, 1)[0], 255);
    EXPECT_EQ(half.at(3, 0)[0], 0);
    EXPECT_EQ(half.at(0, 2)[0], 0);

    // A source offset past the bitmap's edge draws nothing outside it.
    CBitmap* bitmap = makeBitmap(1, 1, {{9, 9, 9, 255}});
    Canvas blit(3, 1, {0, 0, 0, 255});
    CDrawContext b(blit.surface);
    b.drawBitmap(*bitmap, CRect(0, 0, 3, 1), CPoint(-1, 0));
    EXPECT_EQ(blit.at(0, 0)[0], 0);
    EXPECT_EQ(blit.at(1, 0)[0], 9);
    EXPECT_EQ(blit.at(2, 0)[0], 0);
    bitmap->forget();
}

// Columns and rows with any text pixel.
struct Ink {
    int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1, brightest = 0;
};
Ink inkOf(const Canvas& canvas)
{
    Ink ink;
    for (int y = 0; y < canvas.surface.height; ++y)
        for (int x = 0; x < canvas.surface.width; ++x) {
            const int v = canvas.at(x, y)[0];
            if (v == 0)
                continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            ink.brightest = std::max(ink.brightest, v);
        }
    return ink;
}

TEST(Drawing, TextIsCentredAlignedAndClippedToItsRectangle)
{
    Canvas canvas(60, 20, {0, 0, 0, 255});
    CDrawContext context(canvas.surface);
    context.setFont(CFontDesc("Arial", 11));
    context.setFontColor(CColor{255, 0, 0, 255});
    context.drawString("HH", CRect(0, 0, 60, 20), kCenterText);
    Ink centred = inkOf(canvas);
    ASSERT_GE(centred.right, 0);
    EXPECT_LE(std::abs(centred.left - (59 - centred.right)), 2); // horizontally centred
    EXPECT_LE(std::abs(centred.top - (19 - centred.bottom)), 2); // vertically centred
    EXPECT_EQ(centred.brightest, 255);                           // H stems are solid

    Canvas left(60, 20, {0, 0, 0, 255});
    CDrawContext l(left.surface);
    l.setFont(CFontDesc("Arial", 11));
    l.setFontColor(CColor{255, 0, 0, 255});
    l.drawString("H", CRect(10, 0, 60, 20), kLeftText);
    const fonts::GlyphInfo& h = fonts::glyphFor(fonts::atlasForSize(11), 'H');
    EXPECT_EQ(inkOf(left).left, 10 + h.left);

    Canvas clipped(60, 20, {0, 0, 0, 255});
    CDrawContext c(clipped.surface);
    c.setFontColor(CColor{255, 0, 0, 255});
    c.drawString("WWWWWWWWWW", CRect(20, 5, 30, 15), kLeftText);
    Ink inside = inkOf(clipped);
    EXPECT_GE(inside.left, 20);
    EXPECT_LE(inside.right, 29);
    EXPECT_GE(inside.top, 5);
    EXPECT_LE(inside.bottom, 14);
}

TEST(Drawing, FontSizesMapToTheNearestAtlasAndUnknownCharactersShowAQuestionMark)
{
    EXPECT_EQ(fonts::atlasForSize(9).pixelSize, 9);
    EXPECT_EQ(fonts::atlasForSize(10).pixelSize, 10);
    EXPECT_EQ(fonts::atlasForSize(30).pixelSize, 11);
    CDrawContext context(PixelSurface{});
    context.setFont(CFontDesc("Arial", 10));
    EXPECT_EQ(context.getStringWidth("\xE2\x82\xAC"), context.getStringWidth("?")); // no euro sign
    EXPECT_EQ(context.getStringWidth("\xC3"), context.getStringWidth("?"));         // cut sequence
    EXPECT_GT(context.getStringWidth("\xC3\xA9"), 0);                                // e acute
}

TEST(Drawing, EmbeddedImagesArePremultipliedRowsTopToBottom)
{
    const EmbeddedImage* image = findTestImage(60001);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, 3);
    ASSERT_EQ(image->height, 2);
    auto px = [&](int x, int y) {
        const std::uint8_t* p = image->rgba + (y * image->width + x) * 4;
        return Pixel{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(px(0, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(px(1, 0), (Pixel{128, 128, 128, 128}));
    EXPECT_EQ(px(2, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(px(0, 1), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(px(2, 1), (Pixel{75, 150, 37, 191}));
    EXPECT_EQ(findTestImage(60002), nullptr);

    CBitmap* missing = new CBitmap(59999);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->width(), 0);
    missing->forget();
}

TEST(Drawing, HeadlessWindowWritesWhatWasPresentedAsPng)
{
    HeadlessFrame f(5, 4);
    f.frame->setBackgroundColor(CColor{10, 20, 30, 255});
    f.idle();
    const std::string path = ::testing::TempDir() + "/toolkit_snapshot.png";
    ASSERT_TRUE(f.window->writePng(path));
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, in), 8u);
    std::fclose(in);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(f.window->screen()[0], 10);
}

} // namespace
} // namespace kestro::test

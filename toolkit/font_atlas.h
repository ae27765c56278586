#pragma once
// Glyph atlases rendered at build time (FreeType, Liberation Sans: Arial metrics) at the
// pixel sizes the editor uses. Each glyph is an 8-bit coverage bitmap; drawing blends the
// text colour through it, so text looks the same on every platform.

#include <cstdint>

namespace kestro::fonts {

struct GlyphInfo {
    std::uint32_t codePoint;
    std::int16_t advance; // pixels to the next pen position
    std::int16_t left;    // bitmap left edge from the pen
    std::int16_t top;     // bitmap top edge above the baseline
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t offset; // into the atlas coverage bytes, width * height of them
};

struct FontAtlas {
    int pixelSize;
    int ascent;  // pixels above the baseline
    int descent; // pixels below the baseline (positive)
    const GlyphInfo* glyphs; // sorted by code point
    int glyphCount;
    const std::uint8_t* coverage;
};

// The atlas nearest to the size (ties go to the smaller one); never null.
const FontAtlas& atlasForSize(int pixelSize);
// The glyph for a code point, or the atlas's '?' when it has none.
const GlyphInfo& glyphFor(const FontAtlas& atlas, std::uint32_t codePoint);

// Generated tables.
extern const FontAtlas kFontAtlases[];
extern const int kFontAtlasCount;

} // namespace kestro::fonts

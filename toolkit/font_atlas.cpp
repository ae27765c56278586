#include "toolkit/font_atlas.h"

#include <algorithm>
#include <cstdlib>

namespace kestro::fonts {

const FontAtlas& atlasForSize(int pixelSize)
{
    const FontAtlas* best = &kFontAtlases[0];
    for (int i = 1; i < kFontAtlasCount; ++i) {
        const FontAtlas& candidate = kFontAtlases[i];
        if (std::abs(candidate.pixelSize - pixelSize) < std::abs(best->pixelSize - pixelSize))
            best = &candidate;
    }
    return *best;
}

const GlyphInfo& glyphFor(const FontAtlas& atlas, std::uint32_t codePoint)
{
    const GlyphInfo* begin = atlas.glyphs;
    const GlyphInfo* end = atlas.glyphs + atlas.glyphCount;
    auto byCode = [](const GlyphInfo& g, std::uint32_t c) { return g.codePoint < c; };
    const GlyphInfo* found = std::lower_bound(begin, end, codePoint, byCode);
    if (found != end && found->codePoint == codePoint)
        return *found;
    found = std::lower_bound(begin, end, std::uint32_t{'?'}, byCode);
    return found != end ? *found : *begin;
}

} // namespace kestro::fonts

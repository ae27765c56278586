#pragma once
// The artwork linked into the library: every resources/<id>.png, decoded at build time to
// premultiplied RGBA8 (rows top to bottom, 4 * width bytes per row).

#include <cstdint>

namespace kestro {

struct EmbeddedImage {
    int id;
    int width;
    int height;
    const std::uint8_t* rgba;
};

// The image with this id, or nullptr when the library holds none.
const EmbeddedImage* findEmbeddedImage(int id);

} // namespace kestro

#pragma once
// Writes the editor's pixels as a compressed PNG (libpng), small enough to keep in the docs.

#include <cstdint>
#include <string>

namespace kestro::view {

// `pixels`: premultiplied RGBA8, `stride` bytes per row. False when the file cannot be written.
bool writePng(const std::string& path, const std::uint8_t* pixels, int width, int height, int stride);

} // namespace kestro::view

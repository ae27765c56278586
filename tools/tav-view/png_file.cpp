#include "tools/tav-view/png_file.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace kestro::view {

bool writePng(const std::string& path, const std::uint8_t* pixels, int width, int height, int stride)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < 4 * width)
        return false;
    // straight = premultiplied * 255 / alpha, rounded
    std::vector<std::uint8_t> straight(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* out = straight.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < 4 * width; x += 4) {
            const unsigned alpha = in[x + 3];
            for (int c = 0; c < 3; ++c)
                out[x + c] = alpha == 0 ? 0 : static_cast<std::uint8_t>((in[x + c] * 255u + alpha / 2) / alpha);
            out[x + 3] = static_cast<std::uint8_t>(alpha);
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, straight.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return written;
}

} // namespace kestro::view

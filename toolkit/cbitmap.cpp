#include "toolkit/cbitmap.h"

#include "resources/embedded_images.h"

#include <cstring>

namespace kestro {

CBitmap::CBitmap(int id) : resourceId(id)
{
    if (const EmbeddedImage* image = findEmbeddedImage(id)) {
        pixelWidth = image->width;
        pixelHeight = image->height;
        pixelData = image->rgba;
    }
}

CBitmap::CBitmap(int width, int height)
    : pixelWidth(width > 0 ? width : 0), pixelHeight(height > 0 ? height : 0),
      owned(static_cast<std::size_t>(pixelWidth) * static_cast<std::size_t>(pixelHeight) * 4 + 4, 0)
{
    pixelData = owned.data();
}

CBitmap::CBitmap(int width, int height, const std::uint8_t* premultipliedRgba) : CBitmap(width, height)
{
    if (premultipliedRgba != nullptr)
        std::memcpy(owned.data(), premultipliedRgba, owned.size() - 4);
}

} // namespace kestro

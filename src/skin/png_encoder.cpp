#include "skin/png_encoder.h"

#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace launcher {
namespace {

void append_bytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<std::uint8_t> encode_png(const Bitmap& image) {
    if (image.empty())
        throw std::runtime_error("An empty image has no PNG form");
    std::vector<std::uint8_t> rgba;
    rgba.reserve(image.pixels().size() * 4);
    for (const std::uint32_t pixel : image.pixels()) {
        rgba.push_back(static_cast<std::uint8_t>(pixel >> 16));
        rgba.push_back(static_cast<std::uint8_t>(pixel >> 8));
        rgba.push_back(static_cast<std::uint8_t>(pixel));
        rgba.push_back(static_cast<std::uint8_t>(pixel >> 24));
    }
    std::vector<std::uint8_t> png;
    if (stbi_write_png_to_func(append_bytes, &png, image.width(), image.height(), 4, rgba.data(),
                               image.width() * 4) == 0)
        throw std::runtime_error("The PNG encoder failed");
    return png;
}

} // namespace launcher

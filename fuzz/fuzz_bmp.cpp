// Feeds arbitrary bytes to the BMP decoder that skin images go through.
// An invalid-image error is the expected outcome of damaged input.
#include "skin/bmp_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const launcher::Bitmap image = launcher::decode_bmp({data, size});
        if (image.pixels().size() !=
            static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()))
            __builtin_trap();
    } catch (const launcher::InvalidImageError&) {
    }
    return 0;
}

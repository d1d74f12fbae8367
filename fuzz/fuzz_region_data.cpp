// Feeds arbitrary bytes to the region data reader and checks that the
// region it makes is in its canonical form.
#include "skin/region.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<launcher::Region> region =
        launcher::RegionFromRgnData(std::span<const std::uint8_t>(data, size));
    if (!region)
        return 0;
    const auto& rects = region->Rects();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].empty())
            std::abort();
        // Bands run from the top; rectangles of one band from the left,
        // apart from each other.
        if (i > 0 && rects[i].top == rects[i - 1].top && rects[i].left <= rects[i - 1].right)
            std::abort();
        if (i > 0 && rects[i].top < rects[i - 1].top)
            std::abort();
    }
    if (launcher::Region(rects) != *region)
        std::abort();
    return 0;
}

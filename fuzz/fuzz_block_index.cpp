// Feeds arbitrary bytes to the reader of block indexes: it must not crash,
// must say why it refuses, and what it reads must write back to the same bytes.
#include "patch/block_index.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto index = launcher::patch::ParseBlockIndex({data, size}, why);
    if (!index) {
        if (why.empty())
            std::abort();
        return 0;
    }
    if (launcher::patch::BlockIndexBytes(*index) !=
        std::string_view(reinterpret_cast<const char*>(data), size))
        std::abort();
    return 0;
}

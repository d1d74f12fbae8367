#include "patch/strong_hash.h"

#include <sodium.h>

namespace launcher::patch {

StrongHash StrongHashOf(std::span<const std::uint8_t> block) {
    static_assert(StrongHash{}.size() >= crypto_generichash_BYTES_MIN);
    StrongHash hash{};
    crypto_generichash(hash.data(), hash.size(), block.data(), block.size(), nullptr, 0);
    return hash;
}

} // namespace launcher::patch

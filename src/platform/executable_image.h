#pragma once

#include "platform/embedded_block.h"
#include "platform/files.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <stdexcept>

namespace launcher::platform {

class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An executable file held in memory, with the location of its embedded data
// block (see embedded_block.h): in a 64-bit ELF file its own section, in a
// PE file (32 or 64 bit) the data of the RCDATA resource "BLANK". The format
// is the file's, whatever system this runs on.
class ExecutableImage {
public:
    // Throws ImageError when the bytes are neither such an ELF file with a
    // block section of the expected size nor a PE file with a "BLANK"
    // resource of exactly that size.
    explicit ExecutableImage(Bytes bytes);
    static ExecutableImage load(const std::filesystem::path& path);

    std::span<std::uint8_t> block() { return {bytes_.data() + block_offset_, kBlockSize}; }
    std::span<const std::uint8_t> block() const {
        return {bytes_.data() + block_offset_, kBlockSize};
    }
    const Bytes& bytes() const { return bytes_; }

    // Writes the image to `path` (replacing it atomically) with the executable bits set.
    void save(const std::filesystem::path& path) const;

private:
    static constexpr std::size_t kBlockSize = kEmbeddedBlockSize;
    Bytes bytes_;
    std::size_t block_offset_ = 0;
};

} // namespace launcher::platform

#include "platform/executable_image.h"
#include "platform/image_block_finders.h"
#include "platform/little_endian.h"

#include <cstring>
#include <string_view>

namespace launcher::platform {
namespace {

// The fields of the 64-bit ELF header and section header that are read, at
// their offsets in the file.
constexpr std::uint64_t kSectionTableOffset = 0x28; // e_shoff
constexpr std::uint64_t kSectionEntrySize = 0x3A;   // e_shentsize
constexpr std::uint64_t kSectionCount = 0x3C;       // e_shnum
constexpr std::uint64_t kSectionNamesIndex = 0x3E;  // e_shstrndx
constexpr std::uint16_t kSectionHeaderSize = 64;
constexpr std::uint32_t kProgramBits = 1; // SHT_PROGBITS

struct Section {
    std::uint32_t name;
    std::uint32_t type;
    std::uint64_t offset;
    std::uint64_t size;
};

template <typename T>
T at(const Bytes& bytes, std::uint64_t offset) {
    return read_little_endian<T, ImageError>(bytes, offset, "The executable is truncated");
}

Section section_at(const Bytes& bytes, std::uint64_t table, std::uint64_t index) {
    const std::uint64_t header = table + index * kSectionHeaderSize;
    return {at<std::uint32_t>(bytes, header), at<std::uint32_t>(bytes, header + 4),
            at<std::uint64_t>(bytes, header + 0x18), at<std::uint64_t>(bytes, header + 0x20)};
}

} // namespace

std::size_t find_elf_block(const Bytes& bytes) {
    if (bytes.size() < 5 ||
        std::memcmp(bytes.data(),
                    "\x7F"
                    "ELF",
                    4) != 0 ||
        bytes[4] != 2)
        throw ImageError("Not a 64-bit ELF executable");
    const auto table = at<std::uint64_t>(bytes, kSectionTableOffset);
    const auto count = at<std::uint16_t>(bytes, kSectionCount);
    const auto names_index = at<std::uint16_t>(bytes, kSectionNamesIndex);
    if (at<std::uint16_t>(bytes, kSectionEntrySize) != kSectionHeaderSize || names_index >= count)
        throw ImageError("The executable has no usable section table");
    const Section names = section_at(bytes, table, names_index);
    for (std::uint64_t i = 0; i < count; ++i) {
        const Section candidate = section_at(bytes, table, i);
        if (candidate.name >= names.size)
            continue;
        const std::uint64_t name_at = names.offset + candidate.name;
        if (name_at >= bytes.size())
            continue;
        const char* name = reinterpret_cast<const char*>(bytes.data() + name_at);
        const std::size_t room = bytes.size() - static_cast<std::size_t>(name_at);
        if (std::string_view(name, strnlen(name, room)) != kEmbeddedBlockSection)
            continue;
        // Instrumented builds may pad the block's section; the block is its start.
        if (candidate.type != kProgramBits || candidate.size < kEmbeddedBlockSize ||
            candidate.offset > bytes.size() || bytes.size() - candidate.offset < kEmbeddedBlockSize)
            throw ImageError("The executable's data block has an unexpected layout");
        return static_cast<std::size_t>(candidate.offset);
    }
    throw ImageError("The executable has no embedded data block");
}

} // namespace launcher::platform

#include "platform/executable_image.h"

#include "platform/embedded_block.h"

#include <cstring>
#include <elf.h>
#include <string>

namespace launcher::platform {
namespace {

template <typename T>
T read_at(const Bytes& bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        throw ImageError("The executable is truncated");
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

std::size_t find_block(const Bytes& bytes) {
    const auto header = read_at<Elf64_Ehdr>(bytes, 0);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        throw ImageError("Not a 64-bit ELF executable");
    if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        throw ImageError("The executable has no usable section table");
    const auto section = [&](std::uint64_t index) {
        return read_at<Elf64_Shdr>(bytes, header.e_shoff + index * sizeof(Elf64_Shdr));
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    for (std::uint64_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr candidate = section(i);
        if (candidate.sh_name >= names.sh_size)
            continue;
        const std::uint64_t name_at = names.sh_offset + candidate.sh_name;
        if (name_at >= bytes.size())
            continue;
        const char* name = reinterpret_cast<const char*>(bytes.data() + name_at);
        const std::size_t room = bytes.size() - name_at;
        if (std::string(name, strnlen(name, room)) != kEmbeddedBlockSection)
            continue;
        // Instrumented builds may pad the block's section; the block is its start.
        if (candidate.sh_type != SHT_PROGBITS || candidate.sh_size < kEmbeddedBlockSize ||
            candidate.sh_offset > bytes.size() ||
            bytes.size() - candidate.sh_offset < kEmbeddedBlockSize)
            throw ImageError("The executable's data block has an unexpected layout");
        return static_cast<std::size_t>(candidate.sh_offset);
    }
    throw ImageError("The executable has no embedded data block");
}

} // namespace

ExecutableImage::ExecutableImage(Bytes bytes) : bytes_(std::move(bytes)) {
    block_offset_ = find_block(bytes_);
}

ExecutableImage ExecutableImage::load(const std::filesystem::path& path) {
    return ExecutableImage(read_file(path));
}

void ExecutableImage::save(const std::filesystem::path& path) const {
    write_file_atomic(
        path, std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                  std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                  std::filesystem::perms::others_exec);
}

} // namespace launcher::platform

#include "platform/executable_image.h"

#include "platform/embedded_block.h"
#include "platform/image_block_finders.h"

#include <cstring>

namespace launcher::platform {
namespace {

// The format is told by the file's own first bytes, not by the system this
// runs on: each system's tool packs the other's launchers too.
std::size_t find_block(const Bytes& bytes) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(),
                                         "\x7F"
                                         "ELF",
                                         4) == 0)
        return find_elf_block(bytes);
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z')
        return find_pe_block(bytes);
    throw ImageError("Not an executable of a known format (ELF or PE)");
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

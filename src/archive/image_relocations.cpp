#include "archive/image_memory.h"
#include "archive/library_image_steps.h"

namespace launcher {
namespace {

bool Fail(std::string_view message) {
    SetImageLoaderError(message);
    return false;
}

} // namespace

bool ApplyRelocations(ImageModule& module, std::uint32_t delta) {
    // An image linked without relocations only works at its preferred base.
    if ((module.nt_headers.FileHeader.Characteristics & pe::IMAGE_FILE_RELOCS_STRIPPED) != 0) {
        return Fail("LoadLibraryImage: image cannot be relocated");
    }
    const pe::IMAGE_DATA_DIRECTORY directory =
        module.Directory(pe::IMAGE_DIRECTORY_ENTRY_BASERELOC);
    if (directory.Size == 0) {
        return true;
    }
    const std::span<std::byte> image = module.image();
    if (!image_memory::Fits(image.size(), directory.VirtualAddress, directory.Size)) {
        return Fail("LoadLibraryImage: relocation data is not valid");
    }
    // The blocks end at the directory's end or at a block with address 0.
    const std::uint64_t end = std::uint64_t{directory.VirtualAddress} + directory.Size;
    std::uint64_t at = directory.VirtualAddress;
    while (at + sizeof(pe::IMAGE_BASE_RELOCATION) <= end) {
        const auto block = image_memory::Read<pe::IMAGE_BASE_RELOCATION>(image, at);
        if (!block || block->VirtualAddress == 0) {
            break;
        }
        if (block->SizeOfBlock < sizeof(pe::IMAGE_BASE_RELOCATION) ||
            block->SizeOfBlock > end - at) {
            return Fail("LoadLibraryImage: relocation data is not valid");
        }
        const std::uint64_t entries = (block->SizeOfBlock - sizeof(pe::IMAGE_BASE_RELOCATION)) / 2;
        for (std::uint64_t index = 0; index < entries; ++index) {
            const auto entry = image_memory::Read<std::uint16_t>(
                image, at + sizeof(pe::IMAGE_BASE_RELOCATION) + index * 2);
            if (!entry || (*entry >> 12) != pe::IMAGE_REL_BASED_HIGHLOW) {
                continue;
            }
            const std::uint64_t target = std::uint64_t{block->VirtualAddress} + (*entry & 0x0FFF);
            const auto value = image_memory::Read<std::uint32_t>(image, target);
            if (!value) {
                return Fail("LoadLibraryImage: relocation data is not valid");
            }
            image_memory::Write<std::uint32_t>(image, target, *value + delta);
        }
        at += block->SizeOfBlock;
    }
    return true;
}

} // namespace launcher

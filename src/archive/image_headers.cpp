#include "archive/image_headers.h"

#include "archive/image_loader_error.h"
#include "archive/image_memory.h"

namespace launcher {
namespace {

using image_memory::Fits;
using image_memory::Read;

std::optional<ImageHeaders> Fail(std::string_view message) {
    SetImageLoaderError(message);
    return std::nullopt;
}

bool SectionFits(const pe::IMAGE_SECTION_HEADER& section, std::size_t file_size,
                 std::uint32_t size_of_image) {
    if (section.SizeOfRawData == 0) {
        return section.VirtualAddress <= size_of_image;
    }
    return Fits(file_size, section.PointerToRawData, section.SizeOfRawData) &&
           Fits(size_of_image, section.VirtualAddress, section.SizeOfRawData);
}

} // namespace

std::optional<ImageHeaders> ReadImageHeaders(std::span<const std::byte> file) {
    const auto dos = Read<pe::IMAGE_DOS_HEADER>(file, 0);
    if (!dos || dos->e_magic != pe::IMAGE_DOS_SIGNATURE) {
        return Fail("LoadLibraryImage: dll dos header is not valid");
    }
    const std::optional<std::uint32_t> signature =
        dos->e_lfanew >= 0 ? Read<std::uint32_t>(file, static_cast<std::uint32_t>(dos->e_lfanew))
                           : std::nullopt;
    if (!signature || *signature != pe::IMAGE_NT_SIGNATURE) {
        return Fail("LoadLibraryImage: IMAGE_NT_SIGNATURE is not valid");
    }

    ImageHeaders headers;
    headers.e_lfanew = static_cast<std::uint32_t>(dos->e_lfanew);
    const auto nt = Read<pe::IMAGE_NT_HEADERS32>(file, headers.e_lfanew);
    // Only the 32-bit layout is understood; a 64-bit image read as one would
    // give nonsense offsets.
    if (!nt || nt->OptionalHeader.Magic != pe::IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        return Fail("LoadLibraryImage: IMAGE_NT_HEADERS32 is not valid");
    }
    headers.nt = *nt;
    const auto& optional = nt->OptionalHeader;
    const std::uint64_t table = headers.e_lfanew + pe::SectionTableOffset(*nt);
    const std::uint64_t table_size =
        std::uint64_t{nt->FileHeader.NumberOfSections} * sizeof(pe::IMAGE_SECTION_HEADER);
    if (optional.SizeOfImage == 0 || optional.SizeOfHeaders > optional.SizeOfImage ||
        optional.SizeOfHeaders > file.size() || !Fits(optional.SizeOfHeaders, table, table_size)) {
        return Fail("LoadLibraryImage: image headers are not valid");
    }

    headers.sections.reserve(nt->FileHeader.NumberOfSections);
    for (std::uint64_t at = table; at < table + table_size;
         at += sizeof(pe::IMAGE_SECTION_HEADER)) {
        const auto section = Read<pe::IMAGE_SECTION_HEADER>(file, at);
        if (!section || !SectionFits(*section, file.size(), optional.SizeOfImage)) {
            return Fail("LoadLibraryImage: section is outside the image");
        }
        headers.sections.push_back(*section);
    }
    return headers;
}

} // namespace launcher

#pragma once

#include "archive/pe_format.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace launcher::testing {

// Writes a PE32 library image as a file would hold it: DOS header, NT headers,
// section table and each section's raw data, file-aligned.
class PeImageBuilder {
public:
    static constexpr std::uint32_t kNtHeadersOffset = 0x80;
    static constexpr std::uint32_t kFileAlignment = 0x200;
    static constexpr std::uint32_t kSectionAlignment = 0x1000;
    static constexpr std::uint32_t kSizeOfHeaders = 0x400;

    struct Section {
        std::string name;
        std::uint32_t virtual_address = 0;
        std::uint32_t virtual_size = 0;
        std::vector<std::uint8_t> data; // raw data; empty for none
        std::uint32_t characteristics = 0;
    };

    std::uint32_t image_base = 0x10000000;
    std::uint32_t entry_point = 0;
    std::uint16_t file_characteristics =
        pe::IMAGE_FILE_EXECUTABLE_IMAGE | pe::IMAGE_FILE_32BIT_MACHINE | pe::IMAGE_FILE_DLL;
    std::vector<Section> sections;
    std::array<pe::IMAGE_DATA_DIRECTORY, pe::IMAGE_NUMBEROF_DIRECTORY_ENTRIES> directories{};

    std::uint32_t SizeOfImage() const;
    std::vector<std::uint8_t> Build() const;

    // File offset of section `index`'s raw data in the built image.
    std::uint32_t RawDataOffset(std::size_t index) const;
    // File offset of section `index`'s header in the built image.
    static std::uint32_t SectionHeaderOffset(std::size_t index);
};

// The raw data of a resource section placed at `virtual_address` that holds
// one resource, as the resource compiler lays one out: a type directory with
// the numbered type `type`, a name directory with the string name `name`, a
// language directory (0x409) and the data entry, then the name text, then
// the resource's data.
inline constexpr std::size_t kResourceDirectoryIndex = 2;
inline constexpr std::uint32_t kResourceDataOffset = 0x70; // where the data starts
std::vector<std::uint8_t> BuildResourceSection(std::uint32_t virtual_address, std::uint32_t type,
                                               const std::u16string& name, std::uint32_t data_size);

// Little-endian stores into a byte buffer, growing it as needed.
void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text);
std::uint32_t Get32(const std::uint8_t* bytes);

} // namespace launcher::testing

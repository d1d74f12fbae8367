#include "loader/pe_image_builder.h"

#include <algorithm>
#include <cstring>

namespace launcher::testing {
namespace {

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t unit) {
    return (value + unit - 1) / unit * unit;
}

template <typename T>
void PutStruct(std::vector<std::uint8_t>& bytes, std::size_t offset, const T& value) {
    if (bytes.size() < offset + sizeof(T)) {
        bytes.resize(offset + sizeof(T));
    }
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

} // namespace

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    PutStruct(bytes, offset, value);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    PutStruct(bytes, offset, value);
}

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text) {
    if (bytes.size() < offset + text.size() + 1) {
        bytes.resize(offset + text.size() + 1);
    }
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    bytes[offset + text.size()] = 0;
}

std::uint32_t Get32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

std::vector<std::uint8_t> BuildResourceSection(std::uint32_t virtual_address, std::uint32_t type,
                                               const std::u16string& name,
                                               std::uint32_t data_size) {
    constexpr std::uint32_t kSubdirectory = 0x80000000;
    constexpr std::uint32_t kNamed = 0x80000000;
    constexpr std::uint32_t kNameDirectory = 0x18;
    constexpr std::uint32_t kLanguageDirectory = 0x30;
    constexpr std::uint32_t kDataEntry = 0x48;
    constexpr std::uint32_t kNameText = 0x58;
    std::vector<std::uint8_t> bytes(kResourceDataOffset + data_size, 0);
    // Each directory: 12 bytes of dates and versions, then the counts of
    // named and numbered entries, then 8-byte entries.
    Put16(bytes, 14, 1); // root: one numbered entry, the type
    Put32(bytes, 16, type);
    Put32(bytes, 20, kSubdirectory | kNameDirectory);
    Put16(bytes, kNameDirectory + 12, 1); // one named entry
    Put32(bytes, kNameDirectory + 16, kNamed | kNameText);
    Put32(bytes, kNameDirectory + 20, kSubdirectory | kLanguageDirectory);
    Put16(bytes, kLanguageDirectory + 14, 1);
    Put32(bytes, kLanguageDirectory + 16, 0x409);
    Put32(bytes, kLanguageDirectory + 20, kDataEntry);
    Put32(bytes, kDataEntry, virtual_address + kResourceDataOffset);
    Put32(bytes, kDataEntry + 4, data_size);
    Put16(bytes, kNameText, static_cast<std::uint16_t>(name.size()));
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(bytes, kNameText + 2 + 2 * i, static_cast<std::uint16_t>(name[i]));
    return bytes;
}

std::uint32_t PeImageBuilder::SizeOfImage() const {
    std::uint32_t end = kSectionAlignment;
    for (const auto& section : sections) {
        const auto size = std::max<std::uint32_t>(section.virtual_size,
                                                  static_cast<std::uint32_t>(section.data.size()));
        end = std::max(end, AlignUp(section.virtual_address + size, kSectionAlignment));
    }
    return end;
}

std::uint32_t PeImageBuilder::SectionHeaderOffset(std::size_t index) {
    return kNtHeadersOffset + sizeof(pe::IMAGE_NT_HEADERS32) +
           static_cast<std::uint32_t>(index * sizeof(pe::IMAGE_SECTION_HEADER));
}

std::uint32_t PeImageBuilder::RawDataOffset(std::size_t index) const {
    std::uint32_t offset = kSizeOfHeaders;
    for (std::size_t i = 0; i < index; ++i) {
        offset += AlignUp(static_cast<std::uint32_t>(sections[i].data.size()), kFileAlignment);
    }
    return offset;
}

std::vector<std::uint8_t> PeImageBuilder::Build() const {
    std::vector<std::uint8_t> bytes(kSizeOfHeaders, 0);

    pe::IMAGE_DOS_HEADER dos{};
    dos.e_magic = pe::IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = kNtHeadersOffset;
    PutStruct(bytes, 0, dos);

    pe::IMAGE_NT_HEADERS32 nt{};
    nt.Signature = pe::IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = pe::IMAGE_FILE_MACHINE_I386;
    nt.FileHeader.NumberOfSections = static_cast<std::uint16_t>(sections.size());
    nt.FileHeader.SizeOfOptionalHeader = sizeof(pe::IMAGE_OPTIONAL_HEADER32);
    nt.FileHeader.Characteristics = file_characteristics;
    auto& optional = nt.OptionalHeader;
    optional.Magic = pe::IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    optional.AddressOfEntryPoint = entry_point;
    optional.ImageBase = image_base;
    optional.SectionAlignment = kSectionAlignment;
    optional.FileAlignment = kFileAlignment;
    optional.MajorSubsystemVersion = 4;
    optional.SizeOfImage = SizeOfImage();
    optional.SizeOfHeaders = kSizeOfHeaders;
    optional.Subsystem = 2;
    optional.NumberOfRvaAndSizes = pe::IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    std::copy(directories.begin(), directories.end(), std::begin(optional.DataDirectory));
    PutStruct(bytes, kNtHeadersOffset, nt);

    for (std::size_t index = 0; index < sections.size(); ++index) {
        const auto& section = sections[index];
        pe::IMAGE_SECTION_HEADER header{};
        std::copy_n(section.name.begin(), std::min<std::size_t>(section.name.size(), 8),
                    header.Name);
        header.Misc.VirtualSize = section.virtual_size;
        header.VirtualAddress = section.virtual_address;
        header.SizeOfRawData =
            AlignUp(static_cast<std::uint32_t>(section.data.size()), kFileAlignment);
        header.PointerToRawData = section.data.empty() ? 0 : RawDataOffset(index);
        header.Characteristics = section.characteristics;
        PutStruct(bytes, SectionHeaderOffset(index), header);

        if (!section.data.empty()) {
            const std::uint32_t raw = RawDataOffset(index);
            bytes.resize(raw + header.SizeOfRawData, 0);
            std::copy(section.data.begin(), section.data.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(raw));
        }
    }
    return bytes;
}

} // namespace launcher::testing

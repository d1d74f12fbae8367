#include "platform/executable_image.h"
#include "platform/image_block_finders.h"
#include "platform/little_endian.h"
#include "platform/text.h"

#include <vector>

namespace launcher::platform {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kSectionHeaderSize = 40;
// A resource directory entry's name or offset with this bit set is an
// offset (to a name string or a subdirectory) rather than a number or a
// data entry.
constexpr std::uint32_t kHighBit = 0x80000000;

template <typename T>
T at(const Bytes& bytes, std::uint64_t offset) {
    return read_little_endian<T, ImageError>(bytes, offset, "The executable is truncated");
}

struct SectionHeader {
    std::uint32_t virtual_size;
    std::uint32_t virtual_address;
    std::uint32_t raw_size;
    std::uint32_t raw_offset;
};

// The file's layout: where each address of the loaded image lies in the file.
class PeLayout {
public:
    explicit PeLayout(const Bytes& bytes) : bytes_(bytes) {
        if (at<std::uint16_t>(bytes, 0) != 0x5A4D)
            throw ImageError("Not a PE executable");
        const std::uint32_t nt = at<std::uint32_t>(bytes, 0x3C);
        if (at<std::uint32_t>(bytes, nt) != kPeSignature)
            throw ImageError("Not a PE executable");
        const std::uint64_t file_header = nt + 4;
        const auto sections = at<std::uint16_t>(bytes, file_header + 2);
        const auto optional_size = at<std::uint16_t>(bytes, file_header + 16);
        const std::uint64_t optional = file_header + 20;
        const auto magic = at<std::uint16_t>(bytes, optional);
        if (magic != kPe32Magic && magic != kPe32PlusMagic)
            throw ImageError("The executable has an unknown optional header");
        const std::uint64_t directory_count_at = optional + (magic == kPe32Magic ? 92 : 108);
        const std::uint64_t directories = directory_count_at + 4;
        if (at<std::uint32_t>(bytes, directory_count_at) > kResourceDirectory) {
            resource_rva_ = at<std::uint32_t>(bytes, directories + 8 * kResourceDirectory);
            resource_size_ = at<std::uint32_t>(bytes, directories + 8 * kResourceDirectory + 4);
        }
        const std::uint64_t table = optional + optional_size;
        for (std::uint32_t i = 0; i < sections; ++i) {
            const std::uint64_t header = table + std::uint64_t{i} * kSectionHeaderSize;
            sections_.push_back(
                {at<std::uint32_t>(bytes, header + 8), at<std::uint32_t>(bytes, header + 12),
                 at<std::uint32_t>(bytes, header + 16), at<std::uint32_t>(bytes, header + 20)});
        }
    }

    std::uint32_t resource_rva() const { return resource_rva_; }
    std::uint32_t resource_size() const { return resource_size_; }

    // The file offset of `size` bytes at image address `rva`, all of them
    // held in one section's raw data.
    std::uint64_t file_offset(std::uint64_t rva, std::uint64_t size) const {
        for (const SectionHeader& section : sections_) {
            const std::uint64_t start = section.virtual_address;
            if (rva < start || rva - start >= section.raw_size)
                continue;
            const std::uint64_t offset = section.raw_offset + (rva - start);
            if (size > section.raw_size - (rva - start) || offset > bytes_.size() ||
                bytes_.size() - offset < size)
                throw ImageError("The executable's resource lies outside its file");
            return offset;
        }
        throw ImageError("The executable's resource lies outside its file");
    }

private:
    const Bytes& bytes_;
    std::uint32_t resource_rva_ = 0;
    std::uint32_t resource_size_ = 0;
    std::vector<SectionHeader> sections_;
};

// Walks the resource directory tree (type, name, language) of a PE file.
class ResourceTree {
public:
    ResourceTree(const Bytes& bytes, const PeLayout& layout)
        : bytes_(bytes), layout_(layout),
          root_(layout.file_offset(layout.resource_rva(), layout.resource_size())) {}

    // The data entry under the given type number and name (compared without
    // regard to ASCII letter case), first language; none when absent.
    std::optional<std::uint64_t> find(std::uint32_t type, std::string_view name) const {
        const auto types =
            entry(root_, [&](std::uint32_t id, bool named) { return !named && id == type; });
        if (!types || !(*types & kHighBit))
            return std::nullopt;
        const auto names = entry(subdirectory(*types), [&](std::uint32_t id, bool named) {
            return named && to_lower_ascii(name_at(id)) == to_lower_ascii(name);
        });
        if (!names || !(*names & kHighBit))
            return std::nullopt;
        const auto language = entry(subdirectory(*names), [](std::uint32_t, bool) { return true; });
        if (!language || (*language & kHighBit))
            return std::nullopt;
        return root_ + *language;
    }

    // The file offset and size of the data a data entry describes.
    std::pair<std::uint64_t, std::uint32_t> data_of(std::uint64_t data_entry) const {
        const auto rva = at<std::uint32_t>(bytes_, data_entry);
        const auto size = at<std::uint32_t>(bytes_, data_entry + 4);
        return {layout_.file_offset(rva, size), size};
    }

private:
    std::uint64_t subdirectory(std::uint32_t offset) const {
        const std::uint64_t at_offset = root_ + (offset & ~kHighBit);
        if ((offset & ~kHighBit) >= layout_.resource_size())
            throw ImageError("The executable's resource directory is damaged");
        return at_offset;
    }

    // The offset field of the first entry of the directory at `directory`
    // that `wanted` accepts.
    template <typename Wanted>
    std::optional<std::uint32_t> entry(std::uint64_t directory, Wanted wanted) const {
        const auto named = at<std::uint16_t>(bytes_, directory + 12);
        const auto numbered = at<std::uint16_t>(bytes_, directory + 14);
        for (std::uint32_t i = 0; i < std::uint32_t{named} + numbered; ++i) {
            const std::uint64_t entry_at = directory + 16 + 8 * std::uint64_t{i};
            const auto name = at<std::uint32_t>(bytes_, entry_at);
            if (wanted(name & ~kHighBit, (name & kHighBit) != 0))
                return at<std::uint32_t>(bytes_, entry_at + 4);
        }
        return std::nullopt;
    }

    // A resource name: a 16-bit length, then that many UTF-16 units.
    std::string name_at(std::uint32_t offset) const {
        if (offset >= layout_.resource_size())
            throw ImageError("The executable's resource directory is damaged");
        const std::uint64_t at_offset = root_ + offset;
        const auto length = at<std::uint16_t>(bytes_, at_offset);
        std::u16string units;
        for (std::uint32_t i = 0; i < length; ++i)
            units.push_back(
                static_cast<char16_t>(at<std::uint16_t>(bytes_, at_offset + 2 + 2 * i)));
        return utf16_to_utf8(units);
    }

    const Bytes& bytes_;
    const PeLayout& layout_;
    std::uint64_t root_;
};

} // namespace

std::size_t find_pe_block(const Bytes& bytes) {
    const PeLayout layout(bytes);
    if (layout.resource_rva() == 0 || layout.resource_size() == 0)
        throw ImageError("The executable has no embedded data block");
    const ResourceTree tree(bytes, layout);
    const auto blank = tree.find(kResourceTypeRcData, kEmbeddedBlockResource);
    if (!blank)
        throw ImageError("The executable has no embedded data block");
    const auto [offset, size] = tree.data_of(*blank);
    if (size != kEmbeddedBlockSize)
        throw ImageError("The executable's data block has an unexpected layout");
    return static_cast<std::size_t>(offset);
}

} // namespace launcher::platform

// Copying a library image's headers and sections into its mapped region, and
// protecting the sections once the image is complete.

#include "archive/image_memory.h"
#include "archive/library_image_steps.h"

#include <algorithm>
#include <cstring>

namespace launcher {
namespace {

constexpr std::size_t SectionTableInHeaders(const pe::IMAGE_NT_HEADERS32& nt,
                                            std::uint32_t e_lfanew) {
    return e_lfanew + pe::SectionTableOffset(nt);
}

// The page protection for a section's execute, read and write flags.
std::uint32_t SectionProtection(std::uint32_t characteristics) {
    static constexpr std::uint32_t kTable[2][2][2] = {
        // [execute][read][write]
        {{platform::PAGE_NOACCESS, platform::PAGE_WRITECOPY},
         {platform::PAGE_READONLY, platform::PAGE_READWRITE}},
        {{platform::PAGE_EXECUTE, platform::PAGE_EXECUTE_WRITECOPY},
         {platform::PAGE_EXECUTE_READ, platform::PAGE_EXECUTE_READWRITE}},
    };
    const bool execute = (characteristics & pe::IMAGE_SCN_MEM_EXECUTE) != 0;
    const bool read = (characteristics & pe::IMAGE_SCN_MEM_READ) != 0;
    const bool write = (characteristics & pe::IMAGE_SCN_MEM_WRITE) != 0;
    std::uint32_t protection = kTable[execute][read][write];
    if ((characteristics & pe::IMAGE_SCN_MEM_NOT_CACHED) != 0) {
        protection |= platform::PAGE_NOCACHE;
    }
    return protection;
}

bool IsReadable(std::uint32_t protection) {
    const std::uint32_t access = protection & 0xFF;
    return access != platform::PAGE_NOACCESS && access != platform::PAGE_EXECUTE;
}

// The section's extent in memory: its virtual size, or its raw size when the
// virtual size is not given, cut at the end of the image.
std::uint64_t SectionExtent(const pe::IMAGE_SECTION_HEADER& section, std::uint32_t size_of_image) {
    const std::uint64_t size =
        section.Misc.VirtualSize != 0 ? section.Misc.VirtualSize : section.SizeOfRawData;
    return std::min<std::uint64_t>(size, size_of_image - section.VirtualAddress);
}

// Whether [start, end) of the image holds anything besides section `self`:
// the headers or another section.
bool SharedWithOthers(const ImageModule& module, std::size_t self, std::uint64_t start,
                      std::uint64_t end) {
    if (start < module.nt_headers.OptionalHeader.SizeOfHeaders) {
        return true;
    }
    for (std::size_t index = 0; index < module.sections.size(); ++index) {
        const auto& other = module.sections[index];
        const std::uint64_t other_start = other.VirtualAddress;
        const std::uint64_t other_end = other_start + SectionExtent(other, module.size_of_image);
        if (index != self && other_start < end && start < other_end) {
            return true;
        }
    }
    return false;
}

void MarkPages(ImageModule& module, std::uint64_t first_page, std::uint64_t end_page,
               bool readable) {
    if (module.unreadable_pages.empty()) {
        if (readable) {
            return;
        }
        module.unreadable_pages.resize(module.reserved_size / module.platform.memory->PageSize());
    }
    std::fill(module.unreadable_pages.begin() + static_cast<std::ptrdiff_t>(first_page),
              module.unreadable_pages.begin() + static_cast<std::ptrdiff_t>(end_page), !readable);
}

// Clears [start, end) of the image for section `index`, which has no raw
// data. Committed pages already read as zero, so only bytes that the headers
// or an earlier section's data were copied over need clearing; untouched
// pages of a large uninitialized section are never brought into memory.
void ZeroSection(ImageModule& module, std::size_t index, std::uint64_t start, std::uint64_t end) {
    const auto clear = [&](std::uint64_t written_start, std::uint64_t written_end) {
        const std::uint64_t from = std::max(start, written_start);
        const std::uint64_t to = std::min(end, written_end);
        if (from < to) {
            std::memset(module.image_base + from, 0, to - from);
        }
    };
    clear(0, module.nt_headers.OptionalHeader.SizeOfHeaders);
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        const auto& section = module.sections[earlier];
        clear(section.VirtualAddress,
              std::uint64_t{section.VirtualAddress} + section.SizeOfRawData);
    }
}

} // namespace

bool CopySections(ImageModule& module, std::span<const std::byte> file, std::uint32_t e_lfanew) {
    const auto& optional = module.nt_headers.OptionalHeader;
    std::memcpy(module.image_base, file.data(), optional.SizeOfHeaders);
    module.headers = module.image_base + e_lfanew;

    // The copied headers name the base the image really got.
    const std::span<std::byte> image = module.image();
    const auto actual_base =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(module.image_base));
    image_memory::Write(image,
                        std::uint64_t{e_lfanew} + offsetof(pe::IMAGE_NT_HEADERS32, OptionalHeader) +
                            offsetof(pe::IMAGE_OPTIONAL_HEADER32, ImageBase),
                        actual_base);

    const std::uint64_t table = SectionTableInHeaders(module.nt_headers, e_lfanew);
    for (std::size_t index = 0; index < module.sections.size(); ++index) {
        const auto& section = module.sections[index];
        // The section ranges were checked against the file and SizeOfImage.
        if (section.SizeOfRawData > 0) {
            std::memcpy(module.image_base + section.VirtualAddress,
                        file.data() + section.PointerToRawData, section.SizeOfRawData);
        } else if (optional.SectionAlignment > 0) {
            const std::uint64_t length = std::min<std::uint64_t>(
                optional.SectionAlignment, module.size_of_image - section.VirtualAddress);
            ZeroSection(module, index, section.VirtualAddress, section.VirtualAddress + length);
        }
        // Where the section lies in memory, in the copied section header as
        // the system's own loader leaves it.
        image_memory::Write(image,
                            table + index * sizeof(pe::IMAGE_SECTION_HEADER) +
                                offsetof(pe::IMAGE_SECTION_HEADER, Misc),
                            actual_base + section.VirtualAddress);
    }
    return true;
}

bool FinalizeSections(ImageModule& module, std::uint32_t mode) {
    platform::VirtualMemory& memory = *module.platform.memory;
    const std::uint64_t page = memory.PageSize();
    for (std::size_t index = 0; index < module.sections.size(); ++index) {
        const auto& section = module.sections[index];
        const std::uint64_t start = section.VirtualAddress;
        const std::uint64_t end = start + SectionExtent(section, module.size_of_image);
        if (end == start) {
            continue;
        }
        if ((section.Characteristics & pe::IMAGE_SCN_MEM_DISCARDABLE) != 0) {
            if ((mode & kImageReleaseDiscardable) != 0) {
                // A page the section shares with the headers or a neighbour
                // still holds their data and stays.
                std::uint64_t first = start / page;
                std::uint64_t last = (end + page - 1) / page;
                if (SharedWithOthers(module, index, first * page, (first + 1) * page)) {
                    ++first;
                }
                if (first < last &&
                    SharedWithOthers(module, index, (last - 1) * page, last * page)) {
                    --last;
                }
                if (first < last &&
                    memory.Decommit(module.image_base + first * page, (last - first) * page)) {
                    MarkPages(module, first, last, false);
                }
            }
            continue;
        }
        if ((mode & kImageProtectSections) == 0) {
            continue;
        }
        const std::uint64_t first = start / page;
        const std::uint64_t last = (end + page - 1) / page;
        const std::uint32_t protection = SectionProtection(section.Characteristics);
        if (!memory.Protect(module.image_base + first * page, (last - first) * page, protection)) {
            SetImageLoaderError("FinalizeSections: VirtualProtect failed");
            return false;
        }
        MarkPages(module, first, last, IsReadable(protection));
    }
    return true;
}

} // namespace launcher

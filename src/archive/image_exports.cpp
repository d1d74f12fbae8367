#include "archive/image_memory.h"
#include "archive/library_image.h"

namespace launcher {
namespace {

void* Fail(std::string_view message) {
    SetImageLoaderError(message);
    return nullptr;
}

// Reads from the mapped image only where the image can be read; a malformed
// export table must not lead the lookup to an inaccessible page.
template <typename T>
std::optional<T> ReadReadable(const ImageModule& module, std::uint64_t offset) {
    if (!module.Readable(offset, sizeof(T))) {
        return std::nullopt;
    }
    return image_memory::Read<T>(module.image(), offset);
}

// Whether the export name at `offset` equals `name`, or none when the name
// cannot be read.
std::optional<bool> NameEquals(const ImageModule& module, std::uint64_t offset,
                               std::string_view name) {
    for (std::size_t index = 0;; ++index) {
        const auto c = ReadReadable<char>(module, offset + index);
        if (!c) {
            return std::nullopt;
        }
        if (*c == '\0' || index == name.size()) {
            return *c == '\0' && index == name.size();
        }
        if (*c != name[index]) {
            return false;
        }
    }
}

} // namespace

void* ImageGetProcAddress(const ImageModule* module, std::string_view name) {
    if (module == nullptr) {
        return nullptr;
    }
    const pe::IMAGE_DATA_DIRECTORY directory = module->Directory(pe::IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (directory.Size == 0) {
        return Fail("ImageGetProcAddress: no export table found");
    }
    constexpr std::string_view kNotValid = "ImageGetProcAddress: export table is not valid";
    const auto exports =
        ReadReadable<pe::IMAGE_EXPORT_DIRECTORY>(*module, directory.VirtualAddress);
    if (!exports) {
        return Fail(kNotValid);
    }
    if (exports->NumberOfNames == 0 || exports->NumberOfFunctions == 0) {
        return Fail("ImageGetProcAddress: DLL doesn't export anything");
    }

    // The name and ordinal arrays must lie in the image as a whole, so that a
    // claimed count cannot send the search across the whole address range.
    const std::uint64_t names = exports->NumberOfNames;
    if (!module->Readable(exports->AddressOfNames, names * 4) ||
        !module->Readable(exports->AddressOfNameOrdinals, names * 2)) {
        return Fail(kNotValid);
    }

    std::optional<std::uint16_t> index;
    for (std::uint64_t i = 0; i < names && !index; ++i) {
        const auto name_offset =
            ReadReadable<std::uint32_t>(*module, std::uint64_t{exports->AddressOfNames} + i * 4);
        if (!name_offset) {
            return Fail(kNotValid);
        }
        const auto equal = NameEquals(*module, *name_offset, name);
        if (!equal) {
            return Fail(kNotValid);
        }
        if (*equal) {
            index = ReadReadable<std::uint16_t>(
                *module, std::uint64_t{exports->AddressOfNameOrdinals} + i * 2);
            if (!index) {
                return Fail(kNotValid);
            }
        }
    }
    if (!index) {
        return Fail("ImageGetProcAddress: exported symbol not found");
    }
    if (*index >= exports->NumberOfFunctions) {
        return Fail("ImageGetProcAddress: name <-> ordinal number don't match");
    }
    const auto function = ReadReadable<std::uint32_t>(
        *module, std::uint64_t{exports->AddressOfFunctions} + std::uint64_t{*index} * 4);
    // The address must lie inside the image; forwarded exports (text inside
    // the export directory) are returned as they are, unresolved.
    if (!function || *function >= module->size_of_image) {
        return Fail(kNotValid);
    }
    return module->image_base + *function;
}

} // namespace launcher

#include "archive/image_memory.h"
#include "archive/library_image_steps.h"

#include <new>

namespace launcher {
namespace {

// Names of imported functions are looked up with at most this many characters.
constexpr std::size_t kMaxImportNameLength = 255;

bool Malformed() {
    SetImageLoaderError("BuildImportTable: import data is not valid");
    return false;
}

enum class ThunkResult { Done, SymbolMissing, Malformed };

// Walks the lookup table and the address table of one descriptor side by
// side, writing each symbol's 32-bit value into its address table slot.
ThunkResult FillAddressTable(ImageModule& module, platform::LibraryHandle library,
                             const pe::IMAGE_IMPORT_DESCRIPTOR& descriptor) {
    const std::span<std::byte> image = module.image();
    const std::uint64_t lookup =
        descriptor.OriginalFirstThunk != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    const std::uint64_t addresses = descriptor.FirstThunk;
    for (std::uint64_t index = 0;; ++index) {
        const auto entry = image_memory::Read<std::uint32_t>(image, lookup + index * 4);
        if (!entry) {
            return ThunkResult::Malformed;
        }
        if (*entry == 0) {
            return ThunkResult::Done;
        }
        std::optional<std::uint32_t> symbol;
        if ((*entry & pe::IMAGE_ORDINAL_FLAG32) != 0) {
            symbol =
                module.platform.libraries->FindSymbol(library, static_cast<std::uint16_t>(*entry));
        } else {
            const auto name = image_memory::ReadText(
                image, std::uint64_t{*entry} + offsetof(pe::IMAGE_IMPORT_BY_NAME, Name),
                kMaxImportNameLength);
            if (!name) {
                return ThunkResult::Malformed;
            }
            symbol = module.platform.libraries->FindSymbol(library, *name);
        }
        if (!symbol) {
            return ThunkResult::SymbolMissing;
        }
        if (!image_memory::Write(image, addresses + index * 4, *symbol)) {
            return ThunkResult::Malformed;
        }
    }
}

} // namespace

bool BuildImportTable(ImageModule& module) {
    const pe::IMAGE_DATA_DIRECTORY directory = module.Directory(pe::IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (directory.Size == 0) {
        return true;
    }
    const std::span<std::byte> image = module.image();
    bool succeeded = true;
    for (std::uint64_t at = directory.VirtualAddress;; at += sizeof(pe::IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = image_memory::Read<pe::IMAGE_IMPORT_DESCRIPTOR>(image, at);
        if (!descriptor) {
            return Malformed();
        }
        if (descriptor->Name == 0) {
            break;
        }
        // Library names are 8-bit text; this system's code page is UTF-8.
        const auto name = image_memory::ReadText(image, descriptor->Name);
        if (!name) {
            return Malformed();
        }
        const auto library = module.platform.libraries->Load(*name);
        if (!library) {
            SetImageLoaderError("BuildImportTable: can't load library: " + *name);
            return false;
        }
        try {
            module.libraries.push_back(*library);
        } catch (const std::bad_alloc&) {
            module.platform.libraries->Release(*library);
            SetImageLoaderError("BuildImportTable: ReallocMemory failed");
            return false;
        }
        switch (FillAddressTable(module, *library, *descriptor)) {
        case ThunkResult::Done:
            break;
        case ThunkResult::SymbolMissing:
            // The remaining descriptors are still resolved.
            SetImageLoaderError("BuildImportTable: GetProcAddress failed");
            succeeded = false;
            break;
        case ThunkResult::Malformed:
            return Malformed();
        }
    }
    return succeeded;
}

} // namespace launcher

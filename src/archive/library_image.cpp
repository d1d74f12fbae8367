#include "archive/library_image.h"

#include "archive/image_headers.h"
#include "archive/image_memory.h"
#include "archive/library_image_steps.h"

#include <algorithm>
#include <cstring>

namespace launcher {
namespace {

constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;

std::size_t RoundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

// Reserves the image's address space at its preferred base or, failing that,
// anywhere it can be addressed with 32-bit values.
std::byte* ReserveImage(platform::VirtualMemory& memory, std::uint32_t preferred_base,
                        std::size_t size) {
    void* base = memory.ReserveAt(preferred_base, size);
    if (base == nullptr) {
        base = memory.ReserveAnywhere(size);
    }
    if (base == nullptr) {
        return nullptr;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(base);
    if (address >= kFourGiB || size > kFourGiB - address) {
        memory.Release(base, size);
        return nullptr;
    }
    return static_cast<std::byte*>(base);
}

std::unique_ptr<ImageModule> Fail(std::string_view message) {
    SetImageLoaderError(message);
    return nullptr;
}

} // namespace

const ImageLoaderPlatform& SystemImageLoaderPlatform() {
    static const auto memory = platform::MakeSystemVirtualMemory();
    static const auto libraries = platform::MakeSystemLibraryResolver();
    static const auto entry_point = platform::MakeSystemEntryPointCaller();
    static const ImageLoaderPlatform system{memory.get(), libraries.get(), entry_point.get()};
    return system;
}

ImageModule::ImageModule(const ImageLoaderPlatform& platform_services, std::byte* base,
                         std::size_t reserved)
    : platform(platform_services), image_base(base), reserved_size(reserved) {}

ImageModule::~ImageModule() {
    if (initialized) {
        const std::uint32_t entry = nt_headers.OptionalHeader.AddressOfEntryPoint;
        platform.entry_point->CallEntryPoint(reinterpret_cast<std::uintptr_t>(image_base) + entry,
                                             reinterpret_cast<std::uintptr_t>(image_base),
                                             pe::DLL_PROCESS_DETACH);
        initialized = false;
    }
    for (const platform::LibraryHandle library : libraries) {
        if (library != 0) {
            platform.libraries->Release(library);
        }
    }
    platform.memory->Release(image_base, reserved_size);
}

bool ImageModule::Readable(std::uint64_t offset, std::uint64_t length) const {
    if (!image_memory::Fits(size_of_image, offset, length)) {
        return false;
    }
    if (unreadable_pages.empty() || length == 0) {
        return true;
    }
    const std::size_t page = platform.memory->PageSize();
    for (std::uint64_t index = offset / page; index <= (offset + length - 1) / page; ++index) {
        if (unreadable_pages[index]) {
            return false;
        }
    }
    return true;
}

pe::IMAGE_DATA_DIRECTORY ImageModule::Directory(std::size_t index) const {
    const auto& optional = nt_headers.OptionalHeader;
    // Directories beyond the optional header's stated size are absent.
    const std::size_t in_header = nt_headers.FileHeader.SizeOfOptionalHeader <
                                          offsetof(pe::IMAGE_OPTIONAL_HEADER32, DataDirectory)
                                      ? 0
                                      : (nt_headers.FileHeader.SizeOfOptionalHeader -
                                         offsetof(pe::IMAGE_OPTIONAL_HEADER32, DataDirectory)) /
                                            sizeof(pe::IMAGE_DATA_DIRECTORY);
    const std::size_t count = std::min<std::size_t>(
        {optional.NumberOfRvaAndSizes, in_header, pe::IMAGE_NUMBEROF_DIRECTORY_ENTRIES});
    if (index >= count) {
        return {};
    }
    return optional.DataDirectory[index];
}

std::unique_ptr<ImageModule> LoadLibraryImage(const void* image, std::uint32_t mode,
                                              bool call_entry_point, std::size_t size) {
    return LoadLibraryImage(image, mode, call_entry_point, size, SystemImageLoaderPlatform());
}

std::unique_ptr<ImageModule> LoadLibraryImage(const void* image, std::uint32_t mode,
                                              bool call_entry_point, std::size_t size,
                                              const ImageLoaderPlatform& platform) {
    const std::span<const std::byte> file(static_cast<const std::byte*>(image),
                                          image == nullptr ? 0 : size);
    auto headers = ReadImageHeaders(file);
    if (!headers) {
        return nullptr;
    }
    const auto& optional = headers->nt.OptionalHeader;

    platform::VirtualMemory& memory = *platform.memory;
    const std::size_t reserved_size = RoundUp(optional.SizeOfImage, memory.PageSize());
    std::byte* base = ReserveImage(memory, optional.ImageBase, reserved_size);
    if (base == nullptr) {
        return Fail("LoadLibraryImage: VirtualAlloc failed");
    }
    auto module = std::make_unique<ImageModule>(platform, base, reserved_size);
    module->size_of_image = optional.SizeOfImage;
    module->nt_headers = headers->nt;
    module->sections = std::move(headers->sections);
    if (!memory.Commit(base, reserved_size, platform::PAGE_EXECUTE_READWRITE)) {
        return Fail("LoadLibraryImage: VirtualAlloc failed");
    }

    if (!CopySections(*module, file, headers->e_lfanew)) {
        return nullptr;
    }

    const auto actual_base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(base));
    // Modulo 2^32, adding the delta moves every absolute address correctly
    // whichever way the image moved.
    const std::uint32_t delta = actual_base - optional.ImageBase;
    if (delta != 0 && !ApplyRelocations(*module, delta)) {
        return nullptr;
    }

    if (!BuildImportTable(*module)) {
        AppendImageLoaderError(" LoadLibraryImage: BuildImportTable failed");
        return nullptr;
    }

    // A protection that cannot be applied is recorded in the last-error text
    // only; the image works with every page read-write-execute.
    FinalizeSections(*module, mode);

    const std::uint32_t entry = optional.AddressOfEntryPoint;
    if (entry == 0) {
        return module;
    }
    if (entry >= module->size_of_image) {
        return Fail("LoadLibraryImage: Get DLLEntyPoint failed");
    }
    if (call_entry_point) {
        const auto result = platform.entry_point->CallEntryPoint(
            reinterpret_cast<std::uintptr_t>(base) + entry, reinterpret_cast<std::uintptr_t>(base),
            pe::DLL_PROCESS_ATTACH);
        switch (result) {
        case platform::EntryPointResult::Succeeded:
            module->initialized = true;
            break;
        case platform::EntryPointResult::Failed:
            return Fail("LoadLibraryImage: Can't attach library");
        case platform::EntryPointResult::CannotBeRun:
            return Fail("LoadLibraryImage: Can't attach library: this process cannot run the "
                        "library's 32-bit code");
        }
    }
    return module;
}

void FreeLibraryImage(std::unique_ptr<ImageModule> module) {
    module.reset();
}

} // namespace launcher

#pragma once

#include "archive/image_loader_error.h"
#include "archive/pe_format.h"
#include "platform/entry_point_caller.h"
#include "platform/library_resolver.h"
#include "platform/virtual_memory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace launcher {

// Mode flags of LoadLibraryImage.
inline constexpr std::uint32_t kImageProtectSections = 0x01;
inline constexpr std::uint32_t kImageReleaseDiscardable = 0x10;

// The platform services a library image is loaded with. They must outlive
// every module loaded with them.
struct ImageLoaderPlatform {
    platform::VirtualMemory* memory;
    platform::LibraryResolver* libraries;
    platform::EntryPointCaller* entry_point;
};

// The system's services, alive for the whole process.
const ImageLoaderPlatform& SystemImageLoaderPlatform();

// A library image mapped into the process. Destroying it does what
// FreeLibraryImage describes: detach, release the imported libraries and the
// whole mapped region.
struct ImageModule {
    ImageModule(const ImageLoaderPlatform& platform, std::byte* image_base,
                std::size_t reserved_size);
    ~ImageModule();
    ImageModule(const ImageModule&) = delete;
    ImageModule& operator=(const ImageModule&) = delete;

    std::span<std::byte> image() const { return {image_base, size_of_image}; }
    // Whether [offset, offset + length) of the image can be read: inside the
    // image and on no page that FinalizeSections made inaccessible.
    bool Readable(std::uint64_t offset, std::uint64_t length) const;
    // The data directory `index`, or an empty one when the headers have none.
    pe::IMAGE_DATA_DIRECTORY Directory(std::size_t index) const;

    ImageLoaderPlatform platform;
    std::byte* image_base;
    std::size_t reserved_size;
    std::uint32_t size_of_image = 0;
    // The headers as copied into the image.
    std::byte* headers = nullptr;
    // The headers and section table as checked while loading. The loader
    // decides from these, never from the copy inside the image, which the
    // image's own relocations and imports may overwrite.
    pe::IMAGE_NT_HEADERS32 nt_headers{};
    std::vector<pe::IMAGE_SECTION_HEADER> sections;
    // The libraries loaded for the image's imports.
    std::vector<platform::LibraryHandle> libraries;
    // Pages made inaccessible by FinalizeSections; empty while all can be read.
    std::vector<bool> unreadable_pages;
    // The entry point has been called for process attach.
    bool initialized = false;
};

// Maps the library held in `image` (its `size` bytes as stored in a file),
// relocates it, resolves its imports, protects its sections per `mode`
// (kImageProtectSections, kImageReleaseDiscardable) and, when
// `call_entry_point` is set, attaches it. None on failure, with the reason in
// ImageLoaderLastError().
std::unique_ptr<ImageModule> LoadLibraryImage(const void* image, std::uint32_t mode,
                                              bool call_entry_point, std::size_t size);
std::unique_ptr<ImageModule> LoadLibraryImage(const void* image, std::uint32_t mode,
                                              bool call_entry_point, std::size_t size,
                                              const ImageLoaderPlatform& platform);

// The address of the export `name` (exact, case-sensitive), or nullptr.
void* ImageGetProcAddress(const ImageModule* module, std::string_view name);

// Detaches and releases a module; nothing for none.
void FreeLibraryImage(std::unique_ptr<ImageModule> module);

} // namespace launcher

// Feeds arbitrary bytes to the library image loader as a library image.
// Imports resolve to fixed values from two known libraries, and the entry
// point "succeeds", so that a well-formed image runs through every step.

#include "archive/library_image.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using launcher::platform::LibraryHandle;

class KnownLibraries final : public launcher::platform::LibraryResolver {
public:
    std::optional<LibraryHandle> Load(std::string_view name) override {
        if (name == "kernel32.dll") {
            return 1;
        }
        if (name == "user32.dll") {
            return 2;
        }
        return std::nullopt;
    }
    std::optional<std::uint32_t> FindSymbol(LibraryHandle library, std::string_view name) override {
        if (name.empty() || name.front() == 'x') {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(0x70000000 + library * 0x1000 + name.size());
    }
    std::optional<std::uint32_t> FindSymbol(LibraryHandle library, std::uint16_t ordinal) override {
        if (ordinal == 0) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(0x70000000 + library * 0x1000 + ordinal);
    }
    void Release(LibraryHandle) override {}
};

class SucceedingEntryPoint final : public launcher::platform::EntryPointCaller {
public:
    launcher::platform::EntryPointResult CallEntryPoint(std::uintptr_t, std::uintptr_t,
                                                        std::uint32_t) override {
        return launcher::platform::EntryPointResult::Succeeded;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto memory = launcher::platform::MakeSystemVirtualMemory();
    static KnownLibraries libraries;
    static SucceedingEntryPoint entry_point;
    static const launcher::ImageLoaderPlatform platform{memory.get(), &libraries, &entry_point};

    // The length's lowest bit picks whether discardable sections are released.
    const std::uint32_t mode = launcher::kImageProtectSections |
                               ((size & 1) != 0 ? launcher::kImageReleaseDiscardable : 0);
    auto module = launcher::LoadLibraryImage(data, mode, true, size, platform);
    if (module) {
        launcher::ImageGetProcAddress(module.get(), "RARGetDllVersion");
        launcher::ImageGetProcAddress(module.get(), "");
        launcher::FreeLibraryImage(std::move(module));
    }
    return 0;
}

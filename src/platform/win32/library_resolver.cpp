#include "platform/library_resolver.h"

#include "platform/win32/win32_text.h"

namespace launcher::platform {
namespace {

std::optional<std::uint32_t> As32BitAddress(FARPROC symbol) {
    const auto address = reinterpret_cast<std::uintptr_t>(symbol);
    if (address == 0 || address > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(address);
}

HMODULE module_of(LibraryHandle library) {
    return reinterpret_cast<HMODULE>(library);
}

class WindowsLibraryResolver final : public LibraryResolver {
public:
    std::optional<LibraryHandle> Load(std::string_view name) override {
        HMODULE library = ::LoadLibraryW(win32::wide(name).c_str());
        if (library == nullptr)
            return std::nullopt;
        return reinterpret_cast<LibraryHandle>(library);
    }

    std::optional<std::uint32_t> FindSymbol(LibraryHandle library, std::string_view name) override {
        const std::string terminated(name);
        return As32BitAddress(::GetProcAddress(module_of(library), terminated.c_str()));
    }

    std::optional<std::uint32_t> FindSymbol(LibraryHandle library, std::uint16_t ordinal) override {
        // An ordinal travels in the low word of the name pointer.
        const auto by_ordinal = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(ordinal));
        return As32BitAddress(::GetProcAddress(module_of(library), by_ordinal));
    }

    void Release(LibraryHandle library) override { ::FreeLibrary(module_of(library)); }
};

} // namespace

std::unique_ptr<LibraryResolver> MakeSystemLibraryResolver() {
    return std::make_unique<WindowsLibraryResolver>();
}

} // namespace launcher::platform

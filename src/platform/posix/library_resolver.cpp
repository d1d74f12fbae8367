#include "platform/library_resolver.h"

#include <dlfcn.h>
#include <string>

namespace launcher::platform {
namespace {

std::optional<std::uint32_t> As32BitAddress(const void* symbol) {
    const auto address = reinterpret_cast<std::uintptr_t>(symbol);
    if (address == 0 || address > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(address);
}

class DynamicLoaderResolver final : public LibraryResolver {
public:
    std::optional<LibraryHandle> Load(std::string_view name) override {
        const std::string terminated(name);
        void* library = dlopen(terminated.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return std::nullopt;
        }
        return reinterpret_cast<LibraryHandle>(library);
    }

    std::optional<std::uint32_t> FindSymbol(LibraryHandle library, std::string_view name) override {
        const std::string terminated(name);
        return As32BitAddress(dlsym(reinterpret_cast<void*>(library), terminated.c_str()));
    }

    std::optional<std::uint32_t> FindSymbol(LibraryHandle, std::uint16_t) override {
        return std::nullopt; // the dynamic loader knows symbols by name only
    }

    void Release(LibraryHandle library) override { dlclose(reinterpret_cast<void*>(library)); }
};

} // namespace

std::unique_ptr<LibraryResolver> MakeSystemLibraryResolver() {
    return std::make_unique<DynamicLoaderResolver>();
}

} // namespace launcher::platform

#include "platform/embedded_block.h"

#include <windows.h>

namespace launcher::platform {

std::span<const std::uint8_t> embedded_block() {
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, L"BLANK", MAKEINTRESOURCEW(kResourceTypeRcData));
    if (found == nullptr)
        return {};
    HGLOBAL loaded = ::LoadResource(self, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr)
        return {};
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(self, found)};
}

} // namespace launcher::platform

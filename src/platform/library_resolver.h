#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace launcher::platform {

// Opaque handle of a library loaded by a LibraryResolver; never 0.
using LibraryHandle = std::uintptr_t;

// Finds the libraries and functions a 32-bit library image imports.
//
// The image's import address table holds 32-bit slots, so a symbol is
// reported as the 32-bit value that goes into its slot: the function's
// address when that address is below 4 GiB. A symbol that cannot be given as
// such a value is not found rather than written truncated.
class LibraryResolver {
public:
    virtual ~LibraryResolver() = default;

    virtual std::optional<LibraryHandle> Load(std::string_view name) = 0;
    virtual std::optional<std::uint32_t> FindSymbol(LibraryHandle library,
                                                    std::string_view name) = 0;
    virtual std::optional<std::uint32_t> FindSymbol(LibraryHandle library,
                                                    std::uint16_t ordinal) = 0;
    virtual void Release(LibraryHandle library) = 0;
};

// The system's loader: dlopen/dlsym on POSIX systems, which have no
// ordinals; LoadLibraryW/GetProcAddress (by name or ordinal) on Windows. In
// a 64-bit process libraries rarely lie below 4 GiB, so most imports of a
// 32-bit image are reported as not found there; a 32-bit Windows process
// finds them all.
std::unique_ptr<LibraryResolver> MakeSystemLibraryResolver();

} // namespace launcher::platform

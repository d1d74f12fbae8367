#pragma once

#include "archive/pe_format.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace launcher {

// The headers of a library image as stored in a file, checked against the
// file's size: everything the loader copies from the file lies inside it, and
// everything it copies into the mapped image lies inside SizeOfImage.
struct ImageHeaders {
    std::uint32_t e_lfanew = 0;
    pe::IMAGE_NT_HEADERS32 nt{};
    std::vector<pe::IMAGE_SECTION_HEADER> sections;
};

// The checked headers of `file`, or none with the reason in the loader's
// last-error text.
std::optional<ImageHeaders> ReadImageHeaders(std::span<const std::byte> file);

} // namespace launcher

#pragma once

#include "platform/files.h"

#include <cstddef>

namespace launcher::platform {

// Where the embedded data block of an executable file starts, by the file's
// own format; both throw ImageError when the file does not hold one.

// A 64-bit ELF executable: the start of its ".launcher_blank" section.
std::size_t find_elf_block(const Bytes& bytes);

// A PE executable (32 or 64 bit): the data of its RCDATA resource "BLANK",
// found through the resource directory.
std::size_t find_pe_block(const Bytes& bytes);

} // namespace launcher::platform

#pragma once

#include "archive/library_image.h"

#include <cstdint>

// The steps of loading a library image, shared by the files that carry them
// out. Each sets the loader's last-error text when it fails.
namespace launcher {

// Copies the headers and sections of `file` into the mapped image.
bool CopySections(ImageModule& module, std::span<const std::byte> file, std::uint32_t e_lfanew);

// Moves every IMAGE_REL_BASED_HIGHLOW entry by `delta`.
bool ApplyRelocations(ImageModule& module, std::uint32_t delta);

// Loads the imported libraries and fills the import address table.
bool BuildImportTable(ImageModule& module);

// Protects (and with kImageReleaseDiscardable decommits) the sections.
bool FinalizeSections(ImageModule& module, std::uint32_t mode);

} // namespace launcher

#pragma once

#include "loader/pe_image_builder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace launcher::testing {

// A small PE32 library generated for the tests: code, data, read-only data
// with an export directory and import tables, uninitialized data without raw
// bytes, and discardable relocations.
namespace test_library {

inline constexpr std::uint32_t kText = 0x1000;
inline constexpr std::uint32_t kData = 0x2000;
inline constexpr std::uint32_t kRdata = 0x3000;
inline constexpr std::uint32_t kBss = 0x4000;
inline constexpr std::uint32_t kReloc = 0x5000;
inline constexpr std::uint32_t kSizeOfImage = 0x6000;
inline constexpr std::uint32_t kEntryPoint = 0x1000;

// Section indices in the section table.
enum SectionIndex : std::size_t { kTextIndex, kDataIndex, kRdataIndex, kBssIndex, kRelocIndex };

// An absolute address in the image: a HIGHLOW relocation points at `at`,
// which holds image base + `target`.
struct Fixup {
    std::uint32_t at;
    std::uint32_t target;
};
inline constexpr Fixup kFixups[] = {
    {0x1010, 0x2004}, {0x1020, 0x3000}, {0x1FFC, 0x2000}, {0x2008, 0x1000}};
// Addresses a relocation entry of another type points at; never changed.
inline constexpr std::uint32_t kIgnoredRelocationAt = 0x1040;
// A plain value without relocation.
inline constexpr std::uint32_t kPlainValueAt = 0x1030;
inline constexpr std::uint32_t kPlainValue = 0x12345678;

struct Export {
    const char* name;
    std::uint32_t address;
};
inline constexpr Export kExports[] = {{"RARGetDllVersion", 0x1100}, {"RAROpenArchiveEx", 0x1180}};
inline constexpr std::uint32_t kExportDirectory = 0x3000;
inline constexpr std::uint32_t kExportNameOrdinals = 0x3140;

inline constexpr std::uint32_t kImportDescriptors = 0x3200;
inline constexpr std::uint32_t AddressTable(std::size_t library) {
    return 0x3500 + static_cast<std::uint32_t>(library) * 0x40;
}

struct ImportedFunction {
    std::string name;          // empty: imported by ordinal
    std::uint16_t ordinal = 0; // used when name is empty
};
struct ImportedLibrary {
    std::string name;
    std::vector<ImportedFunction> functions;
    bool lookup_table = true; // false: OriginalFirstThunk 0, FirstThunk only
};

struct Options {
    std::uint32_t image_base = 0x10000000;
    std::uint32_t entry_point = kEntryPoint;
    std::vector<ImportedLibrary> imports;
    bool exports = true;
};

PeImageBuilder Make(const Options& options);

// Options for an image preferring `image_base`, otherwise as given above.
inline Options At(std::uint32_t image_base) {
    Options options;
    options.image_base = image_base;
    return options;
}

} // namespace test_library
} // namespace launcher::testing

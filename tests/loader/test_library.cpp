#include "loader/test_library.h"

#include <algorithm>
#include <cstring>

namespace launcher::testing::test_library {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kLookupTables = 0x3300;
constexpr std::uint32_t kHintNames = 0x3700;
constexpr std::uint32_t kLibraryNames = 0x3C00;

Bytes MakeText(std::uint32_t base) {
    Bytes text(0x1000, 0xCC);
    for (const auto& fixup : kFixups) {
        if (fixup.at < kData) {
            Put32(text, fixup.at - kText, base + fixup.target);
        }
    }
    Put32(text, kPlainValueAt - kText, kPlainValue);
    Put32(text, kIgnoredRelocationAt - kText, base + kText);
    return text;
}

Bytes MakeData(std::uint32_t base) {
    Bytes data(0x100, 0);
    PutText(data, 0, "DATA");
    for (const auto& fixup : kFixups) {
        if (fixup.at >= kData && fixup.at < kRdata) {
            Put32(data, fixup.at - kData, base + fixup.target);
        }
    }
    return data;
}

void AddExports(Bytes& rdata) {
    const auto at = [](std::uint32_t rva) { return rva - kRdata; };
    pe::IMAGE_EXPORT_DIRECTORY directory{};
    directory.Name = 0x3150;
    directory.Base = 1;
    directory.NumberOfFunctions = 3;
    directory.NumberOfNames = 2;
    directory.AddressOfFunctions = 0x3100;
    directory.AddressOfNames = 0x3120;
    directory.AddressOfNameOrdinals = kExportNameOrdinals;
    rdata.resize(std::max<std::size_t>(rdata.size(), sizeof(directory)));
    std::memcpy(rdata.data() + at(kExportDirectory), &directory, sizeof(directory));
    PutText(rdata, at(0x3150), "test.dll");
    for (std::uint32_t i = 0; i < 2; ++i) {
        Put32(rdata, at(0x3100 + i * 4), kExports[i].address);
        Put32(rdata, at(0x3120 + i * 4), 0x3160 + i * 0x20);
        Put16(rdata, at(kExportNameOrdinals + i * 2), static_cast<std::uint16_t>(i));
        PutText(rdata, at(0x3160 + i * 0x20), kExports[i].name);
    }
    Put32(rdata, at(0x3108), 0x11C0); // an export without name
}

void AddImports(Bytes& rdata, const std::vector<ImportedLibrary>& imports) {
    const auto at = [](std::uint32_t rva) { return rva - kRdata; };
    for (std::size_t i = 0; i < imports.size(); ++i) {
        const auto& library = imports[i];
        const auto index = static_cast<std::uint32_t>(i);
        const std::uint32_t lookup = kLookupTables + index * 0x40;
        const std::uint32_t name = kLibraryNames + index * 0x20;
        pe::IMAGE_IMPORT_DESCRIPTOR descriptor{};
        descriptor.OriginalFirstThunk = library.lookup_table ? lookup : 0;
        descriptor.Name = name;
        descriptor.FirstThunk = AddressTable(i);
        rdata.resize(std::max<std::size_t>(rdata.size(), at(kImportDescriptors) + 0x100));
        std::memcpy(rdata.data() + at(kImportDescriptors) + i * sizeof(descriptor), &descriptor,
                    sizeof(descriptor));
        PutText(rdata, at(name), library.name);
        for (std::uint32_t j = 0; j < library.functions.size(); ++j) {
            const auto& function = library.functions[j];
            std::uint32_t entry = pe::IMAGE_ORDINAL_FLAG32 | function.ordinal;
            if (!function.name.empty()) {
                entry = kHintNames + index * 0x100 + j * 0x20;
                Put16(rdata, at(entry), static_cast<std::uint16_t>(j));
                PutText(rdata, at(entry + 2), function.name);
            }
            // As in a file, the address table starts as a copy of the lookup
            // table.
            Put32(rdata, at(lookup + j * 4), library.lookup_table ? entry : 0);
            Put32(rdata, at(AddressTable(i) + j * 4), entry);
        }
    }
}

Bytes MakeRelocations() {
    Bytes reloc;
    // Page kText: three HIGHLOW entries, one of another type, two paddings.
    Put32(reloc, 0, kText);
    Put32(reloc, 4, 20);
    Put16(reloc, 8, 0x3010);
    Put16(reloc, 10, 0x3020);
    Put16(reloc, 12, 0xA000 | (kIgnoredRelocationAt - kText));
    Put16(reloc, 14, 0x3FFC);
    Put16(reloc, 16, 0);
    Put16(reloc, 18, 0);
    // Page kData: one HIGHLOW entry and a padding.
    Put32(reloc, 20, kData);
    Put32(reloc, 24, 12);
    Put16(reloc, 28, 0x3008);
    Put16(reloc, 30, 0);
    return reloc;
}

} // namespace

PeImageBuilder Make(const Options& options) {
    using pe::IMAGE_SCN_CNT_CODE, pe::IMAGE_SCN_CNT_INITIALIZED_DATA,
        pe::IMAGE_SCN_CNT_UNINITIALIZED_DATA, pe::IMAGE_SCN_MEM_EXECUTE, pe::IMAGE_SCN_MEM_READ,
        pe::IMAGE_SCN_MEM_WRITE, pe::IMAGE_SCN_MEM_DISCARDABLE;

    Bytes rdata(0x100, 0);
    if (options.exports) {
        AddExports(rdata);
    }
    AddImports(rdata, options.imports);
    const Bytes relocations = MakeRelocations();

    PeImageBuilder builder;
    builder.image_base = options.image_base;
    builder.entry_point = options.entry_point;
    builder.sections = {
        {".text", kText, 0x1000, MakeText(options.image_base),
         IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_MEM_READ},
        {".data", kData, 0x100, MakeData(options.image_base),
         IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE},
        {".rdata", kRdata, 0x1000, rdata, IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ},
        {".bss",
         kBss,
         0x1000,
         {},
         IMAGE_SCN_CNT_UNINITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE},
        {".reloc", kReloc, static_cast<std::uint32_t>(relocations.size()), relocations,
         IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_DISCARDABLE},
    };
    if (options.exports) {
        builder.directories[pe::IMAGE_DIRECTORY_ENTRY_EXPORT] = {kExportDirectory, 0x100};
    }
    if (!options.imports.empty()) {
        builder.directories[pe::IMAGE_DIRECTORY_ENTRY_IMPORT] = {
            kImportDescriptors, static_cast<std::uint32_t>((options.imports.size() + 1) *
                                                           sizeof(pe::IMAGE_IMPORT_DESCRIPTOR))};
    }
    builder.directories[pe::IMAGE_DIRECTORY_ENTRY_BASERELOC] = {
        kReloc, static_cast<std::uint32_t>(relocations.size())};
    return builder;
}

} // namespace launcher::testing::test_library

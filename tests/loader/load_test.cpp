// Mapping a library image: header checks, sections, relocations, release.

#include "loader/loader_fixture.h"

#include <functional>

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace lib = test_library;

constexpr std::size_t kOptionalHeader =
    PeImageBuilder::kNtHeadersOffset + offsetof(pe::IMAGE_NT_HEADERS32, OptionalHeader);
constexpr std::size_t kImageBaseField =
    kOptionalHeader + offsetof(pe::IMAGE_OPTIONAL_HEADER32, ImageBase);
constexpr std::size_t kFileCharacteristicsField = PeImageBuilder::kNtHeadersOffset +
                                                  offsetof(pe::IMAGE_NT_HEADERS32, FileHeader) +
                                                  offsetof(pe::IMAGE_FILE_HEADER, Characteristics);

class LoadTest : public LoaderTest {};

TEST_F(LoadTest, MapsHeadersAndSectionsAtAFreePreferredBase) {
    const std::uint32_t preferred = FreeBase();
    const PeImageBuilder builder = lib::Make(lib::At(preferred));
    const Bytes file = builder.Build();

    const auto module = Load(file);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_EQ(Base(*module), preferred);

    // Headers up to the section table are copied unchanged.
    const std::size_t section_table = PeImageBuilder::SectionHeaderOffset(0);
    EXPECT_EQ(std::memcmp(module->image_base, file.data(), section_table), 0);
    EXPECT_EQ(module->headers, module->image_base + PeImageBuilder::kNtHeadersOffset);

    for (std::size_t index = 0; index < builder.sections.size(); ++index) {
        const auto& section = builder.sections[index];
        SCOPED_TRACE(section.name);
        if (!section.data.empty()) {
            EXPECT_EQ(std::memcmp(module->image_base + section.virtual_address,
                                  file.data() + builder.RawDataOffset(index), section.data.size()),
                      0);
        }
        // The copied section header records where the section lies.
        const std::uint32_t recorded =
            Read32(*module, static_cast<std::uint32_t>(PeImageBuilder::SectionHeaderOffset(index) +
                                                       offsetof(pe::IMAGE_SECTION_HEADER, Misc)));
        EXPECT_EQ(recorded, preferred + section.virtual_address);
    }

    // Without raw data the section reads as zero.
    const Bytes zeros(0x1000, 0);
    EXPECT_EQ(std::memcmp(module->image_base + lib::kBss, zeros.data(), zeros.size()), 0);

    // Not moved, so nothing is relocated.
    for (const auto& fixup : lib::kFixups) {
        EXPECT_EQ(Read32(*module, fixup.at), preferred + fixup.target);
    }
}

TEST_F(LoadTest, RelocatesEveryHighLowEntryWhenThePreferredBaseIsTaken) {
    const std::uint32_t preferred = FreeBase();
    const TakenRegion taken(preferred, lib::kSizeOfImage);
    ASSERT_TRUE(taken.taken());

    const auto module = Load(lib::Make(lib::At(preferred)).Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    const std::uintptr_t base = Base(*module);
    EXPECT_NE(base, preferred);
    EXPECT_LE(base + lib::kSizeOfImage, std::uintptr_t{1} << 32);

    for (const auto& fixup : lib::kFixups) {
        EXPECT_EQ(Read32(*module, fixup.at), base + fixup.target) << std::hex << fixup.at;
    }
    // Entries of other types and unrelocated values stay as they were.
    EXPECT_EQ(Read32(*module, lib::kIgnoredRelocationAt), preferred + lib::kText);
    EXPECT_EQ(Read32(*module, lib::kPlainValueAt), lib::kPlainValue);
    // The copied headers name the actual base.
    EXPECT_EQ(Read32(*module, kImageBaseField), base);
}

TEST_F(LoadTest, SectionWithoutRawDataClearsBytesAnEarlierSectionWrote) {
    auto builder = lib::Make(lib::At(FreeBase()));
    const std::uint32_t extra = lib::kSizeOfImage;
    builder.sections.push_back(
        {".first", extra, 0x200, Bytes(0x200, 0x90), pe::IMAGE_SCN_MEM_READ});
    builder.sections.push_back({".second", extra + 0x100, 0x100, {}, pe::IMAGE_SCN_MEM_READ});
    const auto module = Load(builder.Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_EQ(module->image_base[extra + 0xFF], std::byte{0x90});
    for (std::uint32_t at = extra + 0x100; at < extra + 0x200; ++at) {
        ASSERT_EQ(module->image_base[at], std::byte{0}) << std::hex << at;
    }
}

TEST_F(LoadTest, ReleaseFreesTheRegionAndTheImportedLibraries) {
    const std::uint32_t preferred = FreeBase();
    fake.libraries.Add("kernel32.dll", {{{"Sleep", 0x7C802446}}, {}});
    auto options = lib::At(preferred);
    options.imports = {{"kernel32.dll", {{"Sleep", 0}}, true}};
    auto module = Load(lib::Make(options).Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();

    FreeLibraryImage(std::move(module));
    EXPECT_EQ(fake.memory.released, std::vector<std::uintptr_t>{preferred});
    EXPECT_EQ(fake.libraries.released, std::vector<std::string>{"kernel32.dll"});
    // The address range can be had again.
    const TakenRegion again(preferred, lib::kSizeOfImage);
    EXPECT_TRUE(again.taken());
}

TEST_F(LoadTest, FreeingNoModuleDoesNothing) {
    FreeLibraryImage(nullptr);
}

TEST_F(LoadTest, SuccessLeavesTheLastErrorText) {
    const Bytes not_an_image(16, 0);
    EXPECT_EQ(Load(not_an_image), nullptr);
    const std::string before = ImageLoaderLastError();
    ASSERT_FALSE(before.empty());
    EXPECT_NE(Load(lib::Make(lib::At(FreeBase())).Build()), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), before);
}

// A damaged image: how the generated one is changed and the text it gives.
struct DamageCase {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* message;
    bool reserved; // whether the failure comes after reserving the region
};

void PrintTo(const DamageCase& damage, std::ostream* out) {
    *out << damage.name;
}

template <typename T>
void Poke(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

const PeImageBuilder& Library() {
    static const PeImageBuilder builder = lib::Make(lib::Options{});
    return builder;
}

std::size_t SectionField(std::size_t index, std::size_t field) {
    return PeImageBuilder::SectionHeaderOffset(index) + field;
}

std::size_t RelocationAt(std::uint32_t rva) {
    return Library().RawDataOffset(lib::kRelocIndex) + (rva - lib::kReloc);
}

const DamageCase kDamageCases[] = {
    {"NotMz", [](Bytes& b) { b[0] = 'X'; }, "LoadLibraryImage: dll dos header is not valid", false},
    {"Empty", [](Bytes& b) { b.clear(); }, "LoadLibraryImage: dll dos header is not valid", false},
    {"ShorterThanDosHeader", [](Bytes& b) { b.resize(40); },
     "LoadLibraryImage: dll dos header is not valid", false},
    {"LfanewAtNoSignature",
     [](Bytes& b) { Poke<std::int32_t>(b, offsetof(pe::IMAGE_DOS_HEADER, e_lfanew), 0x40); },
     "LoadLibraryImage: IMAGE_NT_SIGNATURE is not valid", false},
    {"LfanewBeyondTheBytes",
     [](Bytes& b) { Poke<std::int32_t>(b, offsetof(pe::IMAGE_DOS_HEADER, e_lfanew), 0x7FFFFFF0); },
     "LoadLibraryImage: IMAGE_NT_SIGNATURE is not valid", false},
    {"NegativeLfanew",
     [](Bytes& b) { Poke<std::int32_t>(b, offsetof(pe::IMAGE_DOS_HEADER, e_lfanew), -4); },
     "LoadLibraryImage: IMAGE_NT_SIGNATURE is not valid", false},
    {"SignatureOnly", [](Bytes& b) { b.resize(PeImageBuilder::kNtHeadersOffset + 8); },
     "LoadLibraryImage: IMAGE_NT_HEADERS32 is not valid", false},
    {"Pe32PlusImage", [](Bytes& b) { Poke<std::uint16_t>(b, kOptionalHeader, 0x20B); },
     "LoadLibraryImage: IMAGE_NT_HEADERS32 is not valid", false},
    {"ZeroSizeOfImage",
     [](Bytes& b) {
         Poke<std::uint32_t>(
             b, kOptionalHeader + offsetof(pe::IMAGE_OPTIONAL_HEADER32, SizeOfImage), 0);
     },
     "LoadLibraryImage: image headers are not valid", false},
    {"HeadersLongerThanTheBytes", [](Bytes& b) { b.resize(0x300); },
     "LoadLibraryImage: image headers are not valid", false},
    {"SectionTableBeyondTheHeaders",
     [](Bytes& b) {
         Poke<std::uint16_t>(b,
                             PeImageBuilder::kNtHeadersOffset +
                                 offsetof(pe::IMAGE_NT_HEADERS32, FileHeader) +
                                 offsetof(pe::IMAGE_FILE_HEADER, NumberOfSections),
                             100);
     },
     "LoadLibraryImage: image headers are not valid", false},
    {"TruncatedRawData", [](Bytes& b) { b.resize(b.size() - 0x100); },
     "LoadLibraryImage: section is outside the image", false},
    {"RawDataBeyondTheBytes",
     [](Bytes& b) {
         Poke<std::uint32_t>(
             b, SectionField(lib::kDataIndex, offsetof(pe::IMAGE_SECTION_HEADER, PointerToRawData)),
             0xFFFFFF00);
     },
     "LoadLibraryImage: section is outside the image", false},
    {"SectionBeyondSizeOfImage",
     [](Bytes& b) {
         Poke<std::uint32_t>(
             b, SectionField(lib::kTextIndex, offsetof(pe::IMAGE_SECTION_HEADER, VirtualAddress)),
             0x5800);
     },
     "LoadLibraryImage: section is outside the image", false},
    {"EntryPointBeyondTheImage",
     [](Bytes& b) {
         Poke<std::uint32_t>(
             b, kOptionalHeader + offsetof(pe::IMAGE_OPTIONAL_HEADER32, AddressOfEntryPoint),
             0x10000);
     },
     "LoadLibraryImage: Get DLLEntyPoint failed", true},
};

// Damage that only matters when the image must move.
const DamageCase kMovedDamageCases[] = {
    {"RelocationsStripped",
     [](Bytes& b) {
         Poke<std::uint16_t>(b, kFileCharacteristicsField,
                             pe::IMAGE_FILE_DLL | pe::IMAGE_FILE_RELOCS_STRIPPED);
     },
     "LoadLibraryImage: image cannot be relocated", true},
    {"RelocationBlockOfSizeZero",
     [](Bytes& b) { Poke<std::uint32_t>(b, RelocationAt(lib::kReloc + 4), 0); },
     "LoadLibraryImage: relocation data is not valid", true},
    {"RelocationBlockLongerThanTheDirectory",
     [](Bytes& b) { Poke<std::uint32_t>(b, RelocationAt(lib::kReloc + 4), 0x1000); },
     "LoadLibraryImage: relocation data is not valid", true},
    {"RelocationTargetBeyondTheImage",
     [](Bytes& b) { Poke<std::uint32_t>(b, RelocationAt(lib::kReloc), lib::kSizeOfImage - 2); },
     "LoadLibraryImage: relocation data is not valid", true},
    {"RelocationDirectoryBeyondTheImage",
     [](Bytes& b) {
         Poke<std::uint32_t>(b,
                             kOptionalHeader +
                                 offsetof(pe::IMAGE_OPTIONAL_HEADER32, DataDirectory) +
                                 pe::IMAGE_DIRECTORY_ENTRY_BASERELOC * 8,
                             0xFFFFFFF0);
     },
     "LoadLibraryImage: relocation data is not valid", true},
};

std::string DamageName(const ::testing::TestParamInfo<DamageCase>& param) {
    return param.param.name;
}

class DamagedImageTest : public LoaderTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedImageTest, FailsWithItsMessageAndKeepsNothing) {
    const std::uint32_t preferred = FreeBase();
    Bytes file = lib::Make(lib::At(preferred)).Build();
    GetParam().damage(file);
    EXPECT_EQ(Load(file), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), GetParam().message);
    EXPECT_EQ(fake.memory.released.size(), GetParam().reserved ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Loader, DamagedImageTest, ::testing::ValuesIn(kDamageCases), DamageName);

class DamagedMovedImageTest : public DamagedImageTest {};

TEST_P(DamagedMovedImageTest, FailsWithItsMessageAndKeepsNothing) {
    const std::uint32_t preferred = FreeBase();
    const TakenRegion taken(preferred, lib::kSizeOfImage);
    ASSERT_TRUE(taken.taken());
    Bytes file = lib::Make(lib::At(preferred)).Build();
    GetParam().damage(file);
    EXPECT_EQ(Load(file), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), GetParam().message);
    EXPECT_EQ(fake.memory.released.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Loader, DamagedMovedImageTest, ::testing::ValuesIn(kMovedDamageCases),
                         DamageName);

TEST_F(LoadTest, ImageWithoutRelocationsLoadsAtItsFreePreferredBase) {
    Bytes file = lib::Make(lib::At(FreeBase())).Build();
    Poke<std::uint16_t>(file, kFileCharacteristicsField,
                        pe::IMAGE_FILE_DLL | pe::IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_NE(Load(file), nullptr) << ImageLoaderLastError();
}

} // namespace
} // namespace launcher::testing

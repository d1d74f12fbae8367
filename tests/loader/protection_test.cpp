// Section protections and the release of discardable sections.

#include "loader/loader_fixture.h"
#include "support/memory_access.h"

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

namespace lib = test_library;
using platform::PAGE_EXECUTE, platform::PAGE_EXECUTE_READ, platform::PAGE_EXECUTE_READWRITE,
    platform::PAGE_EXECUTE_WRITECOPY, platform::PAGE_NOACCESS, platform::PAGE_NOCACHE,
    platform::PAGE_READONLY, platform::PAGE_READWRITE, platform::PAGE_WRITECOPY;
constexpr std::uint32_t X = pe::IMAGE_SCN_MEM_EXECUTE;
constexpr std::uint32_t R = pe::IMAGE_SCN_MEM_READ;
constexpr std::uint32_t W = pe::IMAGE_SCN_MEM_WRITE;
constexpr std::uint32_t kExtra = lib::kSizeOfImage; // an added section's address

class ProtectionTest : public LoaderTest {
protected:
    std::unique_ptr<ImageModule> LoadLibrary(std::uint32_t mode) {
        return Load(lib::Make(lib::At(FreeBase())).Build(), mode);
    }

    std::optional<std::uint32_t> ProtectionOf(const ImageModule& module, std::uint32_t rva) {
        return fake.memory.ProtectionAt(Base(module) + rva);
    }
};

TEST_F(ProtectionTest, EachSectionGetsItsProtection) {
    const auto module = LoadLibrary(kImageProtectSections);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_EQ(ProtectionOf(*module, lib::kText), PAGE_EXECUTE_READ);
    EXPECT_EQ(ProtectionOf(*module, lib::kData), PAGE_READWRITE);
    EXPECT_EQ(ProtectionOf(*module, lib::kRdata), PAGE_READONLY);
    EXPECT_EQ(ProtectionOf(*module, lib::kBss), PAGE_READWRITE);
    // Headers and the discardable section keep their read-write-execute pages.
    EXPECT_EQ(ProtectionOf(*module, 0), std::nullopt);
    EXPECT_EQ(ProtectionOf(*module, lib::kReloc), std::nullopt);
    EXPECT_FALSE(fake.memory.DecommittedAt(Base(*module) + lib::kReloc));

    // The kernel agrees.
    EXPECT_EQ(testing::mapping_access(Base(*module) + lib::kText), "r-xp");
    EXPECT_EQ(testing::mapping_access(Base(*module) + lib::kData), "rw-p");
    EXPECT_EQ(testing::mapping_access(Base(*module) + lib::kRdata), "r--p");
    EXPECT_EQ(testing::mapping_access(Base(*module) + lib::kReloc), "rwxp");
}

TEST_F(ProtectionTest, NothingChangesWithoutModeFlags) {
    const auto module = LoadLibrary(0);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_TRUE(fake.memory.changes.empty());
}

TEST_F(ProtectionTest, DiscardableSectionsAreDecommittedOnRequest) {
    const auto module = LoadLibrary(kImageProtectSections | kImageReleaseDiscardable);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_TRUE(fake.memory.DecommittedAt(Base(*module) + lib::kReloc));
    EXPECT_EQ(ProtectionOf(*module, lib::kText), PAGE_EXECUTE_READ);
}

TEST_F(ProtectionTest, AFailedProtectionIsRecordedAndLoadingGoesOn) {
    fake.memory.refuse_protect = true;
    const auto module = LoadLibrary(kImageProtectSections);
    EXPECT_NE(module, nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "FinalizeSections: VirtualProtect failed");
    EXPECT_TRUE(fake.memory.changes.empty());
}

struct ProtectionCase {
    std::uint32_t characteristics;
    std::uint32_t protection;
};

void PrintTo(const ProtectionCase& c, std::ostream* out) {
    *out << std::hex << "characteristics 0x" << c.characteristics;
}

class ProtectionTableTest : public ProtectionTest,
                            public ::testing::WithParamInterface<ProtectionCase> {};

TEST_P(ProtectionTableTest, SectionFlagsGiveTheTablesProtection) {
    auto builder = lib::Make(lib::At(FreeBase()));
    builder.sections.push_back({".extra", kExtra, 0x1000, std::vector<std::uint8_t>(0x200, 0x90),
                                GetParam().characteristics});
    const auto module = Load(builder.Build(), kImageProtectSections);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_EQ(ProtectionOf(*module, kExtra), GetParam().protection);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, ProtectionTableTest,
    ::testing::Values(
        ProtectionCase{0, PAGE_NOACCESS}, ProtectionCase{W, PAGE_WRITECOPY},
        ProtectionCase{R, PAGE_READONLY}, ProtectionCase{R | W, PAGE_READWRITE},
        ProtectionCase{X, PAGE_EXECUTE}, ProtectionCase{X | W, PAGE_EXECUTE_WRITECOPY},
        ProtectionCase{X | R, PAGE_EXECUTE_READ}, ProtectionCase{X | R | W, PAGE_EXECUTE_READWRITE},
        ProtectionCase{R | W | pe::IMAGE_SCN_MEM_NOT_CACHED, PAGE_READWRITE | PAGE_NOCACHE}));

} // namespace
} // namespace launcher::testing

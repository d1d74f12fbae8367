// Looking up a library image's exports.

#include "loader/loader_fixture.h"

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

namespace lib = test_library;

struct LookupCase {
    const char* name;
    std::uint32_t address; // 0: not found
};

void PrintTo(const LookupCase& lookup, std::ostream* out) {
    *out << '"' << lookup.name << '"';
}

class ExportLookupTest : public LoaderTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ExportLookupTest, FindsExactNamesOnly) {
    const auto module = Load(lib::Make(lib::At(FreeBase())).Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    void* found = ImageGetProcAddress(module.get(), GetParam().name);
    if (GetParam().address == 0) {
        EXPECT_EQ(found, nullptr);
        EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: exported symbol not found");
    } else {
        EXPECT_EQ(found, module->image_base + GetParam().address);
    }
}

INSTANTIATE_TEST_SUITE_P(Loader, ExportLookupTest,
                         ::testing::Values(LookupCase{"RARGetDllVersion", 0x1100},
                                           LookupCase{"RAROpenArchiveEx", 0x1180},
                                           LookupCase{"rargetdllversion", 0},
                                           LookupCase{"RARGETDLLVERSION", 0},
                                           LookupCase{"RARGetDllVersio", 0},
                                           LookupCase{"RARGetDllVersionX", 0}, LookupCase{"", 0}));

class ExportTest : public LoaderTest {
protected:
    // Loads the test library after `change` rewrote its export data in the
    // file, and looks up "RARGetDllVersion".
    template <typename Change>
    void* LookUpAfter(Change change, std::uint32_t mode = kImageProtectSections) {
        auto builder = lib::Make(lib::At(FreeBase()));
        change(builder);
        module_ = Load(builder.Build(), mode);
        EXPECT_NE(module_, nullptr) << ImageLoaderLastError();
        return ImageGetProcAddress(module_.get(), "RARGetDllVersion");
    }

    static void Put(PeImageBuilder& builder, std::uint32_t rva, std::uint32_t value) {
        Put32(builder.sections[lib::kRdataIndex].data, rva - lib::kRdata, value);
    }

    std::unique_ptr<ImageModule> module_;
};

TEST_F(ExportTest, NoExportTable) {
    auto options = lib::At(FreeBase());
    options.exports = false;
    const auto module = Load(lib::Make(options).Build());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ImageGetProcAddress(module.get(), "RARGetDllVersion"), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: no export table found");
}

TEST_F(ExportTest, NothingExported) {
    EXPECT_EQ(
        LookUpAfter([](PeImageBuilder& b) {
            Put(b, lib::kExportDirectory + offsetof(pe::IMAGE_EXPORT_DIRECTORY, NumberOfNames), 0);
        }),
        nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: DLL doesn't export anything");
}

TEST_F(ExportTest, NameOrdinalBeyondTheFunctions) {
    EXPECT_EQ(LookUpAfter([](PeImageBuilder& b) {
                  Put16(b.sections[lib::kRdataIndex].data, lib::kExportNameOrdinals - lib::kRdata,
                        3);
              }),
              nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: name <-> ordinal number don't match");
}

TEST_F(ExportTest, NamesOutsideTheImage) {
    EXPECT_EQ(LookUpAfter([](PeImageBuilder& b) {
                  Put(b,
                      lib::kExportDirectory + offsetof(pe::IMAGE_EXPORT_DIRECTORY, AddressOfNames),
                      0xFFFFFFF0);
              }),
              nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: export table is not valid");
}

TEST_F(ExportTest, FunctionAddressOutsideTheImage) {
    EXPECT_EQ(LookUpAfter([](PeImageBuilder& b) { Put(b, 0x3100, 0x7FFFFFFF); }), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: export table is not valid");
}

TEST_F(ExportTest, ExportTableInAnInaccessibleSection) {
    // Protections on: the lookup must not touch the section's pages.
    EXPECT_EQ(LookUpAfter([](PeImageBuilder& b) {
                  b.sections[lib::kRdataIndex].characteristics = pe::IMAGE_SCN_CNT_INITIALIZED_DATA;
              }),
              nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "ImageGetProcAddress: export table is not valid");
}

TEST_F(ExportTest, NoModule) {
    EXPECT_EQ(ImageGetProcAddress(nullptr, "RARGetDllVersion"), nullptr);
}

} // namespace
} // namespace launcher::testing

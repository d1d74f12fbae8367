// Resolving a library image's imports through the library resolver.

#include "loader/loader_fixture.h"

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

namespace lib = test_library;
using Strings = std::vector<std::string>;

class ImportTest : public LoaderTest {
protected:
    void SetUp() override {
        fake.libraries.Add("kernel32.dll", {{{"GetTickCount", 0x7C80934A}, {"Sleep", 0x7C802446}},
                                            {{5, 0x7C800050}}});
        fake.libraries.Add("user32.dll", {{{"MessageBoxA", 0x77D5050B}}, {}});
    }

    std::unique_ptr<ImageModule> LoadWithImports(std::vector<lib::ImportedLibrary> imports) {
        auto options = lib::At(FreeBase());
        options.imports = std::move(imports);
        return Load(lib::Make(options).Build());
    }
};

TEST_F(ImportTest, FillsTheAddressTablesByNameAndByOrdinal) {
    const auto module = LoadWithImports({
        {"kernel32.dll", {{"GetTickCount", 0}, {"", 5}, {"Sleep", 0}}, true},
        // Without a lookup table the address table itself names the imports.
        {"user32.dll", {{"MessageBoxA", 0}}, false},
    });
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();

    EXPECT_EQ(Read32(*module, lib::AddressTable(0)), 0x7C80934Au);
    EXPECT_EQ(Read32(*module, lib::AddressTable(0) + 4), 0x7C800050u);
    EXPECT_EQ(Read32(*module, lib::AddressTable(0) + 8), 0x7C802446u);
    EXPECT_EQ(Read32(*module, lib::AddressTable(0) + 12), 0u);
    EXPECT_EQ(Read32(*module, lib::AddressTable(1)), 0x77D5050Bu);
    EXPECT_EQ(fake.libraries.loaded, (Strings{"kernel32.dll", "user32.dll"}));
    EXPECT_EQ(module->libraries.size(), 2u);
}

TEST_F(ImportTest, AMissingLibraryStopsLoadingAndReleasesWhatWasTaken) {
    const auto module = LoadWithImports({
        {"kernel32.dll", {{"Sleep", 0}}, true},
        {"missing.dll", {{"Anything", 0}}, true},
        {"user32.dll", {{"MessageBoxA", 0}}, true},
    });
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "BuildImportTable: can't load library: missing.dll "
                                      "LoadLibraryImage: BuildImportTable failed");
    // No further descriptor is looked at.
    EXPECT_EQ(fake.libraries.loaded, Strings{"kernel32.dll"});
    EXPECT_EQ(fake.libraries.released, Strings{"kernel32.dll"});
    EXPECT_EQ(fake.memory.released.size(), 1u);
}

TEST_F(ImportTest, AMissingFunctionFailsAfterTheRemainingLibrariesAreResolved) {
    const auto module = LoadWithImports({
        {"kernel32.dll", {{"NoSuchFunction", 0}}, true},
        {"user32.dll", {{"MessageBoxA", 0}}, true},
    });
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(ImageLoaderLastError(),
              "BuildImportTable: GetProcAddress failed LoadLibraryImage: BuildImportTable failed");
    EXPECT_EQ(fake.libraries.loaded, (Strings{"kernel32.dll", "user32.dll"}));
    EXPECT_EQ(fake.libraries.released, (Strings{"kernel32.dll", "user32.dll"}));
}

TEST_F(ImportTest, AMissingOrdinalFails) {
    const auto module = LoadWithImports({{"kernel32.dll", {{"", 6}}, true}});
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(ImageLoaderLastError(),
              "BuildImportTable: GetProcAddress failed LoadLibraryImage: BuildImportTable failed");
}

TEST_F(ImportTest, ImportDataOutsideTheImageFails) {
    auto options = lib::At(FreeBase());
    options.imports = {{"kernel32.dll", {{"Sleep", 0}}, true}};
    auto builder = lib::Make(options);
    // The descriptor table starts a few bytes before the end of the image.
    builder.directories[pe::IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress = lib::kSizeOfImage - 8;
    EXPECT_EQ(Load(builder.Build()), nullptr);
    EXPECT_EQ(
        ImageLoaderLastError(),
        "BuildImportTable: import data is not valid LoadLibraryImage: BuildImportTable failed");
    EXPECT_EQ(fake.memory.released.size(), 1u);
}

} // namespace
} // namespace launcher::testing

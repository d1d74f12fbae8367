// Calling a library image's entry point for attach and detach.

#include "loader/loader_fixture.h"

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

namespace lib = test_library;
using Call = RecordingEntryPointCaller::Call;
using Calls = std::vector<Call>;

class EntryPointTest : public LoaderTest {};

TEST_F(EntryPointTest, AttachesOnLoadAndDetachesOnRelease) {
    auto module = Load(lib::Make(lib::At(FreeBase())).Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    const std::uintptr_t base = Base(*module);
    EXPECT_TRUE(module->initialized);
    EXPECT_EQ(fake.entry_point.calls, (Calls{{base + lib::kEntryPoint, base, 1}}));

    FreeLibraryImage(std::move(module));
    EXPECT_EQ(fake.entry_point.calls,
              (Calls{{base + lib::kEntryPoint, base, 1}, {base + lib::kEntryPoint, base, 0}}));
}

TEST_F(EntryPointTest, ImageWithoutEntryPointIsReturnedUninitialized) {
    auto options = lib::At(FreeBase());
    options.entry_point = 0;
    auto module = Load(lib::Make(options).Build());
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_FALSE(module->initialized);
    FreeLibraryImage(std::move(module));
    EXPECT_TRUE(fake.entry_point.calls.empty());
}

TEST_F(EntryPointTest, NotCalledWhenNotAskedFor) {
    auto module = Load(lib::Make(lib::At(FreeBase())).Build(), kImageProtectSections, false);
    ASSERT_NE(module, nullptr) << ImageLoaderLastError();
    EXPECT_FALSE(module->initialized);
    FreeLibraryImage(std::move(module));
    EXPECT_TRUE(fake.entry_point.calls.empty());
}

TEST_F(EntryPointTest, RefusedAttachFailsWithoutDetach) {
    fake.entry_point.result = platform::EntryPointResult::Failed;
    EXPECT_EQ(Load(lib::Make(lib::At(FreeBase())).Build()), nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "LoadLibraryImage: Can't attach library");
    ASSERT_EQ(fake.entry_point.calls.size(), 1u);
    EXPECT_EQ(fake.entry_point.calls[0].reason, pe::DLL_PROCESS_ATTACH);
    EXPECT_EQ(fake.memory.released.size(), 1u);
}

TEST_F(EntryPointTest, ThisProcessCannotRunTheEntryPoint) {
    const auto system_caller = platform::MakeSystemEntryPointCaller();
    const std::vector<std::uint8_t> file = lib::Make(lib::At(FreeBase())).Build();
    ImageLoaderPlatform services = fake.services();
    services.entry_point = system_caller.get();
    EXPECT_EQ(LoadLibraryImage(file.data(), kImageProtectSections, true, file.size(), services),
              nullptr);
    EXPECT_EQ(ImageLoaderLastError(), "LoadLibraryImage: Can't attach library: this process "
                                      "cannot run the library's 32-bit code");
    EXPECT_EQ(fake.memory.released.size(), 1u);
}

} // namespace
} // namespace launcher::testing

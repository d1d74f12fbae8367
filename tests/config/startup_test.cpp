#include "config/config_package.h"
#include "config/startup.h"
#include "config_fixtures.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using platform::Bytes;
using platform::MemoryStream;

// A decoded configuration stream: two empty window parts, then the text.
Bytes stream_with(std::int32_t main_version, std::int32_t settings_version, std::string_view text) {
    MemoryStream stream;
    stream.write_int(main_version);
    stream.write_int<std::int32_t>(0);
    stream.write_int(settings_version);
    stream.write_int<std::int32_t>(0);
    stream.write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    return stream.release();
}

tConfigData::ResourceSource resource_of(const Bytes& decoded) {
    auto resource = std::make_shared<Bytes>(EncodeConfigPackage(decoded));
    return [resource] { return std::optional(std::span<const std::uint8_t>(*resource)); };
}

TEST(StartupTest, TextAfterBothSkinPartsConfiguresTheRun) {
    const auto state =
        RunStartup({}, resource_of(stream_with(12346, 23457, "[config]\ninstance=Realm\n")));
    EXPECT_EQ(state.InstanceTitle, "Realm");
    EXPECT_EQ(state.ConfigData->Config.LangFolder, "default;system");
    EXPECT_FALSE(state.command_line.DebugMode);
    EXPECT_FALSE(state.DebugFile->enabled);
}

TEST(StartupTest, WithoutAPackageEverythingStaysEmpty) {
    // The debug log goes into the current folder: a folder of the test's own.
    testing::TempDir dir;
    testing::CurrentDirectory in_dir(dir.path());
    const auto state =
        RunStartup({"-debug"}, [] { return std::optional<std::span<const std::uint8_t>>(); });
    EXPECT_EQ(state.InstanceTitle, "AutoUpdater");
    EXPECT_TRUE(state.Skin->MainWindow.BackGroundImage.image.empty());
    EXPECT_EQ(state.DebugFile->lines(),
              (std::vector<std::string>{"config created", "  try load config"}));
    EXPECT_EQ(platform::read_file_text(dir / "log.err"), "config created\r\n  try load config\r\n");
}

TEST(StartupTest, AWrongMainVersionLeavesTheSkinEmptyAndTheReadersShifted) {
    // The main reader takes only the 4 version bytes; the settings reader then
    // takes the main part's count (0) as its version. The text parser starts at
    // the settings part's bytes, whose zero bytes end the text before "[config]".
    const auto state =
        RunStartup({}, resource_of(stream_with(12345, 23457, "\n[config]\ninstance=unreached\n")));
    EXPECT_TRUE(state.Skin->MainWindow.BackGroundImage.image.empty());
    EXPECT_EQ(state.InstanceTitle, "AutoUpdater");
    EXPECT_EQ(state.ConfigData->Config.LangFolder, "default;system");
}

TEST(StartupTest, ADamagedSkinEndsStartUpWithItsReadError) {
    MemoryStream stream;
    stream.write_int<std::int32_t>(12346);
    stream.write_int<std::int32_t>(1);
    stream.write_int<std::uint8_t>(2);       // a button record
    stream.write_int<std::int64_t>(1000000); // whose block runs past the data
    EXPECT_THROW(RunStartup({}, resource_of(stream.release())), platform::StreamReadError);
}

} // namespace
} // namespace launcher

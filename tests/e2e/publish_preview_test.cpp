// launcher-publish preview: draws a skin's window into a PNG file from a skin
// folder or from the package inside a built launcher.
#include "platform/files.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::run_process;
using testing::TempDir;

const std::string kCli = LAUNCHER_CLI;
const std::string kPublish = LAUNCHER_PUBLISH;
const std::filesystem::path kAssets = LAUNCHER_ASSETS;

struct PngSize {
    std::uint32_t width = 0, height = 0;
    friend bool operator==(const PngSize&, const PngSize&) = default;
};

// The size from the PNG header, after checking the signature.
PngSize png_size(const platform::Bytes& png) {
    static constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(png.size(), 24u);
    if (png.size() < 24 || !std::equal(std::begin(signature), std::end(signature), png.begin()))
        return {};
    const auto be32 = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
               std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    return {be32(16), be32(20)};
}

TEST(PublishPreviewTest, DrawsTheDefaultSkinFromItsFolderAndFromTheLauncher) {
    TempDir dir;
    const auto from_folder = dir / "folder.png";
    auto result = run_process({kPublish, "preview", "--skin", (kAssets / "skin").string(),
                               "--output", from_folder.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("800x650"), std::string::npos) << result.output;
    const platform::Bytes folder_png = platform::read_file(from_folder);
    EXPECT_EQ(png_size(folder_png), (PngSize{800, 650}));

    // The built launcher carries the default skin: the same picture.
    const auto from_launcher = dir / "launcher.png";
    result =
        run_process({kPublish, "preview", "--package", kCli, "--output", from_launcher.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(platform::read_file(from_launcher), folder_png);
}

TEST(PublishPreviewTest, OptionsChangeThePicture) {
    TempDir dir;
    const auto draw = [&](std::vector<std::string> options) {
        const auto output = dir / "out.png";
        std::vector<std::string> command = {kPublish,   "preview",
                                            "--skin",   (kAssets / "skin").string(),
                                            "--output", output.string()};
        command.insert(command.end(), options.begin(), options.end());
        const auto result = run_process(command);
        EXPECT_EQ(result.exit_code, 0) << result.output;
        return platform::read_file(output);
    };
    const platform::Bytes normal = draw({});
    EXPECT_NE(draw({"--state", "over"}), normal);
    EXPECT_NE(draw({"--state", "DOWN"}), normal);
    EXPECT_NE(draw({"--state", "disabled"}), normal);
    EXPECT_NE(draw({"--progress", "90"}), normal);
    EXPECT_NE(draw({"--show-hidden"}), normal);
    EXPECT_EQ(png_size(draw({"--window", "settings"})), (PngSize{520, 360}));
}

TEST(PublishPreviewTest, RefusesWhatItCannotDrawAndWritesNothing) {
    TempDir dir;
    const auto output = dir / "out.png";
    const auto skin = (kAssets / "skin").string();
    const std::vector<std::vector<std::string>> refused = {
        {kPublish, "preview", "--output", output.string()},
        {kPublish, "preview", "--skin", skin, "--package", kCli, "--output", output.string()},
        {kPublish, "preview", "--skin", skin},
        {kPublish, "preview", "--skin", skin, "--output", output.string(), "--progress", "101"},
        {kPublish, "preview", "--skin", skin, "--output", output.string(), "--state", "hover"},
        {kPublish, "preview", "--package", dir.write("plain.txt", "no launcher").string(),
         "--output", output.string()},
        {kPublish, "preview", "--skin", dir.path().string(), "--output", output.string()}};
    for (const auto& command : refused) {
        const auto result = run_process(command);
        EXPECT_NE(result.exit_code, 0) << result.output;
        EXPECT_FALSE(std::filesystem::exists(output)) << result.output;
    }
}

} // namespace
} // namespace launcher

// launcher-publish tells the publisher what in a skin the launcher reads
// otherwise than meant (package and preview warn, package --strict writes
// nothing), and makes a main window outline from an image (region).
#include "bmp_fixtures.h"
#include "platform/files.h"
#include "skin/bmp_encoder.h"
#include "skin/region.h"
#include "skin/skin_apply.h"
#include "skin/skin_members.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::run_process;
using testing::TempDir;

const std::string kPublish = LAUNCHER_PUBLISH;
const std::filesystem::path kAssets = LAUNCHER_ASSETS;

std::string as_text(const platform::Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A copy of the default skin to spoil.
std::filesystem::path copy_default_skin(const TempDir& dir) {
    const auto skin = dir / "skin";
    std::filesystem::copy(kAssets / "skin", skin, std::filesystem::copy_options::recursive);
    return skin;
}

// Replaces the line starting with "KEY=" of a parameter file.
void set_parameter(const std::filesystem::path& file, const std::string& key,
                   const std::string& line) {
    std::string text = platform::read_file_text(file);
    const auto at = text.find(key + "=");
    ASSERT_NE(at, std::string::npos) << file;
    text.replace(at, text.find('\n', at) - at, line);
    platform::write_file_atomic(file, text);
}

void write_region(const std::filesystem::path& file, std::vector<Rect> rects) {
    platform::write_file_atomic(file, as_text(RgnDataFromRegion(Region(rects))));
}

struct SpoiltSkin {
    const char* name;
    std::function<void(const std::filesystem::path& skin)> spoil;
    const char* file; // the file the warning names, below the skin folder
    const char* says;
};

class PackageSkinCheck : public ::testing::TestWithParam<SpoiltSkin> {};

TEST_P(PackageSkinCheck, WarnsNamingTheFileAndStrictWritesNothing) {
    const SpoiltSkin& c = GetParam();
    TempDir dir;
    const auto skin = copy_default_skin(dir);
    c.spoil(skin);
    const auto config = (kAssets / "config.txt").string();
    const std::string warning = "warning: " + (skin / c.file).string() + ": ";

    const auto package = dir / "package.bin";
    auto result = run_process({kPublish, "package", "--skin", skin.string(), "--config", config,
                               "--package-file", package.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find(warning), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(c.says), std::string::npos) << result.output;
    EXPECT_TRUE(std::filesystem::exists(package));

    const auto strict = dir / "strict.bin";
    result = run_process({kPublish, "package", "--strict", "--skin", skin.string(), "--config",
                          config, "--package-file", strict.string()});
    EXPECT_NE(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find(warning), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("nothing was written (--strict)"), std::string::npos)
        << result.output;
    EXPECT_FALSE(std::filesystem::exists(strict));
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, PackageSkinCheck,
    ::testing::Values(
        SpoiltSkin{"typo_in_a_key",
                   [](const std::filesystem::path& skin) {
                       set_parameter(skin / "main/Button_StartGame.txt", "Left", "Lef=600");
                   },
                   "main/Button_StartGame.txt",
                   "\"Lef\" is not a parameter of Button_StartGame and is not read"},
        SpoiltSkin{"flag_with_a_capital",
                   [](const std::filesystem::path& skin) {
                       set_parameter(skin / "settings/Text_Title.txt", "Visible", "Visible=True");
                   },
                   "settings/Text_Title.txt", "Visible=True is read as false"},
        SpoiltSkin{"outline_of_another_size",
                   [](const std::filesystem::path& skin) {
                       write_region(skin / "main/BackGroundImage.region.rgn", {{0, 0, 820, 640}});
                   },
                   "main/BackGroundImage.region.rgn",
                   "the outline spans 820 x 640 pixels, but the background is 800 x 650"},
        SpoiltSkin{"control_outside_the_window",
                   [](const std::filesystem::path& skin) {
                       set_parameter(skin / "main/Gauge_Total.txt", "Top", "Top=660");
                   },
                   "main/Gauge_Total.txt", "lies outside the 800 x 650 window"},
        SpoiltSkin{"window_larger_than_1280_x_1024",
                   [](const std::filesystem::path& skin) {
                       platform::write_file_atomic(
                           skin / "main/BackGroundImage.image.bmp",
                           as_text(encode_bmp_24(Bitmap(1300, 660, argb(40, 50, 60)))));
                       write_region(skin / "main/BackGroundImage.region.rgn", {{0, 0, 1300, 660}});
                   },
                   "main/BackGroundImage.image.bmp", "1300 x 660, larger than 1280 x 1024"},
        SpoiltSkin{"region_file_that_is_not_region_data",
                   [](const std::filesystem::path& skin) {
                       platform::write_file_atomic(skin / "main/BackGroundImage.region.rgn",
                                                   "0,0,800,650\n");
                   },
                   "main/BackGroundImage.region.rgn", "the outline is not region data"},
        SpoiltSkin{"hover_image_reaching_outside",
                   [](const std::filesystem::path& skin) {
                       platform::write_file_atomic(
                           skin / "main/Button_Close.over.bmp",
                           as_text(encode_bmp_24(Bitmap(60, 26, argb(200, 60, 60)))));
                   },
                   "main/Button_Close.over.bmp",
                   "the hover image (60 x 26) of Button_Close at 748, 10 reaches outside"},
        SpoiltSkin{"overlapping_buttons",
                   [](const std::filesystem::path& skin) {
                       set_parameter(skin / "main/Button_Cancel.txt", "Top", "Top=500");
                   },
                   "main/Button_Cancel.txt", "overlaps Button_StartGame"},
        SpoiltSkin{"caption_without_its_control",
                   [](const std::filesystem::path& skin) {
                       set_parameter(skin / "settings/Box_Proxy.txt", "Visible", "Visible=false");
                   },
                   "settings/Text_Proxy.txt",
                   "Text_Proxy is visible, but its control Box_Proxy is not"},
        SpoiltSkin{"settings_background_of_one_colour",
                   [](const std::filesystem::path& skin) {
                       platform::write_file_atomic(
                           skin / "settings/BackGroundImage.image.bmp",
                           as_text(encode_bmp_24(Bitmap(520, 360, argb(30, 34, 44)))));
                   },
                   "settings/BackGroundImage.image.bmp",
                   "the settings background is all one "
                   "colour"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST(PackageSkinCheck, DamagedRunLengthDataAreRefusedAsADamagedImage) {
    // A run that passes the end of its row, as bmpsuite's bad run-length
    // files have: drawn, it would spill into the next row. Like any image
    // that does not decode, it stops the package, naming the file.
    TempDir dir;
    const auto skin = copy_default_skin(dir);
    testing::BmpFixture damaged;
    damaged.bits = 8;
    damaged.compression = 1;
    damaged.width = 30;
    damaged.height = 26;
    damaged.palette = {0xFF000000, 0xFFFFFFFF};
    damaged.run_length_codes = {40, 1, 0, 1};
    const auto file = skin / "main/Button_Close.over.bmp";
    platform::write_file_atomic(file, as_text(testing::make_bmp(damaged)));
    const auto package = dir / "package.bin";
    const auto result =
        run_process({kPublish, "package", "--skin", skin.string(), "--config",
                     (kAssets / "config.txt").string(), "--package-file", package.string()});
    EXPECT_NE(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find(file.string() + " (over): Invalid BMP image: a run at byte 0 "
                                                 "passes the end of row 1"),
              std::string::npos)
        << result.output;
    EXPECT_FALSE(std::filesystem::exists(package));
}

TEST(PreviewSkinCheck, WarnsAndStillDraws) {
    TempDir dir;
    const auto skin = copy_default_skin(dir);
    set_parameter(skin / "main/Button_Close.txt", "Visible", "Visible=TRUE");
    const auto png = dir / "main.png";
    const auto result =
        run_process({kPublish, "preview", "--skin", skin.string(), "--output", png.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("warning: " + (skin / "main/Button_Close.txt").string() +
                                 ": Visible=TRUE is read as false"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(std::filesystem::exists(png));
}

TEST(PreviewSkinCheck, TheDefaultSkinGivesNoWarning) {
    TempDir dir;
    const auto result = run_process({kPublish, "preview", "--skin", (kAssets / "skin").string(),
                                     "--output", (dir / "main.png").string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(result.output.find("warning"), std::string::npos) << result.output;
}

// The outline as the launcher reads it from a skin's region data.
std::optional<Region> read_as_the_launcher_does(const std::filesystem::path& file) {
    TqorBackGround background;
    const platform::Bytes bytes = platform::read_file(file);
    background.region.write(bytes);
    return MainWindowRegion(background);
}

void expect_outline_of(const Region& outline, const Bitmap& image,
                       const std::function<bool(std::uint32_t)>& inside) {
    for (int y = -1; y <= image.height(); ++y)
        for (int x = -1; x <= image.width(); ++x) {
            const bool expected = image.contains(x, y) && inside(image.pixel(x, y));
            ASSERT_EQ(outline.Contains(x, y), expected) << x << ", " << y;
        }
}

// A window shape: a rounded frame with a hole, on a key-coloured ground.
Bitmap shaped_image(std::uint32_t outside, std::uint32_t inside) {
    Bitmap image(23, 17, outside);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool corner = (x < 3 || x > 19) && (y < 3 || y > 13);
            const bool hole = x > 9 && x < 13 && y > 6 && y < 10;
            if (!corner && !hole)
                image.set_pixel(x, y, inside | static_cast<std::uint32_t>(x * 3 + y));
        }
    return image;
}

TEST(RegionCommand, KeyColourOutlineReadsBackAsTheImagesOtherPixels) {
    TempDir dir;
    const Bitmap image = shaped_image(argb(255, 0, 255), argb(10, 80, 0));
    const auto bmp = dir.write("background.bmp", as_text(encode_bmp_24(image)));
    const auto rgn = dir / "outline.rgn";
    const auto result = run_process(
        {kPublish, "region", bmp.string(), "--key-colour", "FF00FF", "--output", rgn.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("Wrote the outline of"), std::string::npos) << result.output;
    const auto outline = read_as_the_launcher_does(rgn);
    ASSERT_TRUE(outline);
    expect_outline_of(*outline, image,
                      [](std::uint32_t pixel) { return (pixel & 0xFFFFFF) != 0xFF00FF; });
}

TEST(RegionCommand, AlphaOutlineReadsBackAsTheImagesOpaquePixels) {
    TempDir dir;
    testing::BmpFixture fixture;
    fixture.bits = 32;
    fixture.header_size = 124;
    fixture.alpha_mask_field = 0xFF000000;
    fixture.image = shaped_image(argb(200, 200, 200, 0), argb(10, 80, 0, 255));
    fixture.image.set_pixel(5, 5, argb(1, 2, 3, 100)); // less than half opaque
    const auto bmp = dir.write("background.bmp", as_text(testing::make_bmp(fixture)));
    const auto rgn = dir / "outline.rgn";
    const auto result =
        run_process({kPublish, "region", bmp.string(), "--alpha", "--output", rgn.string()});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const auto outline = read_as_the_launcher_does(rgn);
    ASSERT_TRUE(outline);
    expect_outline_of(*outline, fixture.image,
                      [](std::uint32_t pixel) { return (pixel >> 24) >= 128; });
    EXPECT_FALSE(outline->Contains(5, 5));
}

TEST(RegionCommand, RefusesWhatCannotGiveAnOutline) {
    TempDir dir;
    const auto plain = dir.write("plain.bmp", as_text(encode_bmp_24(Bitmap(4, 4))));
    const auto bad = dir.write("bad.bmp", "BM not an image");
    const auto rgn = dir / "out.rgn";
    struct Case {
        std::vector<std::string> arguments;
        const char* says;
    };
    const Case cases[] = {
        {{plain.string(), "--alpha"}, "has no alpha mask"},
        {{plain.string(), "--key-colour", "00000"}, "six hexadecimal digits"},
        {{plain.string(), "--key-colour", "000000"}, "No pixel of"},
        {{plain.string()}, "Give either --key-colour RRGGBB or --alpha"},
        {{plain.string(), "--alpha", "--key-colour", "FF00FF"}, "excludes"},
        {{bad.string(), "--key-colour", "FF00FF"}, "bad.bmp: Invalid BMP image"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{kPublish, "region"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"--output", rgn.string()});
        const auto result = run_process(arguments);
        EXPECT_NE(result.exit_code, 0) << c.says;
        EXPECT_NE(result.output.find(c.says), std::string::npos) << result.output;
        EXPECT_FALSE(std::filesystem::exists(rgn)) << c.says;
    }
}

} // namespace
} // namespace launcher

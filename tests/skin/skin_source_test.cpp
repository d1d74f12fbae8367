#include "bmp_fixtures.h"
#include "platform/files.h"
#include "skin/bmp_encoder.h"
#include "skin/skin_config.h"
#include "skin/skin_source.h"
#include "skin_stream_builder.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using namespace launcher::testing;
using std::string_literals::operator""s;

std::string as_text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A folder that uses every feature of the format.
void write_rich_folder(const TempDir& dir) {
    dir.write("bg.bmp", as_text(encode_bmp_24(make_test_image(8, 6))));
    dir.write("bg2.bmp", as_text(encode_bmp_24(make_test_image(3, 3))));
    dir.write("outline.rgn", "\x20\0\0\0region"s);
    dir.write("close.txt", "\xEF\xBB\xBFLeft=608\r\nTop=6\r\n");
    dir.write("close.bmp", as_text(encode_bmp_24(make_test_image(2, 2))));
    dir.write("script.txt", "on click\n");
    dir.write("empty.txt", "");
    dir.write("raw200.bin", "opaque");
    dir.write("g.txt", "Width=200");
    dir.write("f.bmp", as_text(encode_bmp_24(make_test_image(4, 1))));
    dir.write("ok.txt", "Left=400\nTop=304");
    dir.write("index.txt", R"(; test skin
[main]
BackGroundImage
  image = bg.bmp
  region = outline.rgn
Button_Close
  parameters = close.txt
  btn_script = script.txt
  over = close.bmp
200
  block = raw200.bin
Text_Title
Text_Status
  parameters = empty.txt
Gauge_Total
  parameters = g.txt
  BTex = f.bmp
BackGroundImage
  image = bg2.bmp
[settings]
Button_Ok
  parameters = ok.txt
)");
}

TEST(ComposeSkinStream, LaysOutBothPartsAsTheLauncherReadsThem) {
    TempDir dir;
    write_rich_folder(dir);
    const auto read = [&](std::string_view name) { return platform::read_file(dir / name); };
    const Bytes expected = cat(
        {part(12346, 7,
              cat({record(1, block(cat({block(read("bg.bmp")), block(read("outline.rgn"))}))),
                   record(5, block(cat({block(read("close.txt")), block(read("script.txt")),
                                        empty_block(), block(read("close.bmp")), empty_block(),
                                        empty_block(), empty_block()}))),
                   record(200, block(read("raw200.bin"))), record(10, empty_block()),
                   record(11, block(empty_block())),
                   record(14,
                          block(cat({block(read("g.txt")), empty_block(), block(read("f.bmp"))}))),
                   record(1, block(cat({block(read("bg2.bmp")), empty_block()})))})),
         part(23457, 1, record(13, block(block(read("ok.txt")))))});
    EXPECT_EQ(ComposeSkinStream(dir.path()), expected);
}

TEST(ComposeSkinStream, EmptyIndexGivesTwoEmptyParts) {
    TempDir dir;
    dir.write("index.txt", "[main]\n[settings]\n");
    EXPECT_EQ(ComposeSkinStream(dir.path()), cat({part(12346, 0), part(23457, 0)}));
}

struct BadFolder {
    const char* name;
    const char* index;   // nullptr: no index at all
    const char* message; // part of the expected error
};

class ComposeErrors : public ::testing::TestWithParam<BadFolder> {};

TEST_P(ComposeErrors, ReportTheProblem) {
    TempDir dir;
    dir.write("ok.txt", "Left=1");
    dir.write("bad.bmp", "BM but not an image");
    if (GetParam().index)
        dir.write("index.txt", GetParam().index);
    try {
        ComposeSkinStream(dir.path());
        FAIL() << "no error for " << GetParam().name;
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ComposeErrors,
    ::testing::Values(
        BadFolder{"missing_index", nullptr, "index.txt"},
        BadFolder{"unknown_member", "[main]\nButton_Play\nparameters = ok.txt\n",
                  "index.txt:2: unknown member \"Button_Play\""},
        BadFolder{"settings_member_in_main", "[main]\nButton_Ok\n", "unknown member \"Button_Ok\""},
        BadFolder{"unknown_type_in_settings", "[settings]\n200\n", "settings window"},
        BadFolder{"unknown_section", "[fonts]\n", "unknown section [fonts]"},
        BadFolder{"twice_section", "[main]\n[main]\n", "appears twice"},
        BadFolder{"member_before_section", "Text_Title\n", "before [main]"},
        BadFolder{"field_before_member", "[main]\nparameters = ok.txt\n", "before any member"},
        BadFolder{"unknown_field", "[main]\nText_Title\ncommon = ok.txt\n",
                  "\"common\" is not a field of Text_Title"},
        BadFolder{"field_of_unknown_type", "[main]\n200\nparameters = ok.txt\n", "is not a field"},
        BadFolder{"field_twice", "[main]\nText_Title\nparameters = ok.txt\nparameters = ok.txt\n",
                  "given twice"},
        BadFolder{"block_and_field", "[main]\nText_Title\nblock = ok.txt\nparameters = ok.txt\n",
                  "cannot be combined"},
        BadFolder{"no_file_name", "[main]\nText_Title\nparameters =\n", "no file given"},
        BadFolder{"missing_file", "[main]\nText_Title\nparameters = absent.txt\n", "absent.txt"},
        BadFolder{"invalid_bmp", "[main]\nButton_Close\ncommon = bad.bmp\n", "bad.bmp"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(DecomposeSkinStream, ComposingTheFolderAgainGivesTheSameBytes) {
    TempDir source;
    write_rich_folder(source);
    const Bytes skin = ComposeSkinStream(source.path());
    const Bytes stream = cat({skin, text_bytes("[config]\r\nInstance=x\r\n")});
    TempDir target;
    EXPECT_EQ(DecomposeSkinStream(stream, target / "skin"), skin.size());
    EXPECT_EQ(ComposeSkinStream(target / "skin"), skin);
    // Files keep their bytes: the BOM and CR LF of a parameter list included.
    EXPECT_EQ(platform::read_file(target / "skin/main/Button_Close.txt"),
              platform::read_file(source / "close.txt"));
    EXPECT_EQ(platform::read_file(target / "skin/main/BackGroundImage-2.image.bmp"),
              platform::read_file(source / "bg2.bmp"));
}

TEST(DecomposeSkinStream, KeepsBlocksTheFieldsCannotReproduce) {
    const Bytes bmp = encode_bmp_24(make_test_image(2, 2));
    const Bytes main_records = cat({
        record(10, block(cat({block(text_bytes("Left=1")), text_bytes("trailing")}))),
        record(11, block(empty_block())), // one empty sub-block
        record(2, block(cat({empty_block(), empty_block(), block(bmp), empty_block(), empty_block(),
                             empty_block(), empty_block()}))),
        record(0, block(text_bytes("skipped by the launcher"))),
        record(12, empty_block()),
    });
    const Bytes skin = cat({part(12346, 5, main_records), part(23457, 0)});
    TempDir target;
    EXPECT_EQ(DecomposeSkinStream(skin, target.path()), skin.size());
    EXPECT_EQ(ComposeSkinStream(target.path()), skin);
    EXPECT_EQ(platform::read_file(target / "main/Button_StartGame.common.bmp"), bmp);
}

TEST(DecomposeSkinStream, RefusesWhatIsNotTwoWholeParts) {
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"wrong_main_version", cat({part(12345, 0), part(23457, 0)})},
        {"wrong_settings_version", cat({part(12346, 0), part(23456, 0)})},
        {"no_settings_part", part(12346, 0)},
        {"record_missing", cat({part(12346, 1), part(23457, 0)})},
        {"block_past_end", cat({i32(12346), i32(1), Bytes{10}, i64(99), text_bytes("x")})},
        {"unknown_settings_type", cat({part(12346, 0), part(23457, 1, record(14, empty_block()))})},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        TempDir target;
        EXPECT_THROW(DecomposeSkinStream(c.bytes, target.path()), std::runtime_error) << c.name;
    }
}

} // namespace
} // namespace launcher

#include "bmp_fixtures.h"
#include "skin/bmp_decoder.h"
#include "skin/bmp_encoder.h"
#include "skin/skin_windows.h"
#include "skin_stream_builder.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using namespace launcher::testing;
using platform::MemoryStream;
using platform::StreamReadError;

// Member blocks whose parameter sub-block is `text` and every other sub-block empty.
Bytes button_member(std::string_view text) {
    return block(cat({block(text_bytes(text)), empty_block(), empty_block(), empty_block(),
                      empty_block(), empty_block(), empty_block()}));
}
Bytes gauge_member(std::string_view text) {
    return block(cat({block(text_bytes(text)), empty_block(), empty_block()}));
}

TEST(TqorMainWindow, VersionWithZeroCountConsumesEightBytes) {
    MemoryStream stream(cat({part(12346, 0), text_bytes("[config]")}));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(stream.position(), 8u);
    EXPECT_TRUE(window.BackGroundImage.image.empty());
}

TEST(TqorMainWindow, NegativeCountReadsNoRecords) {
    MemoryStream stream(cat({part(12346, -3), record(10, parameters_member("Left=1"))}));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(stream.position(), 8u);
    EXPECT_TRUE(window.Text_Title.parameters.empty());
}

TEST(TqorMainWindow, WrongVersionConsumesOnlyTheVersion) {
    // The settings reader then takes the main part's count as its version.
    MemoryStream stream(cat({i32(12345), i32(23457), i32(0), text_bytes("rest")}));
    TqorMainWindow main;
    TqorConfigWindow settings;
    main.LoadFromStream(stream);
    EXPECT_EQ(stream.position(), 4u);
    settings.LoadFromStream(stream);
    EXPECT_EQ(stream.position(), 12u);
}

TEST(TqorMainWindow, UnknownRecordTypesArePassedOverByLength) {
    const Bytes records =
        cat({record(0, block(text_bytes("junk that looks like nothing"))),
             record(10, parameters_member("Left=1")), record(200, block(Bytes(50, 0xFF))),
             record(18, empty_block(-4)), record(11, parameters_member("Left=2"))});
    MemoryStream stream(cat({part(12346, 5, records), text_bytes("tail")}));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(window.Text_Title.parameters, StringList{"Left=1"});
    EXPECT_EQ(window.Text_Status.parameters, StringList{"Left=2"});
    EXPECT_EQ(stream.remaining_size(), 4u);
}

TEST(TqorMainWindow, EveryRecordTypeFillsItsMember) {
    struct Case {
        std::uint8_t type;
        Bytes (*member)(std::string_view);
        std::function<const StringList&(const TqorMainWindow&)> parameters;
    };
    const Case cases[] = {
        {2, button_member, [](const auto& w) -> auto& {return w.Button_StartGame.parameters;
}
} // namespace
, {3, button_member, [](const auto& w) -> auto& {return w.Button_Cancel.parameters;
} // namespace launcher
}
, {4, button_member, [](const auto& w) -> auto& {return w.Button_CheckAllFiles.parameters;
}
}
, {5, button_member, [](const auto& w) -> auto& {return w.Button_Close.parameters;
}
}
, {6, button_member, [](const auto& w) -> auto& {return w.Button_Minimize.parameters;
}
}
, {7, button_member, [](const auto& w) -> auto& {return w.Button_Config.parameters;
}
}
, {8, parameters_member, [](const auto& w) -> auto& {return w.Progress_OneFile.parameters;
}
}
, {9, parameters_member, [](const auto& w) -> auto& {return w.Progress_Total.parameters;
}
}
, {10, parameters_member, [](const auto& w) -> auto& {return w.Text_Title.parameters;
}
}
, {11, parameters_member, [](const auto& w) -> auto& {return w.Text_Status.parameters;
}
}
, {12, parameters_member, [](const auto& w) -> auto& {return w.WebPanel.parameters;
}
}
, {13, gauge_member, [](const auto& w) -> auto& {return w.Gauge_OneFile.parameters;
}
}
, {14, gauge_member, [](const auto& w) -> auto& {return w.Gauge_Total.parameters;
}
}
, {15, parameters_member, [](const auto& w) -> auto& {return w.Box_LangFolder.parameters;
}
}
, {16, parameters_member, [](const auto& w) -> auto& {return w.Text_StatusTotal.parameters;
}
}
, {17, parameters_member, [](const auto& w) -> auto& {return w.Text_LangBoxDescription.parameters;
}
}
,
}
;
Bytes records;
for (const Case& c : cases)
    records = cat({records, record(c.type, c.member("id=" + std::to_string(c.type)))});
MemoryStream stream(part(12346, static_cast<std::int32_t>(std::size(cases)), records));
TqorMainWindow window;
window.LoadFromStream(stream);
EXPECT_EQ(stream.remaining_size(), 0u);
for (const Case& c : cases)
    EXPECT_EQ(c.parameters(window), StringList{"id=" + std::to_string(c.type)}) << int(c.type);
}

TEST(TqorMainWindow, EmptyMemberBlockKeepsTheMember) {
    for (const std::int64_t length : {0LL, -1LL, -99LL}) {
        const Bytes records =
            cat({record(10, parameters_member("Left=1")), record(10, empty_block(length)),
                 record(11, parameters_member("Top=2"))});
        MemoryStream stream(part(12346, 3, records));
        TqorMainWindow window;
        window.LoadFromStream(stream);
        EXPECT_EQ(window.Text_Title.parameters, StringList{"Left=1"}) << length;
        EXPECT_EQ(window.Text_Status.parameters, StringList{"Top=2"}) << length;
    }
}

TEST(TqorMainWindow, ButtonWithOnlyCommonImage) {
    const Bitmap image = make_test_image(4, 3);
    const Bytes member = block(cat({empty_block(), empty_block(), block(encode_bmp_24(image)),
                                    empty_block(), empty_block(), empty_block(), empty_block()}));
    MemoryStream stream(part(12346, 1, record(2, member)));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    const TqorButton& button = window.Button_StartGame;
    EXPECT_EQ(button.common, image);
    EXPECT_TRUE(button.parameters.empty());
    EXPECT_TRUE(button.btn_script.empty());
    EXPECT_TRUE(button.over.empty());
    EXPECT_TRUE(button.disabled.empty());
    EXPECT_TRUE(button.down.empty());
    EXPECT_TRUE(button.up.empty());
}

TEST(TqorMainWindow, ButtonSubBlocksLandInTheirFields) {
    const Bitmap images[5] = {make_test_image(1, 1), make_test_image(2, 1), make_test_image(3, 1),
                              make_test_image(4, 1), make_test_image(5, 1)};
    const Bytes member = block(cat(
        {block(text_bytes("Left=1")), block(text_bytes("script")), block(encode_bmp_24(images[0])),
         block(encode_bmp_24(images[1])), block(encode_bmp_24(images[2])),
         block(encode_bmp_24(images[3])), block(encode_bmp_24(images[4]))}));
    MemoryStream stream(part(12346, 1, record(5, member)));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    const TqorButton& button = window.Button_Close;
    EXPECT_EQ(button.parameters, StringList{"Left=1"});
    EXPECT_EQ(button.btn_script, StringList{"script"});
    EXPECT_EQ(button.common, images[0]);
    EXPECT_EQ(button.over, images[1]);
    EXPECT_EQ(button.disabled, images[2]);
    EXPECT_EQ(button.down, images[3]);
    EXPECT_EQ(button.up, images[4]);
}

TEST(TqorMainWindow, GaugeTexturesLandInTheirFields) {
    const Bitmap fore = make_test_image(2, 2);
    const Bitmap back = make_test_image(3, 3);
    const Bytes member = block(cat(
        {block(text_bytes("Width=200")), block(encode_bmp_24(fore)), block(encode_bmp_24(back))}));
    MemoryStream stream(part(12346, 1, record(14, member)));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(window.Gauge_Total.FTex, fore);
    EXPECT_EQ(window.Gauge_Total.BTex, back);
    EXPECT_EQ(window.Gauge_Total.parameters, StringList{"Width=200"});
}

TEST(TqorMainWindow, LaterBackgroundRecordAlwaysReplacesTheRegion) {
    const Bitmap first_image = make_test_image(4, 4);
    const Bitmap third_image = make_test_image(2, 2);
    const Bytes region_one = text_bytes("region one");
    const Bytes region_two = text_bytes("region two");
    const Bytes records = cat({record(1, background_member(encode_bmp_24(first_image), region_one)),
                               record(1, background_member({}, region_two))});
    {
        MemoryStream stream(part(12346, 2, records));
        TqorMainWindow window;
        window.LoadFromStream(stream);
        EXPECT_EQ(window.BackGroundImage.image, first_image); // empty image sub-block keeps it
        EXPECT_EQ(window.BackGroundImage.region.bytes(), region_two);
    }
    {
        const Bytes more =
            cat({records, record(1, background_member(encode_bmp_24(third_image), {}))});
        MemoryStream stream(part(12346, 3, more));
        TqorMainWindow window;
        window.LoadFromStream(stream);
        EXPECT_EQ(window.BackGroundImage.image, third_image);
        EXPECT_TRUE(window.BackGroundImage.region.bytes().empty());
    }
}

TEST(TqorMainWindow, StreamStandsAfterTheMemberBlockWhateverItHolds) {
    // A label block with bytes after its parameter sub-block.
    const Bytes label = block(cat({block(text_bytes("Left=3")), text_bytes("trailing bytes")}));
    MemoryStream stream(
        part(12346, 2, cat({record(10, label), record(11, parameters_member("Top=4"))})));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(window.Text_Title.parameters, StringList{"Left=3"});
    EXPECT_EQ(window.Text_Status.parameters, StringList{"Top=4"});
}

TEST(TqorConfigWindow, EveryRecordTypeFillsItsMember) {
    const std::function<const StringList&(const TqorConfigWindow&)> members[] = {
        [](const auto& w) -> auto& {return w.Text_Title.parameters;
}
, [](const auto& w) -> auto& {
    return w.Text_Language.parameters;
}
, [](const auto& w) -> auto& {
    return w.Text_Autoclose.parameters;
}
, [](const auto& w) -> auto& {
    return w.Text_Proxy.parameters;
}
, [](const auto& w) -> auto& {
    return w.Text_DriveType.parameters;
}
, [](const auto& w) -> auto& {
    return w.Text_CheckType.parameters;
}
, [](const auto& w) -> auto& {
    return w.Box_Language.parameters;
}
, [](const auto& w) -> auto& {
    return w.Check_Autoclose.parameters;
}
, [](const auto& w) -> auto& {
    return w.Box_Proxy.parameters;
}
, [](const auto& w) -> auto& {
    return w.Box_DriveType.parameters;
}
, [](const auto& w) -> auto& {
    return w.Box_CheckType.parameters;
}
, [](const auto& w) -> auto& {
    return w.Button_Ok.parameters;
}
,
}
;
const Bitmap background = make_test_image(5, 4);
Bytes records = record(1, background_member(encode_bmp_24(background), text_bytes("rgn")));
for (int type = 2; type <= 13; ++type)
    records = cat({records, record(static_cast<std::uint8_t>(type),
                                   parameters_member("id=" + std::to_string(type)))});
MemoryStream stream(cat({part(23457, 13, records), text_bytes("[config]")}));
TqorConfigWindow window;
window.LoadFromStream(stream);
EXPECT_EQ(stream.remaining_size(), 8u);
EXPECT_EQ(window.BackGroundImage.image, background);
EXPECT_EQ(window.BackGroundImage.region.bytes(), text_bytes("rgn"));
for (int type = 2; type <= 13; ++type)
    EXPECT_EQ(members[type - 2](window), StringList{"id=" + std::to_string(type)}) << type;
}

TEST(TqorConfigWindow, WrongVersionConsumesOnlyTheVersion) {
    MemoryStream stream(part(12346, 0));
    TqorConfigWindow window;
    window.LoadFromStream(stream);
    EXPECT_EQ(stream.position(), 4u);
}

TEST(TqorConfigWindow, RecordTypeOutsideItsMembersIsRejected) {
    for (const std::uint8_t type : {0, 14, 17, 255}) {
        MemoryStream stream(part(23457, 1, record(type, parameters_member("Left=1"))));
        TqorConfigWindow window;
        EXPECT_THROW(window.LoadFromStream(stream), StreamReadError) << int(type);
    }
}

// Truncated parts and blocks raise a read error instead of reading past the data.
TEST(WindowReaders, TruncatedPartRaisesReadError) {
    const Bytes label = parameters_member("Left=1");
    const Bytes button_missing_images = block(cat({block(text_bytes("Left=1")), empty_block()}));
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"count_cut", cat({i32(12346), Bytes{1, 0}})},
        {"more_records_than_present", part(12346, 2, record(10, label))},
        {"type_byte_missing", part(12346, 1)},
        {"block_length_cut", part(12346, 1, cat({Bytes{10}, Bytes{4, 0, 0}}))},
        {"block_past_end", part(12346, 1, cat({Bytes{10}, i64(100), text_bytes("short")}))},
        {"skipped_block_past_end", part(12346, 1, cat({Bytes{200}, i64(100)}))},
        {"button_block_missing_sub_blocks", part(12346, 1, record(2, button_missing_images))},
        {"sub_block_past_member_end",
         part(12346, 1, record(10, block(cat({i64(50), text_bytes("abc")}))))},
    };
    for (const Case& c : cases) {
        MemoryStream stream(c.bytes);
        TqorMainWindow window;
        EXPECT_THROW(window.LoadFromStream(stream), StreamReadError) << c.name;
    }
    MemoryStream settings(part(23457, 3, record(2, label)));
    TqorConfigWindow window;
    EXPECT_THROW(window.LoadFromStream(settings), StreamReadError);
}

// One image that does not decode costs only that image: the member keeps
// what it had for it, the rest of its block and the records after it load,
// and the bad image is named with what is wrong with it.
TEST(WindowReaders, InvalidImageIsLeftOutAndNamed) {
    const Bytes good = encode_bmp_24(make_test_image(2, 1));
    const Bytes member =
        block(cat({block(text_bytes("Left=5")), empty_block(), block(text_bytes("BMnot really")),
                   block(good), empty_block(), empty_block(), empty_block()}));
    MemoryStream stream(
        part(12346, 2, cat({record(3, member), record(10, parameters_member("Top=7"))})));
    TqorMainWindow window;
    window.LoadFromStream(stream);
    EXPECT_TRUE(window.Button_Cancel.common.empty());
    EXPECT_EQ(window.Button_Cancel.over, make_test_image(2, 1));
    EXPECT_EQ(window.Button_Cancel.parameters, (StringList{"Left=5"}));
    EXPECT_EQ(window.Text_Title.parameters, (StringList{"Top=7"}));
    EXPECT_EQ(stream.remaining_size(), 0u);
    ASSERT_EQ(window.UnreadableImages.Entries().size(), 1u);
    EXPECT_EQ(
        window.UnreadableImages.Entries()[0].rfind("Button_Cancel.common: Invalid BMP image: ", 0),
        0u)
        << window.UnreadableImages.Entries()[0];
}

TEST(WindowReaders, InvalidSettingsBackgroundIsNamed) {
    MemoryStream stream(part(23457, 1, record(1, background_member(text_bytes("BM?"), {}))));
    TqorConfigWindow window;
    window.LoadFromStream(stream);
    EXPECT_TRUE(window.BackGroundImage.image.empty());
    ASSERT_EQ(window.UnreadableImages.Entries().size(), 1u);
    EXPECT_EQ(window.UnreadableImages.Entries()[0].rfind("BackGroundImage.image: ", 0), 0u);
}

} // namespace
} // namespace launcher

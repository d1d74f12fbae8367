#include "bmp_fixtures.h"
#include "platform/files.h"
#include "skin/bmp_encoder.h"
#include "skin/skin_config.h"
#include "skin_stream_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using namespace launcher::testing;

TEST(TqorConfig, LoadFromFileReadsBothPartsThenTheRestAsText) {
    TempDir dir;
    const Bitmap background = make_test_image(6, 4);
    const Bytes file = cat(
        {part(12346, 1, record(1, background_member(encode_bmp_24(background), text_bytes("R")))),
         part(23457, 1, record(13, parameters_member("Left=400"))), Bytes{0xEF, 0xBB, 0xBF},
         text_bytes("[config]\r\nInstance=demo\r\n")});
    const auto path = dir.write("skin.bin", std::string(file.begin(), file.end()));
    TqorConfig config;
    config.LoadFromFile(path);
    EXPECT_EQ(config.MainWindow.BackGroundImage.image, background);
    EXPECT_EQ(config.ConfigWindow.Button_Ok.parameters, StringList{"Left=400"});
    EXPECT_EQ(config.CfgParameters, (StringList{"[config]", "Instance=demo"}));
}

TEST(TqorConfig, LoadFromFileOfAMissingFileThrows) {
    TempDir dir;
    TqorConfig config;
    EXPECT_THROW(config.LoadFromFile(dir / "absent.bin"), platform::FileError);
}

} // namespace
} // namespace launcher

#include "archive_fixtures.h"
#include "config/config_package.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <bzlib.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::TempDir;

std::string compress(std::string_view text, int block_size) {
    unsigned int capacity = static_cast<unsigned int>(text.size() + text.size() / 100 + 601);
    std::string out(capacity, '\0');
    BZ2_bzBuffToBuffCompress(out.data(), &capacity, const_cast<char*>(text.data()),
                             static_cast<unsigned int>(text.size()), block_size, 0, 0);
    out.resize(capacity);
    return out;
}

std::string manifest_text() {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text +=
            "0123456789ABCDEF0123456789ABCDEF|\\system\\file" + std::to_string(i) + ".dll|1|0|\r\n";
    return text;
}

struct HeaderCase {
    std::string name;
    std::string first_five;
    int block_size;
};

class UnpackFileTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(UnpackFileTest, RestoresTheHeaderInPlaceAndDecodes) {
    TempDir dir;
    std::string packed = compress(manifest_text(), GetParam().block_size);
    packed.replace(0, 5, GetParam().first_five);
    dir.write("$tmp.vdp", packed);
    UnpackFile(dir / "$tmp.vdp", dir / "updater.lst");
    EXPECT_EQ(platform::read_file_text(dir / "updater.lst"), manifest_text());
    EXPECT_EQ(platform::read_file_text(dir / "$tmp.vdp").substr(0, 5), "BZh91");
}

INSTANTIATE_TEST_SUITE_P(Headers, UnpackFileTest,
                         ::testing::Values(HeaderCase{"zeros", std::string(5, '\0'), 9},
                                           HeaderCase{"noise", "\xDE\xAD\xBE\xEF!", 9},
                                           HeaderCase{"block_size_one", "BZh11", 1}),
                         [](const auto& test_info) { return test_info.param.name; });

TEST(UnpackFileEdgeTest, EmptyContentDoesNotDecodeAfterRestoration) {
    TempDir dir;
    dir.write("$tmp.vdp", compress("", 9));
    EXPECT_THROW(UnpackFile(dir / "$tmp.vdp", dir / "updater.lst"), ConfigPackageError);
    EXPECT_TRUE(std::filesystem::exists(dir / "updater.lst"));
}

TEST(UnpackFileEdgeTest, MissingPackedFileDoesNothing) {
    TempDir dir;
    dir.write("updater.lst", "previous");
    EXPECT_NO_THROW(UnpackFile(dir / "$tmp.vdp", dir / "updater.lst"));
    EXPECT_EQ(platform::read_file_text(dir / "updater.lst"), "previous");
}

TEST(UnpackFileEdgeTest, DamagedStreamKeepsWhatWasDecodedAndRaises) {
    TempDir dir;
    std::string packed = compress(manifest_text(), 9);
    packed[packed.size() / 2] ^= 0x55;
    dir.write("$tmp.vdp", packed);
    EXPECT_THROW(UnpackFile(dir / "$tmp.vdp", dir / "updater.lst"), ConfigPackageError);
    EXPECT_EQ(platform::read_file_text(dir / "$tmp.vdp").substr(0, 5), "BZh91");
}

TEST(UnpackFileEdgeTest, ManifestCutShortIsAnErrorNotASmallerRelease) {
    TempDir dir;
    const std::string packed = compress(manifest_text(), 9);
    for (const std::size_t kept : {std::size_t{2}, std::size_t{40}, packed.size() - 8}) {
        dir.write("$tmp.vdp", packed.substr(0, kept));
        EXPECT_THROW(UnpackFile(dir / "$tmp.vdp", dir / "updater.lst"), ConfigPackageError) << kept;
        const std::string decoded = platform::read_file_text(dir / "updater.lst");
        EXPECT_EQ(decoded, manifest_text().substr(0, decoded.size())) << kept;
    }
}

TEST(DecodePackedManifestTest, ListsWithoutFilesAndOverlongStreamsAreNoFileList) {
    struct Case {
        const char* what;
        std::string packed;
        std::string text;    // what it decodes to, when it is a usable file list
        const char* failure; // empty: a usable file list
    };
    const std::string line = "0123456789ABCDEF0123456789ABCDEF|\\a.dll|1|0|\r\n";
    const auto usable = [](const char* what, const std::string& text) {
        return Case{what, compress(text, 9), text, ""};
    };
    const auto unusable = [](const char* what, const std::string& text, const char* failure) {
        return Case{what, compress(text, 9), {}, failure};
    };
    const Case cases[] = {
        usable("one catalogue line", line),
        usable("blank lines before the catalogue", "\r\n \t\r\n" + line),
        unusable("blank lines only", "\r\n  \r\n\t\n\n", "names no files"),
        unusable("a check section without a catalogue", "\r\n#\r\n\\a.dll\r\n", "names no files"),
        unusable("blank lines in UTF-16", std::string("\xFF\xFE\r\0\n\0 \0\r\0\n\0", 12),
                 "names no files"),
        {"a stream that decodes past the bound",
         testing::ManifestBomb(),
         {},
         "decode to more than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedManifest manifest =
            DecodePackedManifest(platform::Bytes(c.packed.begin(), c.packed.end()));
        if (*c.failure == '\0') {
            EXPECT_EQ(manifest.failure, "");
            EXPECT_EQ(std::string(manifest.text.begin(), manifest.text.end()), c.text);
        } else {
            EXPECT_NE(manifest.failure.find(c.failure), std::string::npos) << manifest.failure;
            EXPECT_LE(manifest.text.size(), kManifestAtMost);
        }
    }
}

} // namespace
} // namespace launcher

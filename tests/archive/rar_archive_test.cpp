#include "archive/rar4_writer.h"
#include "archive/rar_archive.h"
#include "archive_fixtures.h"
#include "catalogue/md5.h"
#include "platform/process_start.h"
#include "platform/utf8_path.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <algorithm>
#include <functional>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::files_below;
using testing::Member;
using testing::TempDir;

std::string md5_of(std::string_view bytes) {
    TMD5 digest;
    digest.Add(bytes);
    return digest.DigestStr();
}

// What the file list says of the file a test unpacks.
ExpectedFile listed(std::string name, std::string hash = {},
                    std::optional<std::int64_t> size = std::nullopt) {
    ExpectedFile expected;
    expected.file_name = std::move(name);
    expected.hash = std::move(hash);
    expected.size = size;
    return expected;
}

using ArchiveWriter = std::function<void(const std::filesystem::path&, const std::vector<Member>&)>;

struct Format {
    std::string name;
    ArchiveWriter write;
};

class ArchiveFormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(ArchiveFormatTest, MembersLandInTheFolderUnderTheirFileNames) {
    TempDir dir;
    const std::string big(200000, 'x');
    GetParam().write(dir / "pack.vdp", {{"a\\b\\c.dll", "library"},
                                        {"data/b.dat", big},
                                        {"a\\b", "", Member::Kind::directory},
                                        {"Документы/файл.txt", "кириллица"},
                                        {"empty.txt", ""}});
    dir.write("game/system/c.dll", "an older version that is much longer");
    TRAR reader;
    reader.SetArchive(dir / "pack.vdp");
    EXPECT_TRUE(reader.Extract(dir / "game" / "system", false, nullptr));
    EXPECT_EQ(files_below(dir / "game"),
              (std::vector<std::string>{"system/b.dat", "system/c.dll", "system/empty.txt",
                                        "system/файл.txt"}));
    EXPECT_EQ(platform::read_file_text(dir / "game/system/c.dll"), "library");
    EXPECT_EQ(platform::read_file_text(dir / "game/system/b.dat"), big);
    EXPECT_EQ(platform::read_file_text(dir / "game/system/файл.txt"), "кириллица");
}

TEST_P(ArchiveFormatTest, UnpackingWritesOnlyTheListedMember) {
    TempDir dir;
    const std::string content(150000, 'g');
    GetParam().write(dir / "pack.vdp", {{"jux.exe", "planted"},
                                        {"../x", "planted"},
                                        {"sub/x", "planted"},
                                        {"/abs/x", "planted"},
                                        {"other.bin", "planted"},
                                        {"dir", "", Member::Kind::directory},
                                        {"data/G2.bin", content},
                                        {"g2.bin", "a second member of the name"}});
    dir.write("game/system/other.bin", "kept");
    const auto result = UnpackArchive(dir / "pack.vdp", "system", dir / "game",
                                      listed("g2.bin", md5_of(content), 150000));
    EXPECT_TRUE(result.MemberPlaced) << result.Failure;
    EXPECT_EQ(files_below(dir / "game"),
              (std::vector<std::string>{"system/g2.bin", "system/other.bin"}));
    EXPECT_EQ(platform::read_file_text(dir / "game/system/g2.bin"), content);
    EXPECT_EQ(platform::read_file_text(dir / "game/system/other.bin"), "kept");
    EXPECT_NE(std::find(result.Ignored.begin(), result.Ignored.end(), "jux.exe"),
              result.Ignored.end());
    EXPECT_NE(std::find(result.Ignored.begin(), result.Ignored.end(), "g2.bin"),
              result.Ignored.end());
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

TEST_P(ArchiveFormatTest, ListingFillsTheInformationAndEvents) {
    TempDir dir;
    GetParam().write(dir / "pack.vdp",
                     {{"one.txt", "1"}, {"dir", "", Member::Kind::directory}, {"two.txt", "22"}});
    TRAR reader;
    std::vector<std::string> listed;
    reader.OnListFile = [&](TRAR&, const TRARFileItem& item) { listed.push_back(item.FileName); };
    ASSERT_TRUE(reader.OpenFile(dir / "pack.vdp"));
    const auto& info = reader.ArchiveInformation();
    EXPECT_TRUE(info.Opened);
    EXPECT_EQ(info.TotalFiles, 2);
    EXPECT_EQ(info.UnCompressedSize, 3);
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_TRUE(reader.Test());
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveFormatTest,
                         ::testing::Values(Format{"rar", testing::write_rar},
                                           Format{"zip", testing::write_zip},
                                           Format{"sevenzip", testing::write_7z}),
                         [](const auto& test_info) { return test_info.param.name; });

TEST(RarArchiveTest, MissingOrForeignArchivesExtractNothingAndRaiseNothing) {
    TempDir dir;
    EXPECT_NO_THROW(UnpackArchive(dir / "absent.vdp", "system", dir.path(), listed("a.txt")));
    dir.write("not-an-archive.vdp", "just some text that is not an archive at all");
    EXPECT_NO_THROW(UnpackArchive(dir / "not-an-archive.vdp", "out", dir.path(), listed("a.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));

    TRAR reader;
    std::vector<int> errors;
    reader.OnError = [&](TRAR&, int code, TRAROperation) { errors.push_back(code); };
    EXPECT_FALSE(reader.OpenFile(dir / "not-an-archive.vdp"));
    EXPECT_FALSE(errors.empty());
}

TEST(RarArchiveTest, DamagedMemberFailsAfterKeepingWhatCameBefore) {
    TempDir dir;
    std::string noise(300000, '\0');
    std::uint32_t state = 1;
    for (char& c : noise) {
        state = state * 1664525 + 1013904223;
        c = static_cast<char>(state >> 24);
    }
    testing::write_zip(dir / "pack.zip", {{"first.txt", "intact"}, {"second.bin", noise}});
    auto bytes = platform::read_file(dir / "pack.zip");
    bytes[bytes.size() / 2] ^= 0xFF; // inside the second member's data
    dir.write("pack.zip", std::string(bytes.begin(), bytes.end()));
    dir.write("out/second.bin", "previous content");

    TRAR reader;
    std::vector<std::pair<int, TRAROperation>> errors;
    reader.OnError = [&](TRAR&, int code, TRAROperation operation) {
        errors.emplace_back(code, operation);
    };
    ASSERT_TRUE(reader.OpenFile(dir / "pack.zip"));
    EXPECT_FALSE(reader.Extract(dir / "out", false, nullptr));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), std::make_pair(ERAR_BAD_DATA, TRAROperation::roExtract));
    EXPECT_EQ(platform::read_file_text(dir / "out/first.txt"), "intact");
    // The damaged member never replaced the file under its real name, and no
    // temporary file is left behind.
    EXPECT_EQ(platform::read_file_text(dir / "out/second.bin"), "previous content");
    EXPECT_EQ(files_below(dir / "out"), (std::vector<std::string>{"first.txt", "second.bin"}));
    EXPECT_FALSE(reader.Test());
}

TEST(RarArchiveTest, TruncatedArchiveFailsToOpenAndExtractsNothing) {
    TempDir dir;
    testing::write_rar(dir / "pack.vdp", {{"first.txt", "intact"}, {"second.txt", "cut short"}});
    auto bytes = platform::read_file(dir / "pack.vdp");
    bytes.resize(bytes.size() - 12);
    dir.write("pack.vdp", std::string(bytes.begin(), bytes.end()));
    TRAR reader;
    EXPECT_FALSE(reader.OpenFile(dir / "pack.vdp"));
    UnpackArchive(dir / "pack.vdp", "out", dir.path(), listed("second.txt"));
    EXPECT_TRUE(files_below(dir / "out").empty());
}

TEST(RarArchiveTest, HostileMembersNeverLeaveTheFolder) {
    TempDir dir;
    testing::write_zip(dir / "evil.zip", {{"../escape.txt", "x"},
                                          {"/etc/absolute.txt", "y"},
                                          {"link", "/etc/passwd", Member::Kind::symlink},
                                          {"..", "z"},
                                          {"ok.txt", "fine"}});
    TRAR reader;
    ASSERT_TRUE(reader.OpenFile(dir / "evil.zip"));
    reader.Extract(dir / "flat", false, nullptr);
    // File names alone: the two named files land inside; the link and ".." do not.
    EXPECT_EQ(files_below(dir / "flat"),
              (std::vector<std::string>{"absolute.txt", "escape.txt", "ok.txt"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "escape.txt"));

    reader.Extract(dir / "tree", true, nullptr);
    EXPECT_EQ(files_below(dir / "tree"), (std::vector<std::string>{"ok.txt"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "escape.txt"));
}

TEST(RarArchiveTest, SelectionReplacementAndProgress) {
    TempDir dir;
    testing::write_rar(dir / "pack.vdp", {{"keep\\a.txt", "aaa"}, {"b.txt", "bbbb"}});
    dir.write("out/b.txt", "old");
    TRAR reader;
    std::vector<std::string> replaced;
    reader.OnReplace = [&](TRAR&, const TRARReplaceData& existing, const TRARReplaceData& incoming,
                           TRARReplace& action) {
        replaced.push_back(incoming.FileName);
        EXPECT_EQ(existing.Size, 3);
        action = TRARReplace::rrSkip;
    };
    std::int64_t last_done = 0;
    reader.OnProgress = [&](TRAR&, const std::u16string&, std::int64_t, std::int64_t done,
                            std::int64_t, std::int64_t) { last_done = done; };
    ASSERT_TRUE(reader.OpenFile(dir / "pack.vdp"));
    const std::vector<std::string> only_b{"b.txt"};
    EXPECT_TRUE(reader.Extract(dir / "out", false, &only_b));
    EXPECT_EQ(replaced, only_b);
    EXPECT_EQ(platform::read_file_text(dir / "out/b.txt"), "old");

    EXPECT_TRUE(reader.Extract(dir / "tree", true, nullptr));
    EXPECT_EQ(platform::read_file_text(dir / "tree/keep/a.txt"), "aaa");
    EXPECT_EQ(last_done, 7);
    EXPECT_GE(reader.GetDllVersion(), 4);
}

TEST(RarArchiveTest, OurRarArchivesListWithBsdtar) {
    const auto bsdtar = platform::find_on_path("bsdtar");
    if (bsdtar.empty())
        GTEST_SKIP() << "bsdtar is not installed";
    TempDir dir;
    testing::write_rar(dir / "pack.rar", {{"system\\jux.exe", "binary"}, {"readme.txt", "hi"}});
    const auto result = testing::run_process(
        {platform::utf8_of(bsdtar), "-tf", platform::utf8_of(dir / "pack.rar")});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(result.output, "system/jux.exe\nreadme.txt\n");
}

TEST(RarArchiveTest, LargeMembersUseTheHighSizeFields) {
    TempDir dir;
    testing::write_rar(dir / "small.rar", {{"a", "abc"}});
    // A stored member's header grows by eight bytes only past 4 GiB; below it
    // the low fields carry the sizes exactly.
    const auto bytes = platform::read_file(dir / "small.rar");
    EXPECT_EQ(bytes.size(), 7u + 13u + (32u + 1u) + 3u + 7u);
}

TEST(RarArchiveTest, AnEncryptedEarlierMemberDoesNotStopTheListedOne) {
    TempDir dir;
    for (const bool rar5 : {true, false}) {
        SCOPED_TRACE(rar5 ? "RAR 5" : "RAR 4");
        const std::vector<Member> members = {{"secret.bin", std::string(40, 's'), {}, true},
                                             {"g2.bin", "plain content"}};
        if (rar5) {
            testing::write_rar5(dir / "pack.vdp", members);
        } else {
            // Our writer has no encryption: set the first file header's flag.
            testing::write_rar(dir / "pack.vdp", members);
            std::string bytes = platform::read_file_text(dir / "pack.vdp");
            constexpr std::size_t kFileHeader = 7 + 13;
            bytes[kFileHeader + 3] = static_cast<char>(bytes[kFileHeader + 3] | 0x04);
            const auto size =
                static_cast<std::size_t>(static_cast<unsigned char>(bytes[kFileHeader + 5]) |
                                         static_cast<unsigned char>(bytes[kFileHeader + 6]) << 8);
            const auto crc = static_cast<std::uint16_t>(
                Crc32({reinterpret_cast<const std::uint8_t*>(bytes.data() + kFileHeader + 2),
                       size - 2}) &
                0xFFFF);
            bytes[kFileHeader] = static_cast<char>(crc & 0xFF);
            bytes[kFileHeader + 1] = static_cast<char>(crc >> 8);
            dir.write("pack.vdp", bytes);
        }
        std::filesystem::remove_all(dir / "out");
        const auto result = UnpackArchive(dir / "pack.vdp", "out", dir.path(),
                                          listed("g2.bin", md5_of("plain content"), 13));
        EXPECT_TRUE(result.MemberPlaced) << result.Failure;
        EXPECT_EQ(files_below(dir / "out"), (std::vector<std::string>{"g2.bin"}));
        EXPECT_EQ(platform::read_file_text(dir / "out/g2.bin"), "plain content");
    }
}

// A zip archive whose headers say its member is `claimed` bytes long, while
// its data inflates to the whole content.
std::string understated(std::string archive, std::uint32_t claimed) {
    const auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            archive[at + i] = static_cast<char>(claimed >> (8 * i) & 0xFF);
    };
    const auto each = [&](std::string_view signature, std::size_t size_at) {
        for (std::size_t at = archive.find(signature); at != std::string::npos;
             at = archive.find(signature, at + 4))
            put(at + size_at);
    };
    each(std::string_view("PK\3\4", 4), 22);   // local header, when it gives sizes
    each(std::string_view("PK\7\x08", 4), 12); // data descriptor
    each(std::string_view("PK\1\2", 4), 24);   // central directory
    return archive;
}

TEST(RarArchiveTest, AMemberIsHeldToItsHeaderAndToABound) {
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> write;
        std::optional<std::int64_t> listed_size; // none: the file list gives no size
        const char* words;
    };
    const std::string zeros(std::size_t{64} << 20, '\0');
    const Case cases[] = {
        {"data that inflate past what the header says",
         [](const auto& path) {
             TempDir scratch;
             testing::write_zip(scratch / "a.zip", {{"g.bin", std::string(1 << 20, '\0')}});
             platform::write_file_atomic(
                 path, understated(platform::read_file_text(scratch / "a.zip"), 9));
         },
         std::nullopt, "holds more than its header says"},
        {"a header larger than the file list says",
         [](const auto& path) {
             testing::write_zip(path, {{"g.bin", std::string(1 << 20, '\0')}});
         },
         9, "larger than the file list says"},
        {"a small archive inflating far past its size, no size listed",
         [&](const auto& path) {
             testing::write_7z(path, {{"g.bin", zeros}});
         },
         std::nullopt, "larger than the file list says"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.write(dir / "pack.vdp");
        const auto result =
            UnpackArchive(dir / "pack.vdp", "out", dir.path(), listed("g.bin", {}, c.listed_size));
        EXPECT_FALSE(result.MemberPlaced);
        EXPECT_THAT(result.Failure, ::testing::HasSubstr(c.words));
        EXPECT_TRUE(files_below(dir / "out").empty()) << "nothing stays, not even a temporary";
    }
}

} // namespace
} // namespace launcher

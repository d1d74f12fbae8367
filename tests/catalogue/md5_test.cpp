#include "catalogue/md5.h"
#include "numbered_case.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "reference_md5.h"
#include "support/temp_dir.h"

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::NumberedCase;

using testing::TempDir;

std::string md5_of(std::string_view text) {
    TMD5 md5;
    md5.Add(text);
    return md5.DigestStr();
}

std::string pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return data;
}

struct Vector {
    const char* message;
    const char* digest;
};

class Rfc1321Vectors : public ::testing::TestWithParam<Vector> {};

TEST_P(Rfc1321Vectors, MatchTheTestSuite) {
    EXPECT_EQ(md5_of(GetParam().message), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    Suite, Rfc1321Vectors,
    ::testing::Values(Vector{"", "D41D8CD98F00B204E9800998ECF8427E"},
                      Vector{"a", "0CC175B9C0F1B6A831C399E269772661"},
                      Vector{"abc", "900150983CD24FB0D6963F7D28E17F72"},
                      Vector{"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
                      Vector{"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
                      Vector{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                             "D174AB98D277D9F5A5611C2C9F419D9F"},
                      Vector{"1234567890123456789012345678901234567890"
                             "1234567890123456789012345678901234567890",
                             "57EDF4A22BE3C955AC49DA2E2107B67A"}),
    NumberedCase);

TEST(MD5, PaddingBoundariesMatchTheReference) {
    for (const std::size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 127u, 128u, 1000u}) {
        const std::string data = pattern(size);
        EXPECT_EQ(md5_of(data), reference_md5(data)) << size;
    }
}

TEST(MD5, FeedingInPiecesEqualsFeedingAtOnce) {
    const std::string data = pattern(1000);
    for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
        TMD5 md5;
        for (std::size_t at = 0; at < data.size(); at += piece)
            md5.Add(std::string_view(data).substr(at, piece));
        EXPECT_EQ(md5.DigestStr(), reference_md5(data)) << piece;
    }
}

TEST(MD5, DigestCanBeReadTwiceAndAfterMoreInput) {
    TMD5 md5;
    md5.Add("a");
    const std::string first = md5.DigestStr();
    EXPECT_EQ(first, "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(md5.DigestStr(), first);
    md5.Add("bc");
    EXPECT_EQ(md5.DigestStr(), "900150983CD24FB0D6963F7D28E17F72");
    md5.Reset();
    EXPECT_EQ(md5.DigestStr(), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(MD5, DigestFormsAgree) {
    TMD5 md5;
    md5.Add("abc");
    const TDigest bytes = md5.Digest();
    EXPECT_EQ(bytes[0], 0x90);
    EXPECT_EQ(bytes[15], 0x72);
    const TDigestLongWord words = md5.DigestLongWord();
    EXPECT_EQ(words[0], 0x98500190u);
    EXPECT_EQ(words[3], 0x727FE128u);
    const std::string text = md5.DigestStr();
    EXPECT_EQ(text.size(), 32u);
    EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos);
}

TEST(MD5, ValuesAreFedLittleEndian) {
    struct Case {
        std::string expected_bytes;
        void (*feed)(TMD5&);
    };
    const Case cases[] = {
        {std::string("\x41", 1), [](TMD5& m) { m.Add(std::uint8_t{0x41}); }},
        {std::string("\x1F\x04", 2), [](TMD5& m) { m.Add(u'\u041F'); }},
        {std::string("\x34\x12", 2), [](TMD5& m) { m.Add(std::uint16_t{0x1234}); }},
        {std::string("\xFE\xFF\xFF\xFF", 4), [](TMD5& m) { m.Add(std::int32_t{-2}); }},
        {std::string("\x78\x56\x34\x12", 4), [](TMD5& m) { m.Add(std::uint32_t{0x12345678}); }},
        {"abcdef",
         [](TMD5& m) {
             m.Add(std::vector<std::string>{"ab", "", "cdef"});
         }},
        {"xyz", [](TMD5& m) { m.Add("xyz", 3); }},
    };
    for (const Case& c : cases) {
        TMD5 md5;
        c.feed(md5);
        EXPECT_EQ(md5.DigestStr(), reference_md5(c.expected_bytes));
    }
}

class FileDigests : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FileDigests, ReadTheWholeFileAcrossChunkBoundaries) {
    const TempDir dir;
    const std::string data = pattern(GetParam());
    const auto path = dir.write("file.bin", data);
    EXPECT_EQ(MD5File(path), reference_md5(data));
}

TEST_P(FileDigests, AnyChunkSizeGivesTheSameDigestAndStatus) {
    const TempDir dir;
    const std::string data = pattern(GetParam());
    const auto path = dir.write("file.bin", data);
    const auto on_disk = platform::file_status(path);
    ASSERT_TRUE(on_disk);
    for (const std::size_t chunk : {7, 8192, 65536, 262144}) {
        std::vector<std::uint8_t> buffer(chunk);
        TMD5 md5;
        const OpenedFileStatus status = md5.AddFileWithStatus(path, buffer);
        EXPECT_EQ(md5.DigestStr(), reference_md5(data)) << chunk;
        EXPECT_EQ(status.size, static_cast<std::int64_t>(data.size())) << chunk;
        EXPECT_EQ(status.modified.tv_sec, on_disk->modified.tv_sec) << chunk;
        EXPECT_EQ(status.modified.tv_nsec, on_disk->modified.tv_nsec) << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileDigests,
                         ::testing::Values(0, 1, 8191, 8192, 8193, 16383, 16384, 16385, 65535,
                                           65536, 65537, 100000, 262144, 300000));

TEST(MD5File, ReportsTheSizeAndTimeOfTheFileItRead) {
    const TempDir dir;
    const auto path = dir.write("dated.bin", pattern(20000));
    ASSERT_TRUE(platform::set_file_times(
        path, {std::nullopt, timespec{1610712000, 0}, timespec{1610712000, 250'000'000}}));
    TMD5 md5;
    const OpenedFileStatus status = md5.AddFileWithStatus(path);
    EXPECT_EQ(md5.DigestStr(), reference_md5(pattern(20000)));
    EXPECT_EQ(status.size, 20000);
    EXPECT_EQ(status.modified.tv_sec, 1610712000);
    EXPECT_EQ(status.modified.tv_nsec, 250'000'000);
}

TEST(MD5File, MissingFileRaisesCannotOpen) {
    const TempDir dir;
    const auto path = dir / "missing.dat";
    try {
        MD5File(path);
        FAIL() << "no error";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + platform::utf8_of(path));
    }
}

TEST(MD5File, FolderCannotBeOpened) {
    const TempDir dir;
    EXPECT_THROW(MD5File(dir.path()), platform::FileError);
}

TEST(MD5File, FileLockedByAWriterCannotBeOpenedAndNothingIsFed) {
    const TempDir dir;
    const auto path = dir.write("locked.dat", "content");
    auto writer = std::make_unique<platform::File>(path, platform::File::Mode::ReadWrite);
    ASSERT_TRUE(writer->try_lock(platform::File::Lock::Exclusive));
    TMD5 md5;
    md5.Add("a");
    try {
        md5.AddFile(path);
        ADD_FAILURE() << "no error";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + platform::utf8_of(path));
    }
    EXPECT_EQ(md5.DigestStr(), "0CC175B9C0F1B6A831C399E269772661");
    writer.reset();
    EXPECT_EQ(MD5File(path), reference_md5("content"));
}

TEST(MD5File, FileOpenForWritingCannotBeOpenedWhereTheSystemHasShareModes) {
#ifndef _WIN32
    GTEST_SKIP() << "POSIX systems have no share modes: only a writer's lock keeps us out";
#endif
    const TempDir dir;
    const auto path = dir.write("written.dat", "content");
    auto writer = std::make_unique<platform::File>(path, platform::File::Mode::ReadWrite);
    EXPECT_THROW(MD5File(path), platform::FileError);
    writer.reset();
    EXPECT_EQ(MD5File(path), reference_md5("content"));
}

TEST(MD5File, ReadersShareTheFile) {
    const TempDir dir;
    const auto path = dir.write("shared.dat", "content");
    platform::File reader(path, platform::File::Mode::Read);
    ASSERT_TRUE(reader.try_lock(platform::File::Lock::Shared));
    EXPECT_EQ(MD5File(path), reference_md5("content"));
}

TEST(MD5File, ReadFailureAfterOpeningRaisesWithoutFeedingUnreadBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "no Windows file fails its reads after a successful open";
#endif
    // Reading one's own memory file at offset 0 fails after a successful open.
    TMD5 md5;
    md5.Add("a");
    EXPECT_THROW(md5.AddFile("/proc/self/mem"), platform::FileError);
    EXPECT_EQ(md5.DigestStr(), "0CC175B9C0F1B6A831C399E269772661");
}

TEST(MD5File, ChunkedReadingRaisesTheSameErrors) {
    const TempDir dir;
    const auto missing = dir / "missing.dat";
    std::vector<std::uint8_t> buffer(65536);
    struct Case {
        std::filesystem::path path;
        std::string message_start;
    };
    std::vector<Case> cases{
        {missing, "Cannot open file " + platform::utf8_of(missing)},
        {dir.path(), "Cannot open file "},
    };
#ifndef _WIN32 // a file that fails its reads after opening
    cases.push_back({"/proc/self/mem", "Cannot read file /proc/self/mem"});
#endif
    for (const Case& c : cases) {
        TMD5 md5;
        md5.Add("a");
        try {
            md5.AddFileWithStatus(c.path, buffer);
            ADD_FAILURE() << "no error for " << c.path;
        } catch (const platform::FileError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message_start.size()), c.message_start);
        }
        EXPECT_EQ(md5.DigestStr(), "0CC175B9C0F1B6A831C399E269772661") << c.path;
    }
    TMD5 md5;
    EXPECT_THROW(md5.AddFileWithStatus(dir.write("file.bin", "x"), std::span<std::uint8_t>()),
                 std::invalid_argument);
}

TEST(MD5Stream, DigestsTheRestAndKeepsThePosition) {
    const std::string data = pattern(20000);
    platform::MemoryStream stream(platform::Bytes(data.begin(), data.end()));
    stream.seek(1234);
    TMD5 md5;
    md5.AddStream(stream);
    EXPECT_EQ(md5.DigestStr(), reference_md5(std::string_view(data).substr(1234)));
    EXPECT_EQ(stream.position(), 1234u);

    platform::MemoryStream exact(platform::Bytes(8192, 7));
    TMD5 whole;
    whole.AddStream(exact);
    EXPECT_EQ(whole.DigestStr(), reference_md5(std::string(8192, '\7')));

    std::istringstream text(data);
    text.seekg(5000);
    TMD5 from_istream;
    from_istream.AddStream(text);
    EXPECT_EQ(from_istream.DigestStr(), reference_md5(std::string_view(data).substr(5000)));
    EXPECT_EQ(text.tellg(), 5000);
}

} // namespace
} // namespace launcher

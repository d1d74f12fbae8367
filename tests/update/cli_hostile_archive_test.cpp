// launcher-cli against a hostile mirror: archives with members the file list
// does not name, padded or inflating archives, and packed file lists that
// unpack to nothing or to far too much. Whatever is served, the game folder
// keeps its files except the ones the file list vouches for, nothing stays
// under a temporary name, and the run says what went wrong.
#include "archive/archive_fixtures.h"
#include "archive/rar4_writer.h"
#include "archive/temporary_name.h"
#include "catalogue/catalogue_line.h"
#include "catalogue/md5.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/fault_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/published_game.h"

#include <functional>
#include <map>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

constexpr const char* kG2 = "\\data\\g2.bin";
constexpr const char* kG2Archive = "/data/g2.bin.vdp";

std::string random_bytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::string rar_of(const std::vector<Member>& members) {
    TempDir scratch;
    write_rar(scratch / "a.rar", members);
    return platform::read_file_text(scratch / "a.rar");
}

// Our stored RAR 4 archive of one member whose header claims `claimed` bytes
// unpacked, its header checksum made good again: a small download that
// announces a huge file.
std::string claiming(std::string archive, std::uint32_t claimed) {
    constexpr std::size_t kFileHeader = 7 + 13; // after the marker and main header
    for (int i = 0; i < 4; ++i)
        archive[kFileHeader + 11 + i] = static_cast<char>(claimed >> (8 * i) & 0xFF);
    const auto size =
        static_cast<std::size_t>(static_cast<unsigned char>(archive[kFileHeader + 5]) |
                                 static_cast<unsigned char>(archive[kFileHeader + 6]) << 8);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(archive.data() + kFileHeader + 2);
    const auto crc = static_cast<std::uint16_t>(Crc32({bytes, size - 2}) & 0xFFFF);
    archive[kFileHeader] = static_cast<char>(crc & 0xFF);
    archive[kFileHeader + 1] = static_cast<char>(crc >> 8);
    return archive;
}

// Every temporary file a run may leave only while it runs, anywhere below
// `folder`.
std::vector<std::string> leftovers(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (IsTemporaryName(name) || name == "$tmp.vdp" || name.ends_with(".tmp"))
            found.push_back(entry.path().lexically_relative(folder).string());
    }
    return found;
}

// The served release: what the installed folder has, and the new g2 the
// next release brings (large enough to come in several ranges).
struct Served {
    std::string g2; // its content in the release
    std::vector<TFileRecord> records;
};

struct AttackCase {
    const char* what;
    // Changes what the server holds: its folder, the release's records.
    std::function<void(const std::filesystem::path& server, Served& served)> attack;
    int exit_code;
    std::string told;           // in what the run printed on standard error
    bool g2_may_be_new = false; // the release's g2 may be installed
};

void PrintTo(const AttackCase& test, std::ostream* out) {
    *out << test.what;
}

// The catalogue line of g2 in the served file list replaced by `record`.
void relist_g2(const std::filesystem::path& server, const Served& served,
               const TFileRecord& record) {
    std::string text = platform::read_file_text(server / "updater.lst");
    const std::string line = FormatCatalogueLine(served.records[2]);
    const std::size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, line.size(), FormatCatalogueLine(record));
    platform::write_file_atomic(server / "updater.lst", text);
    platform::write_file_atomic(server / "updater.lst.vdp", PackManifest(text));
}

// Serves `archive` for g2 and, when `vouched`, lists its MD5 as g2's packed hash.
void serve_g2(const std::filesystem::path& server, const Served& served, const std::string& archive,
              bool vouched) {
    platform::write_file_atomic(server / "data" / "g2.bin.vdp", archive);
    if (vouched) {
        TFileRecord record = served.records[2];
        record.HashPacked = Md5Of(archive);
        relist_g2(server, served, record);
    }
}

void serve_manifest(const std::filesystem::path& server, const std::string& text) {
    platform::write_file_atomic(server / "updater.lst", text);
    platform::write_file_atomic(server / "updater.lst.vdp", PackManifest(text));
}

std::vector<AttackCase> attack_cases() {
    const std::vector<Member> path_members = {
        {"../x", "planted"}, {"sub/x", "planted"}, {"/abs/x", "planted"}, {"other.bin", "planted"}};
    return {
        {"an extra member system/jux.exe ahead of the file in an archive of several ranges",
         [](const auto& server, Served& served) {
             serve_g2(server, served, rar_of({{"system\\jux.exe", "EVIL"}, {"g2.bin", served.g2}}),
                      false);
         },
         3, "not updated: \\data\\g2.bin: the fetched archive differs from the file list"},
        {"a small archive with an extra member padded to several ranges",
         [](const auto& server, Served& served) {
             std::string archive = rar_of({{"jux.exe", "EVIL"}, {"g2.bin", "tiny"}});
             archive.resize(150000, '\0');
             serve_g2(server, served, archive, false);
         },
         3, "the fetched archive differs from the file list"},
        {"members with folders, climbs and absolute names in a vouched archive",
         [path_members](const auto& server, Served& served) {
             auto members = path_members;
             members.push_back({"g2.bin", served.g2});
             serve_g2(server, served, rar_of(members), true);
         },
         0, "", true},
        {"the same members when the file itself is refused",
         [path_members](const auto& server, Served& served) {
             auto members = path_members;
             members.push_back({"g2.bin", "not the listed content"});
             serve_g2(server, served, rar_of(members), true);
         },
         3, "not updated: \\data\\g2.bin: g2.bin differs from the file list"},
        {"a second member that would overwrite the installed good g1.bin",
         [](const auto& server, Served& served) {
             serve_g2(server, served, rar_of({{"g1.bin", "EVIL"}, {"g2.bin", served.g2}}), true);
         },
         0, "", true},
        {"a 1 MB archive claiming a 1 GiB member",
         [](const auto& server, Served& served) {
             serve_g2(server, served,
                      claiming(rar_of({{"g2.bin", std::string(1 << 20, 'z')}}), 1u << 30), true);
         },
         3, "the update server sent more than it can be"},
        {"packed and content hashes in lower case",
         [](const auto& server, Served& served) {
             TFileRecord record = served.records[2];
             record.Hash = platform::to_lower_ascii(record.Hash);
             record.HashPacked = platform::to_lower_ascii(record.HashPacked);
             relist_g2(server, served, record);
         },
         0, "", true},
        {"a packed file list that unpacks past its bound",
         [](const auto& server, Served&) {
             platform::write_file_atomic(server / "updater.lst.vdp", ManifestBomb());
         },
         2,
         "The file list from the update server is not usable: The packed manifest does not "
         "unpack: bzip2 data decode to more than 134217728 bytes"},
        {"a file list of blank lines",
         [](const auto& server, Served&) { serve_manifest(server, "\r\n\r\n   \r\n\t\r\n"); }, 2,
         "The file list names no files"},
        {"a file list with a check section and no files",
         [](const auto& server, Served&) { serve_manifest(server, "\r\n#\r\n\\data\\g1.bin\r\n"); },
         2, "The file list names no files"},
    };
}

class HostileMirrorTest : public ::testing::TestWithParam<AttackCase> {
protected:
    // The first release installed; the second, with a new g2, published.
    void SetUp() override {
        pack_launcher(dir, launcher, server.url("/"));
        Release first{{{"\\system\\jux.exe", "the real game client"},
                       {"\\data\\g1.bin", "good g1"},
                       {kG2, "old g2"}}};
        first.check_section = {kG2}; // compared at every start
        PublishRelease(first, dir / "srv");
        ServeFolder(server, dir / "srv");
        const auto installed = update();
        ASSERT_EQ(installed.exit_code, 0) << installed.output;

        served.g2 = random_bytes(200000, 26);
        Release second = first;
        second.files[2].content = served.g2;
        served.records = PublishRelease(second, dir / "srv");
        snapshot = game_files(game);
    }

    ProcessResult update() {
        return run_process({launcher.string(), "update", "--folder", game.string()});
    }

    TempDir dir;
    FaultServer server;
    const std::filesystem::path game = dir / "game";
    const std::filesystem::path launcher = game / "gamelauncher";
    Served served;
    std::map<std::string, std::string> snapshot;
};

TEST_P(HostileMirrorTest, OnlyWhatTheFileListVouchesForReachesTheGameFolder) {
    const AttackCase& test = GetParam();
    test.attack(dir / "srv", served);
    ServeFolder(server, dir / "srv");

    const auto result = update();
    EXPECT_EQ(result.exit_code, test.exit_code) << result.output << result.errors;
    EXPECT_THAT(result.errors, HasSubstr(test.told));

    auto expected = snapshot;
    const auto now = game_files(game);
    if (test.g2_may_be_new && now.contains("data/g2.bin") && now.at("data/g2.bin") == served.g2)
        expected["data/g2.bin"] = served.g2; // provably the file list's
    EXPECT_TRUE(now == expected) << "the game folder holds only what it held or what is listed";
    if (test.g2_may_be_new) {
        EXPECT_TRUE(now.at("data/g2.bin") == served.g2) << "the listed file is installed";
    }
    auto left = leftovers(dir.path());
    if (test.exit_code == 2) // a damaged file list's packed form stays for the debug log's reader
        std::erase(left, "game/updater/$tmp.vdp");
    EXPECT_THAT(left, ::testing::IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
    EXPECT_FALSE(std::filesystem::exists("/abs/x"));
}

INSTANTIATE_TEST_SUITE_P(Attacks, HostileMirrorTest, ::testing::ValuesIn(attack_cases()));

} // namespace
} // namespace launcher::testing

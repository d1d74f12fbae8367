// Building a changed file from its old version and ranges of its archive,
// against a real HTTP server serving what the publisher wrote.
#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "patch/patched_file.h"
#include "patch_fixtures.h"
#include "platform/files.h"
#include "platform/plain_event_loop.h"
#include "platform/text.h"
#include "publish/release_publisher.h"
#include "support/fault_server.h"
#include "support/temp_dir.h"

#include <functional>

#include <gtest/gtest.h>

namespace launcher::patch {
namespace {

using launcher::testing::Fault;
using launcher::testing::FaultServer;
using launcher::testing::Resource;
using launcher::testing::TempDir;
using testing::RandomBytes;

constexpr std::size_t kFileSize = 300000;
constexpr std::size_t kChangedAt = 150000;

std::string text_of(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

class PatchedFileTest : public ::testing::Test {
public:
    PatchedFileTest() {
        old_content = text_of(RandomBytes(kFileSize, 1));
        new_content = old_content;
        new_content.replace(kChangedAt, 1000, std::string(1000, 'x'));
        new_content.insert(0, "inserted at the start");
        dir.write("game/world.pak", new_content);
        publish::PublishOptions options;
        options.game_dir = dir / "game";
        options.out_dir = dir / "server";
        options.block_index_from = 100000;
        publish::PublishRelease(options);
        TFileList catalogue(true);
        catalogue.LoadFromStrings(
            platform::split_lines(platform::read_file_text(dir / "server/updater.lst")));
        record = catalogue.GetItemByName("\\world.pak")->Content;
        archive = platform::read_file_text(dir / "server/world.pak.vdp");
        index = platform::read_file_text(dir / "server/world.pak.vdp.idx");
        dir.write("player/world.pak", old_content);
    }

    // Changes the archive's byte at `at` of the member and gives its block
    // the strong hash of what it now holds, as a hostile server could.
    void forge_block(std::size_t at) {
        archive[data_offset() + at] ^= 1;
        std::string why;
        const auto parsed = ParseBlockIndex(
            {reinterpret_cast<const std::uint8_t*>(index.data()), index.size()}, why);
        ASSERT_TRUE(parsed) << why;
        const std::size_t block = at / parsed->block_size;
        const std::string bytes = archive.substr(data_offset() + parsed->block_offset(block),
                                                 parsed->block_length(block));
        const StrongHash strong =
            StrongHashOf({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        const std::size_t records = index.size() - parsed->blocks.size() * 20;
        std::copy(strong.begin(), strong.end(),
                  index.begin() + static_cast<std::ptrdiff_t>(records + block * 20 + 4));
    }

    PatchOutcome build() { return build(server); }
    PatchOutcome build(FaultServer& http) {
        http.serve("/world.pak.vdp", Resource{archive, ignore_range});
        http.serve("/world.pak.vdp.idx", Resource{index});
        platform::PlainEventLoop loop;
        HttpClient client;
        const PatchJob job{http.url("/world.pak.vdp"),
                           dir / "player/world.pak",
                           dir / "player/.world.pak.new",
                           record.Hash,
                           static_cast<std::uint64_t>(record.Size),
                           record.HashPacked};
        return BuildPatchedFile(loop, client, job);
    }

    std::size_t data_offset() const { return archive.size() - 7 - new_content.size(); }

    TempDir dir;
    FaultServer server;
    std::string old_content;
    std::string new_content;
    TFileRecord record;
    std::string archive;
    std::string index;
    bool ignore_range = false;
};

TEST_F(PatchedFileTest, BuildsTheNewFileFetchingOnlyTheChangedBlocks) {
    const PatchOutcome outcome = build();
    ASSERT_TRUE(outcome.built) << outcome.why;
    EXPECT_EQ(platform::read_file_text(dir / "player/.world.pak.new"), new_content);
    EXPECT_EQ(platform::read_file_text(dir / "player/world.pak"), old_content);
    // The first block (the insertion) and the one or two the overwrite
    // touches; the rest came from the old file.
    std::string why;
    const auto parsed =
        ParseBlockIndex({reinterpret_cast<const std::uint8_t*>(index.data()), index.size()}, why);
    ASSERT_TRUE(parsed) << why;
    EXPECT_LE(outcome.fetched_bytes, 3u * parsed->block_size);
    EXPECT_EQ(outcome.fetched_bytes + outcome.local_bytes, new_content.size());
    EXPECT_EQ(outcome.index_bytes, index.size());
    for (const auto& get : server.gets("/world.pak.vdp"))
        EXPECT_FALSE(get.range.empty());
}

TEST_F(PatchedFileTest, EveryDoubtEndsWithNothingBuiltAndTheOldFileIntact) {
    const auto every = [](Fault fault) {
        fault.times = Fault::kEveryRequest;
        return fault;
    };
    struct Case {
        const char* what;
        const char* reason; // what the outcome says
        std::function<void(PatchedFileTest&, FaultServer&)> arrange;
    };
    const Case cases[] = {
        {"no index served", "no block index",
         [&](PatchedFileTest&, FaultServer& faults) {
             faults.add_fault("/world.pak.vdp.idx", every({Fault::Kind::Status, 0, 404}));
         }},
        {"a damaged index", "damaged block index",
         [](PatchedFileTest& t, FaultServer&) {
             t.index.replace(t.index.find("blocks "), 7, "blocks 1");
         }},
        {"an index cut short", "cut short",
         [](PatchedFileTest& t, FaultServer&) { t.index.resize(t.index.size() - 3); }},
        {"an index of another archive", "of another archive",
         [](PatchedFileTest& t, FaultServer&) {
             const auto at = t.index.find("archive-md5 ") + 12;
             t.index[at] = t.index[at] == '0' ? '1' : '0';
         }},
        {"a server that ignores Range", "did not answer the range",
         [](PatchedFileTest& t, FaultServer&) { t.ignore_range = true; }},
        {"a fetched block that fails its strong hash", "fails its hash",
         [](PatchedFileTest& t, FaultServer&) {
             t.archive[t.data_offset() + kChangedAt + 500] ^= 1;
         }},
        {"blocks that pass an index forged to match, but not the file list's hash",
         "differs from the file list",
         [](PatchedFileTest& t, FaultServer&) { t.forge_block(kChangedAt + 500); }},
        {"a range cut short", "could not be fetched",
         [&](PatchedFileTest&, FaultServer& faults) {
             faults.add_fault("/world.pak.vdp", every({Fault::Kind::DropAfterBytes, 100}));
         }},
        {"a range answered with an error", "HTTP status 500",
         [&](PatchedFileTest&, FaultServer& faults) {
             faults.add_fault("/world.pak.vdp", every({Fault::Kind::Status, 0, 500}));
         }},
        // Last: the player's file stays the unrelated one.
        {"an old file with nothing in common", "holds no block",
         [](PatchedFileTest& t, FaultServer&) {
             t.old_content = text_of(RandomBytes(kFileSize, 99));
             t.dir.write("player/world.pak", t.old_content);
         }},
    };
    const auto index_before = index;
    const auto archive_before = archive;
    for (const Case& c : cases) {
        FaultServer case_server;
        c.arrange(*this, case_server);
        const PatchOutcome outcome = build(case_server);
        EXPECT_FALSE(outcome.built) << c.what;
        EXPECT_NE(outcome.why.find(c.reason), std::string::npos) << c.what << ": " << outcome.why;
        EXPECT_FALSE(std::filesystem::exists(dir / "player/.world.pak.new")) << c.what;
        EXPECT_EQ(platform::read_file_text(dir / "player/world.pak"), old_content) << c.what;
        index = index_before;
        archive = archive_before;
        ignore_range = false;
    }
}

} // namespace
} // namespace launcher::patch

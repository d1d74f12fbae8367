#include "catalogue/md5.h"
#include "catalogue/parallel_hasher.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/plain_event_loop.h"
#include "platform/terminate_flag.h"
#include "platform/utf8_path.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// (needs windows.h first)
#include <tlhelp32.h>
#endif

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::TempDir;

const std::string kZeros(kPlaceholderHash);

// How many threads this process has now.
std::size_t thread_count() {
    std::size_t count = 0;
#ifdef _WIN32
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    ::CloseHandle(snapshot);
#else
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
#endif
    return count;
}

// A joined thread can stay listed for a moment while the kernel finishes
// its exit; wait (boundedly) for the count to come down to `wanted`.
std::size_t thread_count_once_settled(std::size_t wanted) {
    std::size_t count = thread_count();
    for (int i = 0; i < 200 && count > wanted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = thread_count();
    }
    return count;
}

TFileList list_of(const std::vector<std::string>& names, bool sorted = false) {
    TFileList list(sorted);
    for (const std::string& name : names)
        list.AddItemSimple(name, "IGNORED", "IGNORED", 99, 9.0);
    return list;
}

struct Report {
    std::string name;
    std::string hash;
    std::int64_t size;
    TDateTime date;
    std::thread::id thread;
};

class ParallelHasher : public ::testing::Test {
protected:
    // A game folder with files below nested folders; names use backslashes.
    void SetUp() override {
        dir_.write("System/Jux.exe", std::string(70000, 'x'));
        std::string archive(600000, '\0');
        for (std::size_t i = 0; i < archive.size(); ++i)
            archive[i] = static_cast<char>(i * 7 + i / 4099);
        dir_.write("System/Game.pak", archive); // several read buffers long
        dir_.write("data/a.pak", "alpha");
        dir_.write("data/b.pak", "");
        dir_.write("readme.txt", std::string(8192, 'r'));
    }

    std::string root() const { return dir_.path().string(); }

    std::unique_ptr<TFileList> hash(TMHThreads& hasher, const TFileList& input, int threads) {
        hasher.OnThreadFileProceed = [this](TMHThreads&, const std::string& name,
                                            const std::string& hash, std::int64_t size,
                                            TDateTime date) {
            reports_.push_back({name, hash, size, date, std::this_thread::get_id()});
        };
        return hasher.CalculateHash(root(), input, threads);
    }

    TempDir dir_;
    platform::PlainEventLoop loop_;
    std::vector<Report> reports_;
};

TEST_F(ParallelHasher, NothingToDoReturnsAnEmptyCatalogueAtOnce) {
    TMHThreads hasher(loop_);
    const TFileList files = list_of({"\\readme.txt"});
    for (const auto& [input, threads] :
         std::vector<std::pair<const TFileList*, int>>{{&files, 0}, {&files, -3}}) {
        const auto result = hash(hasher, *input, threads);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->Count(), 0);
        EXPECT_TRUE(result->IsSorted());
    }
    const TFileList empty(true);
    EXPECT_EQ(hash(hasher, empty, 3)->Count(), 0);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(ParallelHasher, HashesEveryFileWithAnyNumberOfThreads) {
    const std::vector<std::string> names{"\\System\\Jux.exe", "\\System\\Game.pak",
                                         "\\data\\a.pak",     "\\data\\b.pak",
                                         "\\readme.txt",      "\\missing.dat"};
    for (const int threads : {1, 3, 10}) {
        reports_.clear();
        TMHThreads hasher(loop_);
        const auto result = hash(hasher, list_of(names), threads);
        ASSERT_EQ(result->Count(), 6) << threads;
        EXPECT_EQ(reports_.size(), 6u);
        for (const std::string& name : names) {
            const TFileItem* item = result->GetItemByName(name);
            ASSERT_NE(item, nullptr) << name;
            EXPECT_EQ(item->Content.Name, name); // case and backslashes kept
            EXPECT_EQ(item->Content.HashPacked, kZeros);
            if (name == "\\missing.dat") {
                EXPECT_EQ(item->Content.Hash, kZeros);
                EXPECT_EQ(item->Content.Size, 0);
                EXPECT_EQ(item->Content.Date, 0.0);
                continue;
            }
            std::string on_disk_name = root() + name;
            std::replace(on_disk_name.begin(), on_disk_name.end(), '\\', '/');
            const auto on_disk = platform::path_from_utf8(on_disk_name);
            const auto status = platform::file_status(on_disk);
            ASSERT_TRUE(status);
            EXPECT_EQ(item->Content.Hash, MD5File(on_disk)) << name;
            EXPECT_EQ(item->Content.Size, static_cast<std::int64_t>(status->size));
            EXPECT_EQ(item->Content.Date, local_date_time_from_file_time(status->modified));
        }
        EXPECT_TRUE(hasher.isComplete());
    }
}

TEST_F(ParallelHasher, ReportsOncePerFileOnTheInterfaceThreadInCompletionOrder) {
    TMHThreads hasher(loop_);
    const auto result =
        hash(hasher,
             list_of({"\\readme.txt", "\\data\\b.pak", "\\System\\Jux.exe", "\\data\\a.pak"}), 1);
    // One worker: files finish in the key order in which they are handed out.
    std::vector<std::string> reported;
    for (const Report& report : reports_) {
        reported.push_back(report.name);
        EXPECT_EQ(report.thread, std::this_thread::get_id());
        const TFileItem* item = result->GetItemByName(report.name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(report.hash, item->Content.Hash);
        EXPECT_EQ(report.size, item->Content.Size);
        EXPECT_EQ(report.date, item->Content.Date);
    }
    EXPECT_EQ(reported, (std::vector<std::string>{"\\data\\a.pak", "\\data\\b.pak", "\\readme.txt",
                                                  "\\System\\Jux.exe"}));
}

TEST_F(ParallelHasher, NamesDifferingOnlyInCaseOrBlanksAreHashedOnce) {
    TMHThreads hasher(loop_);
    const auto result = hash(
        hasher, list_of({"\\data\\a.pak", "\\DATA\\A.PAK", " \\data\\a.pak ", "\\readme.txt"}), 3);
    EXPECT_EQ(result->Count(), 2);
    EXPECT_EQ(reports_.size(), 2u);
    EXPECT_EQ(result->GetItemByName("\\data\\a.pak")->Content.Name, "\\data\\a.pak");
}

TEST_F(ParallelHasher, NeverRunsMoreWorkersThanAsked) {
    for (int i = 0; i < 40; ++i)
        dir_.write("many/f" + std::to_string(i), std::string(20000, static_cast<char>(i)));
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("\\many\\f" + std::to_string(i));
    for (const int threads : {1, 3}) {
        const std::size_t before = thread_count_once_settled(1);
        std::size_t most = 0;
        TMHThreads hasher(loop_);
        hasher.OnThreadFileProceed = [&](TMHThreads&, const std::string&, const std::string&,
                                         std::int64_t, TDateTime) {
            most = std::max(most, thread_count() - before);
        };
        EXPECT_EQ(hasher.CalculateHash(root(), list_of(names), threads)->Count(), 40);
        EXPECT_GE(most, 1u);
        EXPECT_LE(most, static_cast<std::size_t>(threads));
        EXPECT_EQ(thread_count_once_settled(before), before); // every worker has ended
    }
}

TEST_F(ParallelHasher, SizeAndDateModeReadsNoContent) {
    // A file locked by a writer cannot be read, but its size and date can.
    const auto locked = dir_.write("locked.dat", "12345");
    auto writer = std::make_unique<platform::File>(locked, platform::File::Mode::ReadWrite);
    ASSERT_TRUE(writer->try_lock(platform::File::Lock::Exclusive));
    TMHThreads hasher(loop_);
    hasher.ModeIsHaveHash = false;
    const auto result = hash(hasher, list_of({"\\locked.dat", "\\data\\a.pak"}), 3);
    writer.reset();
    for (const char* name : {"\\locked.dat", "\\data\\a.pak"}) {
        const TFileRecord& record = result->GetItemByName(name)->Content;
        EXPECT_EQ(record.Hash, kZeros);
        EXPECT_EQ(record.Size, 5);
        EXPECT_NE(record.Date, 0.0);
    }
}

TEST_F(ParallelHasher, UnreadableFilesGivePlaceholderSizeZeroDateZero) {
    const auto locked = dir_.write("locked.dat", "12345");
    auto writer = std::make_unique<platform::File>(locked, platform::File::Mode::ReadWrite);
    ASSERT_TRUE(writer->try_lock(platform::File::Lock::Exclusive));
    TMHThreads hasher(loop_);
    const auto result = hash(hasher, list_of({"\\locked.dat", "\\data", "\\data\\a.pak"}), 3);
    writer.reset();
    for (const char* name : {"\\locked.dat", "\\data"}) {
        const TFileRecord& record = result->GetItemByName(name)->Content;
        EXPECT_EQ(record.Hash, kZeros) << name;
        EXPECT_EQ(record.Size, 0) << name;
        EXPECT_EQ(record.Date, 0.0) << name;
    }
    EXPECT_EQ(result->GetItemByName("\\data\\a.pak")->Content.Hash, MD5File(dir_ / "data/a.pak"));

#ifndef _WIN32 // a file that opens but fails to read
    TMHThreads proc(loop_);
    const auto failed = proc.CalculateHash("/proc/self", list_of({"\\mem"}), 1);
    EXPECT_EQ(failed->GetItemByName("\\mem")->Content.Hash, kZeros);
    EXPECT_EQ(failed->GetItemByName("\\mem")->Content.Size, 0);
#endif
}

TEST_F(ParallelHasher, DatesAreLocalTimeByTheRulesOfTheirDate) {
    std::unique_ptr<TFileList> result;
    {
        const testing::CentralEuropeanTime zone;
        if (!zone.active())
            GTEST_SKIP() << "the system's time zone is not Central European time";
        const auto winter = dir_.write("winter.dat", "w");
        const auto summer = dir_.write("summer.dat", "s");
        ASSERT_TRUE(platform::set_file_times(
            winter, {std::nullopt, timespec{1610712000, 0}, timespec{1610712000, 500'000'000}}));
        ASSERT_TRUE(platform::set_file_times(
            summer, {std::nullopt, timespec{1626350400, 0}, timespec{1626350400, 0}}));
        TMHThreads hasher(loop_);
        hasher.ModeIsHaveHash = false;
        result = hash(hasher, list_of({"\\winter.dat", "\\summer.dat"}), 3);
    }
    EXPECT_EQ(result->GetItemByName("\\winter.dat")->Content.Date,
              encode_date_time({2021, 1, 15, 13, 0, 0, 500}));
    EXPECT_EQ(result->GetItemByName("\\summer.dat")->Content.Date,
              encode_date_time({2021, 7, 15, 14, 0, 0, 0}));
}

TEST_F(ParallelHasher, HandlerErrorReachesTheCallerAfterRunningWorkersFinish) {
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        dir_.write("e/" + std::to_string(i), "x");
        names.push_back("\\e\\" + std::to_string(i));
    }
    const std::size_t before = thread_count_once_settled(1);
    TMHThreads hasher(loop_);
    int calls = 0;
    hasher.OnThreadFileProceed = [&](TMHThreads&, const std::string&, const std::string&,
                                     std::int64_t, TDateTime) {
        if (++calls == 2)
            throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(hasher.CalculateHash(root(), list_of(names), 3), std::runtime_error);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(thread_count_once_settled(before), before);
    // The coordinator can run again.
    hasher.OnThreadFileProceed = nullptr;
    EXPECT_EQ(hasher.CalculateHash(root(), list_of(names), 3)->Count(), 20);
}

TEST(ParallelHasherLoop, ErrorOnTheInterfaceThreadDuringTheWaitLeavesNoWorkerBehind) {
    const TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        dir.write(std::to_string(i), std::string(5000, 'z'));
        names.push_back("\\" + std::to_string(i));
    }
    platform::ManualClock clock;
    platform::PlainEventLoop loop(clock);
    loop.start_timer(platform::Milliseconds(10), [] { throw std::runtime_error("timer failed"); });
    const std::size_t before = thread_count_once_settled(1);
    TMHThreads hasher(loop);
    int reports = 0;
    hasher.OnThreadFileProceed = [&](TMHThreads&, const std::string&, const std::string&,
                                     std::int64_t, TDateTime) {
        if (++reports == 1)
            clock.advance(platform::Milliseconds(10)); // the timer is now due
    };
    EXPECT_THROW(hasher.CalculateHash(dir.path().string(), list_of(names), 3), std::runtime_error);
    EXPECT_LT(reports, 30);
    EXPECT_EQ(thread_count_once_settled(before), before);
}

TEST(ParallelHasherOffThread, RefusesToRunOffTheInterfaceThread) {
    platform::PlainEventLoop loop;
    TMHThreads hasher(loop);
    const TFileList input = list_of({"\\a"});
    bool refused = false;
    std::thread([&] {
        try {
            hasher.CalculateHash("/nowhere", input, 1);
        } catch (const std::logic_error&) {
            refused = true;
        }
    }).join();
    EXPECT_TRUE(refused);
}

class ParallelHasherDeathTest : public ParallelHasher {};

TEST_F(ParallelHasherDeathTest, TerminateFlagFromAReportEndsTheProcessWithCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TMHThreads hasher(loop_);
            hasher.OnThreadFileProceed = [](TMHThreads&, const std::string&, const std::string&,
                                            std::int64_t,
                                            TDateTime) { platform::set_application_terminated(); };
            hasher.CalculateHash(root(), list_of({"\\data\\a.pak", "\\readme.txt"}), 1);
            std::_Exit(3); // the pass must not return
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ParallelHasherDeathTest, TerminateFlagDuringTheWaitEndsTheProcessWithCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::ManualClock clock;
            platform::PlainEventLoop loop(clock);
            loop.start_timer(platform::Milliseconds(5),
                             [] { platform::set_application_terminated(); });
            TMHThreads hasher(loop);
            // The first report makes the close timer due; the wait notices the flag.
            hasher.OnThreadFileProceed = [&](TMHThreads&, const std::string&, const std::string&,
                                             std::int64_t, TDateTime) {
                clock.advance(platform::Milliseconds(5));
            };
            hasher.CalculateHash(root(),
                                 list_of({"\\data\\a.pak", "\\readme.txt", "\\data\\b.pak"}), 1);
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace launcher

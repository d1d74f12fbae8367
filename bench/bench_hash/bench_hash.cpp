// Parallel hashing of cached files: 2,000 files of 64 KiB with 1 and 3
// workers and with md5sum over the same files, and 10,000 empty files.
#include "catalogue/parallel_hasher.h"
#include "platform/plain_event_loop.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <benchmark/benchmark.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A folder of generated files, removed when the program ends.
class FileSet {
public:
    FileSet(const std::string& tag, int count, std::size_t size) {
        std::string pattern =
            (fs::temp_directory_path() / ("bench-hash-" + tag + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("Cannot create a temporary folder");
        root_ = pattern;
        std::string content(size, '\0');
        for (int i = 0; i < count; ++i) {
            for (std::size_t b = 0; b < size; ++b)
                content[b] = static_cast<char>((b * 31 + static_cast<std::size_t>(i)) & 0xFF);
            const std::string name = "\\files\\f" + std::to_string(i) + ".dat";
            const fs::path path = root_ / ("files/f" + std::to_string(i) + ".dat");
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary)
                .write(content.data(), static_cast<std::streamsize>(size));
            list_.AddItemEmpty(name);
            paths_.push_back(path.string());
        }
    }
    ~FileSet() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    std::string root() const { return root_.string(); }
    const launcher::TFileList& list() const { return list_; }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    fs::path root_;
    launcher::TFileList list_{true};
    std::vector<std::string> paths_;
};

const FileSet& big_files() {
    static const FileSet files("64k", 2000, 64 * 1024);
    return files;
}

const FileSet& empty_files() {
    static const FileSet files("empty", 10000, 0);
    return files;
}

void hash_files(benchmark::State& state, const FileSet& files, int threads) {
    launcher::platform::PlainEventLoop loop;
    launcher::TMHThreads warm_up(loop); // brings the files into the page cache
    benchmark::DoNotOptimize(warm_up.CalculateHash(files.root(), files.list(), 3));
    for (auto _ : state) {
        launcher::TMHThreads hasher(loop);
        const auto result = hasher.CalculateHash(files.root(), files.list(), threads);
        if (result->Count() != files.list().Count())
            state.SkipWithError("files were lost");
    }
    state.SetItemsProcessed(state.iterations() * files.list().Count());
}

void hash_64k_1_worker(benchmark::State& state) {
    hash_files(state, big_files(), 1);
}
void hash_64k_3_workers(benchmark::State& state) {
    hash_files(state, big_files(), 3);
}
void hash_empty_1_worker(benchmark::State& state) {
    hash_files(state, empty_files(), 1);
}
void hash_empty_3_workers(benchmark::State& state) {
    hash_files(state, empty_files(), 3);
}

// md5sum over the same files in one process, output discarded.
void hash_64k_md5sum(benchmark::State& state) {
    const FileSet& files = big_files();
    std::vector<char*> argv;
    std::string program = "md5sum";
    argv.push_back(program.data());
    std::vector<std::string> paths = files.paths();
    for (std::string& path : paths)
        argv.push_back(path.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const int error = posix_spawnp(&child, "md5sum", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (error != 0 || ::waitpid(child, &status, 0) != child || status != 0)
            state.SkipWithError("md5sum failed");
    }
    state.SetItemsProcessed(state.iterations() * files.list().Count());
}

} // namespace

BENCHMARK(hash_64k_1_worker)
    ->Name("Hash/2000x64KiB/1_worker")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(hash_64k_3_workers)
    ->Name("Hash/2000x64KiB/3_workers")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(hash_64k_md5sum)
    ->Name("Hash/2000x64KiB/md5sum")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(hash_empty_1_worker)
    ->Name("Hash/10000_empty/1_worker")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(hash_empty_3_workers)
    ->Name("Hash/10000_empty/3_workers")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

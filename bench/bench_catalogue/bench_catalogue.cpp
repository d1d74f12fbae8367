// Loading a 100,000-line catalogue into a sorted TFileList, lines in random
// key order with one in fifty repeating an earlier key.
#include "catalogue/file_catalogue.h"
#include "platform/files.h"
#include "platform/text.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100'000;

const std::vector<std::string>& catalogue_lines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> out;
        out.reserve(kLines);
        std::mt19937 random(42);
        for (int i = 0; i < kLines; ++i) {
            const int file =
                i % 50 == 49 ? static_cast<int>(random() % static_cast<unsigned>(i)) : i;
            out.push_back("900150983CD24FB0D6963F7D28E17F72|\\Data\\Folder" +
                          std::to_string(file % 97) + "\\File" + std::to_string(file) +
                          ".pak|1254400|40E545D8AAAAAAAB|0CC175B9C0F1B6A831C399E269772661");
        }
        std::shuffle(out.begin(), out.end(), random);
        return out;
    }();
    return lines;
}

void load_from_strings(benchmark::State& state) {
    const auto& lines = catalogue_lines();
    for (auto _ : state) {
        auto list = std::make_unique<launcher::TFileList>(true);
        list->LoadFromStrings(lines);
        benchmark::DoNotOptimize(list->Count());
        state.PauseTiming(); // releasing the list is not part of loading it
        list.reset();
        state.ResumeTiming();
    }
}

void load_from_file(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "bench_catalogue_100k.lst";
    launcher::platform::write_file_atomic(path, launcher::platform::join_crlf(catalogue_lines()));
    for (auto _ : state) {
        auto list = std::make_unique<launcher::TFileList>(true);
        list->LoadFromFile(path);
        benchmark::DoNotOptimize(list->Count());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(load_from_strings)->Name("Catalogue/load_100k_lines")->Unit(benchmark::kMillisecond);
BENCHMARK(load_from_file)->Name("Catalogue/load_100k_line_file")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

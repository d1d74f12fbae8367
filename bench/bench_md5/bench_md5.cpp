// Throughput of our MD5 against OpenSSL's on the same 64 MiB buffer.
#include "catalogue/md5.h"

#include <cstdint>
#include <openssl/evp.h>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t kBufferSize = 64u << 20;

const std::vector<std::uint8_t>& buffer() {
    static const std::vector<std::uint8_t> data = [] {
        std::vector<std::uint8_t> bytes(kBufferSize);
        std::uint32_t state = 2463534242u; // xorshift: cheap, incompressible
        for (auto& byte : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<std::uint8_t>(state);
        }
        return bytes;
    }();
    return data;
}

void md5_ours(benchmark::State& state) {
    const auto& data = buffer();
    for (auto _ : state) {
        launcher::TMD5 md5;
        md5.Add(data.data(), data.size());
        benchmark::DoNotOptimize(md5.Digest());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void md5_openssl(benchmark::State& state) {
    const auto& data = buffer();
    const EVP_MD* md5 = EVP_md5();
    for (auto _ : state) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_Digest(data.data(), data.size(), digest, &length, md5, nullptr);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

} // namespace

BENCHMARK(md5_ours)->Name("MD5/ours")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(md5_openssl)->Name("MD5/openssl")->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();

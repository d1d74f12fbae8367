#include "config/config_data.h"
#include "config/config_package.h"
#include "config/debug_file.h"
#include "config_fixtures.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <numeric>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using platform::Bytes;
using platform::MemoryStream;

Bytes bytes_of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Resource bytes: the length field, then `payload`.
Bytes resource_of(std::int32_t length, const Bytes& payload) {
    MemoryStream resource;
    resource.write_int(length);
    resource.write(payload);
    return resource.release();
}

Bytes scrambled(Bytes plain) {
    MemoryStream stream(std::move(plain));
    XorStream(stream, FormConfigKey());
    return stream.release();
}

struct LoadResult {
    bool loaded;
    Bytes stream;
    std::vector<std::string> log;
};

LoadResult load(const Bytes& resource) {
    tDebugFile log;
    log.enabled = true;
    tConfigData config;
    config.debug_file = &log;
    config.resource_source = [&]() -> std::optional<std::span<const std::uint8_t>> {
        if (resource.empty())
            return std::nullopt;
        return std::span(resource);
    };
    MemoryStream stream;
    const bool loaded = config.LoadConfig(stream);
    return {loaded, stream.release(), log.lines()};
}

TEST(XorStreamTest, UsesKeyBytesByStreamOffsetAndIsItsOwnInverse) {
    const std::string key = FormConfigKey();
    ASSERT_EQ(key.size(), 20u);
    Bytes original(45);
    std::iota(original.begin(), original.end(), 0);
    MemoryStream stream(original);
    stream.seek(17); // the position before the call does not matter
    XorStream(stream, key);
    EXPECT_EQ(stream.position(), 45u);
    for (std::size_t j = 0; j < 45; ++j)
        EXPECT_EQ(stream.bytes()[j], original[j] ^ static_cast<std::uint8_t>(key[j % 20])) << j;
    XorStream(stream, key);
    EXPECT_EQ(stream.bytes(), original);

    MemoryStream empty;
    XorStream(empty, key);
    EXPECT_EQ(empty.size(), 0u);
}

TEST(XorStreamTest, RejectsKeysOutsideOneTo200Bytes) {
    MemoryStream stream(bytes_of("abc"));
    EXPECT_THROW(XorStream(stream, ""), ConfigPackageError);
    EXPECT_THROW(XorStream(stream, std::string(201, 'k')), ConfigPackageError);
    EXPECT_NO_THROW(XorStream(stream, std::string(200, 'k')));
}

TEST(DecodeBZip2StreamTest, DecodesFromTheSourcePositionIntoTheTargetPosition) {
    const Bytes packed = EncodeBZip2(bytes_of("hello, world"));
    MemoryStream source(bytes_of("HDR!"));
    source.seek(4);
    source.write(packed);
    source.seek(4);
    MemoryStream target(bytes_of(">>"));
    target.seek(2);
    DecodeBZip2Stream(source, target);
    EXPECT_EQ(target.bytes(), bytes_of(">>hello, world"));
    EXPECT_EQ(source.position(), source.size());
}

TEST(DecodeBZip2StreamTest, LargeDataCrossesManyChunks) {
    Bytes data(300000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>((i * 7919) >> 3);
    MemoryStream source(EncodeBZip2(data));
    MemoryStream target;
    DecodeBZip2Stream(source, target);
    EXPECT_EQ(target.bytes(), data);
}

TEST(DecodeBZip2StreamTest, CorruptDataRaisesAndATruncatedStreamYieldsWhatWasDecoded) {
    MemoryStream garbage(bytes_of("BZh9 this is not bzip2 data at all"));
    MemoryStream ignored;
    EXPECT_THROW(DecodeBZip2Stream(garbage, ignored), ConfigPackageError);

    Bytes data(200000, 'a');
    for (std::size_t i = 0; i < data.size(); i += 97)
        data[i] = static_cast<std::uint8_t>(i);
    Bytes packed = EncodeBZip2(data);
    packed.resize(packed.size() - 8); // drop the end-of-stream marker and checksum
    MemoryStream truncated(packed);
    MemoryStream partial;
    EXPECT_NO_THROW(DecodeBZip2Stream(truncated, partial));
    EXPECT_LE(partial.size(), data.size());
    EXPECT_TRUE(std::equal(partial.bytes().begin(), partial.bytes().end(), data.begin()));
}

TEST(ConfigPackageTest, EncodeThenLoadGivesTheDecodedContentAndBothLogLines) {
    const Bytes content = bytes_of("skin bytes then [config]\r\ninstance=Demo\r\n");
    const Bytes resource = EncodeConfigPackage(content);
    const auto result = load(resource);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.stream, content);
    const auto payload_length = resource.size() - 4;
    EXPECT_EQ(result.log, (std::vector<std::string>{"  try load config",
                                                    "  read config from memory.. config size: " +
                                                        std::to_string(payload_length)}));
    EXPECT_EQ(DecodeConfigPackage(resource), content);
}

struct LengthCase {
    std::int32_t length;
    std::size_t payload_size;
    bool accepted;
};

class PackageLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(PackageLengthTest, LengthFieldBounds) {
    const auto [length, payload_size, accepted] = GetParam();
    // A valid stream followed by padding: decoding stops at the stream's end.
    Bytes plain = EncodeBZip2(bytes_of("content"));
    plain.resize(std::max(payload_size, plain.size()), 0);
    plain.resize(payload_size);
    const auto result = load(resource_of(length, scrambled(plain)));
    EXPECT_EQ(result.loaded, accepted);
    EXPECT_EQ(result.stream, accepted ? bytes_of("content") : Bytes{});
    ASSERT_EQ(result.log.size(), 2u); // the rejected length is logged
    EXPECT_EQ(result.log[1], "  read config from memory.. config size: " + std::to_string(length));
}

INSTANTIATE_TEST_SUITE_P(Lengths, PackageLengthTest,
                         ::testing::Values(LengthCase{1536000, 1536000, true},
                                           LengthCase{1536001, 1536001, false},
                                           LengthCase{0, 100, false}, LengthCase{-1, 100, false},
                                           LengthCase{-1536000, 100, false},
                                           LengthCase{200, 100, false}));

TEST(ConfigPackageTest, MissingResourceOrDamagedPayloadLeavesTheStreamEmpty) {
    const auto missing = load({});
    EXPECT_FALSE(missing.loaded);
    EXPECT_EQ(missing.log, (std::vector<std::string>{"  try load config"}));

    const auto short_field = load(bytes_of("\x01\x00"));
    EXPECT_FALSE(short_field.loaded);
    EXPECT_EQ(short_field.log.size(), 1u);

    const auto damaged = load(resource_of(10, bytes_of("0123456789")));
    EXPECT_FALSE(damaged.loaded);
    EXPECT_TRUE(damaged.stream.empty());
}

TEST(ConfigPackageTest, PayloadTooLargeForTheBlockIsRefused) {
    Bytes noise(1700000);
    std::uint32_t state = 12345;
    for (auto& byte : noise) {
        state = state * 1103515245 + 12345;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    EXPECT_THROW(EncodeConfigPackage(noise), ConfigPackageError);
}

TEST(ConfigPackageTest, DebugModeDumpsTheScrambledPayloadToConfigPack) {
    testing::TempDir dir;
    testing::CurrentDirectory in_dir(dir.path());
    const Bytes resource = EncodeConfigPackage(bytes_of("x"));
    const Bytes payload(resource.begin() + 4, resource.end());

    for (bool enabled : {false, true}) {
        tDebugFile log;
        log.enabled = enabled;
        tConfigData config;
        config.debug_file = &log;
        config.resource_source = [&] { return std::optional(std::span(resource)); };
        MemoryStream stream;
        EXPECT_TRUE(config.LoadConfig(stream));
        EXPECT_EQ(std::filesystem::exists(dir / "config.pack"), enabled);
    }
    EXPECT_EQ(platform::read_file(dir / "config.pack"), payload);
}

} // namespace
} // namespace launcher

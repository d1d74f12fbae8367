#include "update/release_signature.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <sodium.h>
#include <stdexcept>

namespace launcher {
namespace {

constexpr std::string_view kPublicPrefix = "ed25519:";
constexpr std::string_view kSecretPrefix = "ed25519-secret:";

void ensure_sodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("The cryptography library could not be initialised");
}

template <std::size_t N>
std::string base64_of(const std::array<std::uint8_t, N>& bytes) {
    std::string text(sodium_base64_ENCODED_LEN(N, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes.data(), N, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.find('\0'));
    return text;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> from_base64(std::string_view text) {
    std::array<std::uint8_t, N> bytes{};
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(bytes.data(), N, text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length != N || end != text.data() + text.size())
        return std::nullopt;
    return bytes;
}

std::string hex_of(std::span<const std::uint8_t> bytes) {
    std::string text(bytes.size() * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), bytes.data(), bytes.size());
    text.pop_back();
    return text;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> from_hex(std::string_view text) {
    std::array<std::uint8_t, N> bytes{};
    std::size_t length = 0;
    const char* end = nullptr;
    if (text.size() != 2 * N ||
        sodium_hex2bin(bytes.data(), N, text.data(), text.size(), nullptr, &length, &end) != 0 ||
        length != N)
        return std::nullopt;
    return bytes;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// The value of a line "NAME VALUE", or none when the line is another one.
std::optional<std::string_view> field(std::string_view line, std::string_view name) {
    line = trimmed(line);
    if (!line.starts_with(name) || line.size() <= name.size() || line[name.size()] != ' ')
        return std::nullopt;
    return trimmed(line.substr(name.size() + 1));
}

std::string signed_lines(std::uint64_t release, std::int64_t expires, std::string_view sha256,
                         std::string_view key_id) {
    std::string text(kSignatureFormat);
    text += "\nrelease " + std::to_string(release) + "\n";
    text += "expires " + UtcText(expires) + "\n";
    text += "sha256 " + std::string(sha256) + "\n";
    text += "key " + std::string(key_id) + "\n";
    return text;
}

} // namespace

KeyPair GenerateKeyPair() {
    ensure_sodium();
    KeyPair pair;
    crypto_sign_keypair(pair.public_key.data(), pair.secret_key.data());
    return pair;
}

std::string PublicKeyText(const PublicKey& key) {
    return std::string(kPublicPrefix) + base64_of(key);
}

std::string SecretKeyText(const SecretKey& key) {
    return std::string(kSecretPrefix) + base64_of(key);
}

std::optional<PublicKey> ParsePublicKey(std::string_view text) {
    text = trimmed(text);
    if (!text.starts_with(kPublicPrefix))
        return std::nullopt;
    ensure_sodium();
    return from_base64<32>(text.substr(kPublicPrefix.size()));
}

std::optional<SecretKey> ParseSecretKey(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    text = trimmed(text);
    if (!text.starts_with(kSecretPrefix))
        return std::nullopt;
    ensure_sodium();
    return from_base64<64>(text.substr(kSecretPrefix.size()));
}

PublicKey PublicKeyOf(const SecretKey& key) {
    ensure_sodium();
    PublicKey public_key{};
    crypto_sign_ed25519_sk_to_pk(public_key.data(), key.data());
    return public_key;
}

std::string KeyId(const PublicKey& key) {
    ensure_sodium();
    std::array<std::uint8_t, crypto_hash_sha256_BYTES> digest{};
    crypto_hash_sha256(digest.data(), key.data(), key.size());
    return hex_of(std::span(digest).first(8));
}

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    ensure_sodium();
    std::array<std::uint8_t, crypto_hash_sha256_BYTES> digest{};
    crypto_hash_sha256(digest.data(), bytes.data(), bytes.size());
    return hex_of(digest);
}

std::string SignRelease(std::span<const std::uint8_t> manifest, std::uint64_t release,
                        std::int64_t expires, const SecretKey& key) {
    ensure_sodium();
    const std::string text =
        signed_lines(release, expires, Sha256Hex(manifest), KeyId(PublicKeyOf(key)));
    std::array<std::uint8_t, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                         key.data());
    return text + "signature " + hex_of(signature) + "\n";
}

std::optional<ReleaseSignature> ParseReleaseSignature(std::string_view text, std::string& error) {
    const std::size_t signature_line = text.rfind("\nsignature ");
    if (signature_line == std::string_view::npos) {
        error = "it has no signature line";
        return std::nullopt;
    }
    ReleaseSignature parsed;
    parsed.signed_text = std::string(text.substr(0, signature_line + 1));

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < parsed.signed_text.size();) {
        const std::size_t end = parsed.signed_text.find('\n', start);
        lines.push_back(std::string_view(parsed.signed_text).substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() != 5 || trimmed(lines[0]) != kSignatureFormat) {
        error = "it is not a signature file of a known format";
        return std::nullopt;
    }
    const auto release = field(lines[1], "release");
    const auto expires = field(lines[2], "expires");
    const auto sha256 = field(lines[3], "sha256");
    const auto key = field(lines[4], "key");
    const auto signature = field(text.substr(signature_line + 1), "signature");
    if (!release || !expires || !sha256 || !key || !signature) {
        error = "a field is missing";
        return std::nullopt;
    }
    const auto [end, failed] =
        std::from_chars(release->data(), release->data() + release->size(), parsed.release);
    const auto when = ParseUtcText(*expires);
    auto bytes = from_hex<64>(*signature);
    if (failed != std::errc{} || end != release->data() + release->size() || !when || !bytes ||
        sha256->size() != 64) {
        error = "a field is not readable";
        return std::nullopt;
    }
    parsed.expires = *when;
    parsed.manifest_sha256 = std::string(*sha256);
    parsed.key_id = std::string(*key);
    parsed.signature = *bytes;
    return parsed;
}

std::string UtcText(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds when{std::chrono::seconds(seconds)};
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{when - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::optional<std::int64_t> ParseUtcText(std::string_view text) {
    int year = 0;
    unsigned month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    const std::string copy(text);
    char zone = 0;
    if (copy.size() != 20 ||
        std::sscanf(copy.c_str(), "%4d-%2u-%2uT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                    &second, &zone) != 7 ||
        zone != 'Z')
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 60 || hour < 0 || minute < 0 ||
        second < 0)
        return std::nullopt;
    const auto when = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    return when.time_since_epoch().count();
}

ReleaseCheck VerifyRelease(std::string_view signature_file, std::span<const std::uint8_t> manifest,
                           const std::vector<PublicKey>& keys, std::int64_t now,
                           std::uint64_t highest_accepted) {
    ensure_sodium();
    ReleaseCheck check;
    std::string error;
    const auto parsed = ParseReleaseSignature(signature_file, error);
    if (!parsed) {
        check.reason = "the signature file is damaged: " + error;
        return check;
    }
    check.release = parsed->release;
    const PublicKey* signer = nullptr;
    for (const PublicKey& key : keys)
        if (KeyId(key) == parsed->key_id)
            signer = &key;
    if (!signer) {
        check.verdict = ReleaseVerdict::UnknownKey;
        check.reason = "it is signed by a key this launcher does not know (" + parsed->key_id + ")";
        return check;
    }
    if (crypto_sign_verify_detached(
            parsed->signature.data(),
            reinterpret_cast<const unsigned char*>(parsed->signed_text.data()),
            parsed->signed_text.size(), signer->data()) != 0) {
        check.verdict = ReleaseVerdict::BadSignature;
        check.reason = "its signature does not verify";
        return check;
    }
    if (Sha256Hex(manifest) != parsed->manifest_sha256) {
        check.verdict = ReleaseVerdict::ManifestChanged;
        check.reason = "the file list is not the one the publisher signed";
        return check;
    }
    if (now >= parsed->expires) {
        check.verdict = ReleaseVerdict::Expired;
        check.reason = "release " + std::to_string(parsed->release) + " expired at " +
                       UtcText(parsed->expires);
        return check;
    }
    if (parsed->release < highest_accepted) {
        check.verdict = ReleaseVerdict::Rollback;
        check.reason = "release " + std::to_string(parsed->release) + " is older than release " +
                       std::to_string(highest_accepted) + ", which this game folder already has";
        return check;
    }
    check.verdict = ReleaseVerdict::Valid;
    return check;
}

} // namespace launcher

#include "update/release_signature.h"

#include <algorithm>
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

bool parse_number(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 20 || text.front() < '0' || text.front() > '9')
        return false;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failed == std::errc{} && end == text.data() + text.size();
}

bool is_lower_hex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::vector<std::string_view> split_lf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// The value of a line "NAME VALUE", exactly so, or none.
std::optional<std::string_view> exact_field(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() + 1 || !line.starts_with(name) || line[name.size()] != ' ')
        return std::nullopt;
    return line.substr(name.size() + 1);
}

std::string signed_lines(std::span<const std::uint8_t> manifest, const ReleaseTerms& terms) {
    std::string text(kSignatureFormat);
    text += "\nrelease " + std::to_string(terms.release) + "\n";
    text += "channel " + terms.channel + "\n";
    text += "signed " + UtcText(terms.signed_at) + "\n";
    text += "expires " + UtcText(terms.expires) + "\n";
    text += "size " + std::to_string(manifest.size()) + "\n";
    text += "sha256 " + Sha256Hex(manifest) + "\n";
    return text;
}

std::optional<KeySignature> signature_line(std::string_view value) {
    const std::size_t blank = value.find(' ');
    if (blank != 16 || !is_lower_hex(value.substr(0, 16)))
        return std::nullopt;
    auto bytes = from_hex<64>(value.substr(17));
    if (!bytes || !is_lower_hex(value.substr(17)))
        return std::nullopt;
    return KeySignature{std::string(value.substr(0, 16)), *bytes};
}

// Format 1: release, expires, sha256, key, then "signature HEX".
std::optional<ReleaseSignature> parse_format_1(const std::vector<std::string_view>& lines,
                                               std::string_view text, std::string& error) {
    ReleaseSignature parsed;
    parsed.format = 1;
    if (lines.size() != 6) {
        error = "it is not a signature file of a known format";
        return std::nullopt;
    }
    const auto release = exact_field(lines[1], "release");
    const auto expires = exact_field(lines[2], "expires");
    const auto sha256 = exact_field(lines[3], "sha256");
    const auto key = exact_field(lines[4], "key");
    const auto signature = exact_field(lines[5], "signature");
    if (!release || !expires || !sha256 || !key || !signature) {
        error = "a field is missing";
        return std::nullopt;
    }
    const auto when = ParseUtcText(*expires);
    const auto bytes = from_hex<64>(*signature);
    if (!parse_number(*release, parsed.terms.release) || !when || !bytes || sha256->size() != 64 ||
        !is_lower_hex(*sha256) || key->size() != 16 || !is_lower_hex(*key)) {
        error = "a field is not readable";
        return std::nullopt;
    }
    parsed.terms.expires = *when;
    parsed.manifest_sha256 = std::string(*sha256);
    parsed.signatures.push_back(KeySignature{std::string(*key), *bytes});
    parsed.signed_text = std::string(text.substr(0, text.size() - lines[5].size() - 1));
    return parsed;
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

bool IsChannelName(std::string_view name) {
    return !name.empty() && name.size() <= 64 &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                  "0123456789._-") == std::string_view::npos;
}

std::string SignRelease(std::span<const std::uint8_t> manifest, const ReleaseTerms& terms,
                        const std::vector<SecretKey>& keys) {
    ensure_sodium();
    if (!IsChannelName(terms.channel))
        throw std::invalid_argument("not a channel name: " + terms.channel);
    const std::string text = signed_lines(manifest, terms);
    std::string file = text;
    for (const SecretKey& key : keys) {
        std::array<std::uint8_t, crypto_sign_BYTES> signature{};
        crypto_sign_detached(signature.data(), nullptr,
                             reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                             key.data());
        file += "signature " + KeyId(PublicKeyOf(key)) + " " + hex_of(signature) + "\n";
    }
    return file;
}

std::optional<ReleaseSignature> ParseReleaseSignature(std::string_view text, std::string& error) {
    if (text.size() > kLongestSignatureFile) {
        error = "it is longer than " + std::to_string(kLongestSignatureFile) + " bytes";
        return std::nullopt;
    }
    if (text.empty() || text.back() != '\n') {
        error = "it does not end with a complete line";
        return std::nullopt;
    }
    const std::vector<std::string_view> lines = split_lf(text.substr(0, text.size() - 1));
    if (!lines.empty() && lines[0] == kFormerSignatureFormat)
        return parse_format_1(lines, text, error);
    if (lines.size() < 8 || lines[0] != kSignatureFormat) {
        error = "it is not a signature file of a known format";
        return std::nullopt;
    }
    ReleaseSignature parsed;
    const auto release = exact_field(lines[1], "release");
    const auto channel = exact_field(lines[2], "channel");
    const auto signed_at = exact_field(lines[3], "signed");
    const auto expires = exact_field(lines[4], "expires");
    const auto size = exact_field(lines[5], "size");
    const auto sha256 = exact_field(lines[6], "sha256");
    if (!release || !channel || !signed_at || !expires || !size || !sha256) {
        error = "a field is missing";
        return std::nullopt;
    }
    const auto signed_time = ParseUtcText(*signed_at);
    const auto expiry = ParseUtcText(*expires);
    if (!parse_number(*release, parsed.terms.release) || !IsChannelName(*channel) || !signed_time ||
        !expiry || !parse_number(*size, parsed.manifest_size) || sha256->size() != 64 ||
        !is_lower_hex(*sha256)) {
        error = "a field is not readable";
        return std::nullopt;
    }
    if (lines.size() - 7 > kMostSignatures) {
        error = "it holds more than " + std::to_string(kMostSignatures) + " signatures";
        return std::nullopt;
    }
    for (std::size_t i = 7; i < lines.size(); ++i) {
        const auto value = exact_field(lines[i], "signature");
        const auto signature = value ? signature_line(*value) : std::nullopt;
        if (!signature) {
            error = "line " + std::to_string(i + 1) + " is not a signature";
            return std::nullopt;
        }
        for (const KeySignature& earlier : parsed.signatures)
            if (earlier.key_id == signature->key_id) {
                error = "key " + signature->key_id + " signs twice";
                return std::nullopt;
            }
        parsed.signatures.push_back(*signature);
    }
    parsed.terms.channel = std::string(*channel);
    parsed.terms.signed_at = *signed_time;
    parsed.terms.expires = *expiry;
    parsed.manifest_sha256 = std::string(*sha256);
    parsed.signed_text = std::string(text.substr(0, lines[7].data() - text.data()));
    return parsed;
}

std::vector<std::string> VerifiedSigners(const ReleaseSignature& parsed,
                                         const std::vector<PublicKey>& keys) {
    ensure_sodium();
    std::vector<std::string> signers;
    for (const PublicKey& key : keys) {
        const std::string id = KeyId(key);
        for (const KeySignature& signature : parsed.signatures)
            if (signature.key_id == id &&
                crypto_sign_verify_detached(
                    signature.signature.data(),
                    reinterpret_cast<const unsigned char*>(parsed.signed_text.data()),
                    parsed.signed_text.size(), key.data()) == 0)
                signers.push_back(id);
    }
    return signers;
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

namespace {

std::string days_text(std::int64_t seconds) {
    return std::to_string(seconds / (24 * 60 * 60)) + " days";
}

// The position of a key id among the configured keys, or none.
std::optional<std::size_t> key_rank(const std::vector<std::string>& ids, std::string_view id) {
    for (std::size_t rank = 0; rank < ids.size(); ++rank)
        if (ids[rank] == id)
            return rank;
    return std::nullopt;
}

ReleaseCheck refused(ReleaseVerdict verdict, std::uint64_t release, std::string reason) {
    ReleaseCheck check;
    check.verdict = verdict;
    check.release = release;
    check.reason = std::move(reason);
    return check;
}

} // namespace

ReleaseCheck VerifyRelease(std::string_view signature_file, std::span<const std::uint8_t> manifest,
                           const std::vector<PublicKey>& keys,
                           std::optional<std::string_view> channel, std::int64_t now,
                           const AcceptedRelease& accepted) {
    std::string error;
    const auto parsed = ParseReleaseSignature(signature_file, error);
    if (!parsed)
        return refused(ReleaseVerdict::Malformed, 0, "the signature file is damaged: " + error);
    const ReleaseTerms& terms = parsed->terms;
    const std::string number = "release " + std::to_string(terms.release);

    std::vector<std::string> ids;
    for (const PublicKey& key : keys)
        ids.push_back(KeyId(key));
    const std::vector<std::string> signers = VerifiedSigners(*parsed, keys);
    bool known = false;
    for (const KeySignature& signature : parsed->signatures)
        if (key_rank(ids, signature.key_id)) {
            known = true;
            if (!key_rank(signers, signature.key_id))
                return refused(ReleaseVerdict::BadSignature, terms.release,
                               "its signature by key " + signature.key_id + " does not verify");
        }
    if (!known) {
        std::string named;
        for (const KeySignature& signature : parsed->signatures)
            named += (named.empty() ? "" : ", ") + signature.key_id;
        return refused(ReleaseVerdict::UnknownKey, terms.release,
                       "it is signed by a key this launcher does not know (" + named + ")");
    }
    if (Sha256Hex(manifest) != parsed->manifest_sha256 ||
        (parsed->format >= 2 && manifest.size() != parsed->manifest_size))
        return refused(ReleaseVerdict::ManifestChanged, terms.release,
                       "the file list is not the one the publisher signed");
    if (channel && terms.channel != *channel)
        return refused(ReleaseVerdict::OtherChannel, terms.release,
                       number + " is for channel " + terms.channel + ", this launcher is on " +
                           std::string(*channel));
    if (parsed->format < 2) {
        if (accepted.format >= 2)
            return refused(ReleaseVerdict::FormerFormat, terms.release,
                           number + " has a format-1 signature, and this game folder already "
                                    "accepted a release of format 2");
        if (terms.expires - now > kLongestValidity)
            return refused(ReleaseVerdict::TooLong, terms.release,
                           number + " has a format-1 signature that is valid for " +
                               days_text(terms.expires - now) + " more, longer than " +
                               days_text(kLongestValidity));
    } else if (terms.expires <= terms.signed_at ||
               terms.expires - terms.signed_at > kLongestValidity) {
        return refused(ReleaseVerdict::TooLong, terms.release,
                       number + " is valid from " + UtcText(terms.signed_at) + " to " +
                           UtcText(terms.expires) + ", not between 0 and " +
                           days_text(kLongestValidity));
    }
    if (now >= terms.expires)
        return refused(ReleaseVerdict::Expired, terms.release,
                       number + " expired at " + UtcText(terms.expires));
    if (terms.release < accepted.release)
        return refused(ReleaseVerdict::Rollback, terms.release,
                       number + " is older than release " + std::to_string(accepted.release) +
                           ", which this game folder already has");
    // The newest key that signed it: the latest of the configured keys.
    std::size_t newest = 0;
    for (const std::string& signer : signers)
        newest = std::max(newest, *key_rank(ids, signer));
    const auto retired_below = key_rank(ids, accepted.newest_key);
    if (retired_below && newest < *retired_below)
        return refused(ReleaseVerdict::RetiredKey, terms.release,
                       number + " is signed only by keys older than key " + accepted.newest_key +
                           ", which signed a release this game folder accepted");

    ReleaseCheck check;
    check.verdict = ReleaseVerdict::Valid;
    check.release = terms.release;
    check.accepted.release = std::max(accepted.release, terms.release);
    check.accepted.newest_key = ids[newest];
    check.accepted.format = std::max(accepted.format, parsed->format);
    return check;
}

} // namespace launcher

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Signed releases. A publisher signs each release with one or more Ed25519
// keys; the launcher, when its configuration names one or more public keys,
// uses a file list only when the signature file beside it proves that the
// publisher made exactly those bytes for this launcher's channel, that the
// release is not older than one the game folder already accepted, that it
// has not expired and was not made valid for longer than a launcher allows.
//
// The signature file "updater.lst.vdp.sig" is text, one field a line, LF
// line ends, the lines in this order:
//
//   launcher-release-signature 2
//   release 7
//   channel main
//   signed 2026-12-11T21:00:00Z
//   expires 2027-01-10T21:00:00Z
//   size <bytes of updater.lst.vdp>
//   sha256 <64 hex digits: the SHA-256 of the exact bytes of updater.lst.vdp>
//   signature <16 hex digits: key id> <128 hex digits: Ed25519 over the lines above>
//   signature ...       (one line per signing key, at most kMostSignatures)
//
// Every signature covers every byte of the lines before the first signature
// line. Every archive's MD5 sits inside the signed file list, so the
// signature covers the game files and the launcher's own executable as well.
//
// Format 1, written by earlier versions, had the lines release, expires,
// sha256 and key and one signature line, and names neither channel nor
// signing time; see VerifyRelease for when it is still taken.

inline constexpr std::string_view kSignatureSuffix = ".sig";
inline constexpr std::string_view kSignatureFormat = "launcher-release-signature 2";
inline constexpr std::string_view kFormerSignatureFormat = "launcher-release-signature 1";
// A signature file longer than this is not one.
inline constexpr std::size_t kLongestSignatureFile = 4096;
inline constexpr std::size_t kMostSignatures = 8;
// The longest a release may be valid, from its signing to its expiry: what a
// captured release can hold a fresh player on.
inline constexpr std::int64_t kLongestValidityDays = 90;
inline constexpr std::int64_t kLongestValidity = kLongestValidityDays * 24 * 60 * 60;
// The channel of a launcher that names none, and of a publish that names none.
inline constexpr std::string_view kDefaultChannel = "main";

using PublicKey = std::array<std::uint8_t, 32>;
using SecretKey = std::array<std::uint8_t, 64>;

struct KeyPair {
    PublicKey public_key{};
    SecretKey secret_key{};
};

// A new Ed25519 key pair from the system's random source.
KeyPair GenerateKeyPair();

// The printable forms: "ed25519:" + base64 of the 32 public-key bytes, and
// "ed25519-secret:" + base64 of the 64 secret-key bytes.
std::string PublicKeyText(const PublicKey& key);
std::string SecretKeyText(const SecretKey& key);
std::optional<PublicKey> ParsePublicKey(std::string_view text);
std::optional<SecretKey> ParseSecretKey(std::string_view text);
// The public half of a secret key.
PublicKey PublicKeyOf(const SecretKey& key);

// 16 hex digits naming a key: the start of the SHA-256 of its bytes.
std::string KeyId(const PublicKey& key);

// The SHA-256 of some bytes as 64 lower-case hex digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

// A channel name: 1 to 64 letters, digits, '.', '-' or '_'.
bool IsChannelName(std::string_view name);

// What a publisher states about one release.
struct ReleaseTerms {
    std::uint64_t release = 0;
    std::string channel{kDefaultChannel};
    std::int64_t signed_at = 0; // seconds since 1970-01-01 UTC
    std::int64_t expires = 0;
};

struct KeySignature {
    std::string key_id;
    std::array<std::uint8_t, 64> signature{};
};

struct ReleaseSignature {
    int format = 2;
    ReleaseTerms terms;              // format 1: channel "main", signed_at 0 (not stated)
    std::uint64_t manifest_size = 0; // format 1: not stated
    std::string manifest_sha256;
    std::vector<KeySignature> signatures;
    std::string signed_text; // the lines the signatures cover, exactly as written
};

// The signature file for `manifest` (the bytes of updater.lst.vdp), signed by
// every key of `keys` in turn.
std::string SignRelease(std::span<const std::uint8_t> manifest, const ReleaseTerms& terms,
                        const std::vector<SecretKey>& keys);

// Reads a signature file; none with `error` set when it is not one.
std::optional<ReleaseSignature> ParseReleaseSignature(std::string_view text, std::string& error);

// The ids of the keys of `keys` whose signature in `parsed` verifies.
std::vector<std::string> VerifiedSigners(const ReleaseSignature& parsed,
                                         const std::vector<PublicKey>& keys);

// "2027-01-09T21:00:00Z" for seconds since 1970 UTC, and back.
std::string UtcText(std::int64_t seconds);
std::optional<std::int64_t> ParseUtcText(std::string_view text);

// What a game folder remembers of the releases it accepted.
struct AcceptedRelease {
    std::uint64_t release = 0; // the highest release number accepted
    // The id of the newest configured key that signed an accepted release;
    // empty when none was recorded.
    std::string newest_key;
    int format = 0; // the highest signature format accepted
};

enum class ReleaseVerdict {
    Valid,
    Malformed,       // not a signature file of a known format
    UnknownKey,      // signed by none of the configured keys
    BadSignature,    // a signature does not verify
    ManifestChanged, // the file list is not the one that was signed
    OtherChannel,    // made for another channel than this launcher's
    TooLong,         // valid for longer than a launcher allows
    Expired,         // the release's expiry has passed
    Rollback,        // older than a release this game folder accepted
    RetiredKey,      // signed only by keys older than one this game folder accepted
    FormerFormat,    // format 1 where it is no longer taken
};

struct ReleaseCheck {
    ReleaseVerdict verdict = ReleaseVerdict::Malformed;
    std::uint64_t release = 0;
    std::string reason; // in words, for the player and the log
    // For a valid release: what the game folder remembers from now on.
    AcceptedRelease accepted;
};

// Checks a fetched file list against its signature file. `keys` are the
// configured keys, oldest first: a later one is newer. `channel` is the
// launcher's channel, none to accept any (the publisher's offline checks).
//
// A format-1 file is taken only while the game folder never accepted a
// format-2 release, by a launcher on the default channel, and only when it
// expires within kLongestValidity from `now`: it lets a launcher that was
// installed by a format-1 release update once more, and holds a fresh player
// no longer than a format-2 release could.
ReleaseCheck VerifyRelease(std::string_view signature_file, std::span<const std::uint8_t> manifest,
                           const std::vector<PublicKey>& keys,
                           std::optional<std::string_view> channel, std::int64_t now,
                           const AcceptedRelease& accepted);

} // namespace launcher

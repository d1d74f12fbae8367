#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Signed releases. A publisher signs each release with an Ed25519 key; the
// launcher, when its configuration names one or more public keys, uses a
// file list only when the signature file beside it proves that the
// publisher made exactly those bytes, that the release is not older than one
// the game folder already accepted, and that it has not expired.
//
// The signature file "updater.lst.vdp.sig" is text, one field a line, LF
// line ends:
//
//   launcher-release-signature 1
//   release 7
//   expires 2027-01-09T21:00:00Z
//   sha256 <64 hex digits: the SHA-256 of the exact bytes of updater.lst.vdp>
//   key <16 hex digits: the id of the signing key>
//   signature <128 hex digits: Ed25519 over every byte of the lines above>
//
// Every archive's MD5 sits inside the signed file list, so the signature
// covers the game files and the launcher's own executable as well.

inline constexpr std::string_view kSignatureSuffix = ".sig";
inline constexpr std::string_view kSignatureFormat = "launcher-release-signature 1";
// Where the game folder keeps the highest release number it accepted.
inline constexpr std::string_view kAcceptedReleaseName = "Release.lst";

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

struct ReleaseSignature {
    std::uint64_t release = 0;
    std::int64_t expires = 0; // seconds since 1970-01-01 UTC
    std::string manifest_sha256;
    std::string key_id;
    std::array<std::uint8_t, 64> signature{};
    std::string signed_text; // the lines the signature covers, exactly as written
};

// The signature file for `manifest` (the bytes of updater.lst.vdp).
std::string SignRelease(std::span<const std::uint8_t> manifest, std::uint64_t release,
                        std::int64_t expires, const SecretKey& key);

// Reads a signature file; none with `error` set when it is not one.
std::optional<ReleaseSignature> ParseReleaseSignature(std::string_view text, std::string& error);

// "2027-01-09T21:00:00Z" for seconds since 1970 UTC, and back.
std::string UtcText(std::int64_t seconds);
std::optional<std::int64_t> ParseUtcText(std::string_view text);

enum class ReleaseVerdict {
    Valid,
    Malformed,       // not a signature file of this format
    UnknownKey,      // signed by none of the configured keys
    BadSignature,    // the signature does not verify
    ManifestChanged, // the file list is not the one that was signed
    Expired,         // the release's expiry has passed
    Rollback,        // older than a release this game folder accepted
};

struct ReleaseCheck {
    ReleaseVerdict verdict = ReleaseVerdict::Malformed;
    std::uint64_t release = 0;
    std::string reason; // in words, for the player and the log
};

// Checks a fetched file list against its signature file.
ReleaseCheck VerifyRelease(std::string_view signature_file, std::span<const std::uint8_t> manifest,
                           const std::vector<PublicKey>& keys, std::int64_t now,
                           std::uint64_t highest_accepted);

} // namespace launcher

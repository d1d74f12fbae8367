#pragma once

#include "update/release_signature.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace launcher::publish {

// Writes a new key pair: the secret key readable by its owner only, the
// public key as the line a publisher pastes into the configuration. An
// existing file is never replaced unless `force`.
void WriteKeyPair(const KeyPair& keys, const std::filesystem::path& secret_file,
                  const std::filesystem::path& public_file, bool force);

// Key files as WriteKeyPair writes them (a public key file may also hold a
// "publickey=" line copied from a configuration). Throw PublishError.
SecretKey ReadSecretKeyFile(const std::filesystem::path& file);
PublicKey ReadPublicKeyFile(const std::filesystem::path& file);

// What a signed publish may take from the release `out_dir` serves.
struct ServedReleaseTrust {
    // The served signature, when one of the publisher's keys signed it: its
    // release number and channel are the publisher's own.
    std::optional<ReleaseSignature> signature;
    // The served packed manifest is the one that signature covers, so its
    // hashes may be reused for kept files.
    bool manifest_verified = false;
    // Why the served tree is not trusted; empty when it is, or when there is
    // no served release at all.
    std::string doubt;
};

// Checks the served signature and packed manifest against `keys`, the public
// halves of the keys this publish signs with. Expiry does not matter here.
ServedReleaseTrust CheckServedRelease(const std::filesystem::path& out_dir,
                                      const std::vector<PublicKey>& keys);

// The release number of the next signed publish: `requested` when given
// (above the served one), else one more than the verified served signature,
// else 1 when nothing is served. A served signature that no key verifies
// gives no number: that is refused without `requested`, as is the highest
// number, which has no successor. Throw PublishError.
std::uint64_t NextReleaseNumber(const std::filesystem::path& out_dir,
                                const ServedReleaseTrust& served,
                                std::optional<std::uint64_t> requested);

// What an offline check of a served tree found.
struct ServedTreeCheck {
    std::uint64_t release = 0;
    std::int64_t expires = 0;
    std::int64_t signed_at = 0;
    std::string channel;
    std::size_t archives = 0;          // archives checked against the signed file list
    std::vector<std::string> problems; // empty when the tree is good
};

// Checks the signature file of the tree in `out_dir` with `key` at `now`
// (seconds since 1970 UTC), then every archive's MD5 against the packed
// hashes of the signed file list; a placeholder hash in it is a problem.
ServedTreeCheck VerifyServedTree(const std::filesystem::path& out_dir, const PublicKey& key,
                                 std::int64_t now);

} // namespace launcher::publish

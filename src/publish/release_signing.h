#pragma once

#include "update/release_signature.h"

#include <cstdint>
#include <filesystem>
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

// The release number of the next signed publish into `out_dir`: one more
// than the signature file there gives, or 1 when there is none.
std::uint64_t NextReleaseNumber(const std::filesystem::path& out_dir);

// What an offline check of a served tree found.
struct ServedTreeCheck {
    std::uint64_t release = 0;
    std::int64_t expires = 0;
    std::size_t archives = 0;          // archives checked against the signed file list
    std::vector<std::string> problems; // empty when the tree is good
};

// Checks the signature file of the tree in `out_dir` with `key` at `now`
// (seconds since 1970 UTC), then every archive's MD5 against the packed
// hashes of the signed file list.
ServedTreeCheck VerifyServedTree(const std::filesystem::path& out_dir, const PublicKey& key,
                                 std::int64_t now);

} // namespace launcher::publish

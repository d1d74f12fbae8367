#include "publish/release_signing.h"

#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "config/config_package.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/release_publisher.h"
#include "update/game_names.h"

#include <algorithm>
#include <limits>

namespace launcher::publish {
namespace {

void write_new(const std::filesystem::path& file, const std::string& text, bool owner_only,
               bool force) {
    if (force)
        platform::remove_file(file);
    try {
        platform::File out(file, owner_only ? platform::File::Mode::CreatePrivate
                                            : platform::File::Mode::CreateExclusive);
        out.write(text);
        out.sync();
    } catch (const platform::FileError& error) {
        throw PublishError(std::string(error.what()) +
                           (force ? "" : " (use --force to replace an existing key)"));
    }
}

std::string first_line(const std::filesystem::path& file) {
    std::string text;
    try {
        text = platform::read_file_text(file);
    } catch (const platform::FileError& error) {
        throw PublishError(error.what());
    }
    return platform::trim(text.substr(0, text.find('\n')));
}

// The names of the check section: the lines after the "#" line at `hash_line`
// up to an "@" line, blank ones left out.
std::vector<std::string> CheckSectionOf(const std::vector<std::string>& lines,
                                        std::vector<std::string>::const_iterator hash_line) {
    std::vector<std::string> names;
    if (hash_line == lines.end())
        return names;
    for (auto it = std::next(hash_line); it != lines.end(); ++it) {
        const std::string name = platform::trim(*it);
        if (!name.empty() && name.front() == '@')
            break;
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

} // namespace

void WriteKeyPair(const KeyPair& keys, const std::filesystem::path& secret_file,
                  const std::filesystem::path& public_file, bool force) {
    // The public key written over the secret one would lose the secret key.
    std::error_code ignored;
    if (std::filesystem::absolute(secret_file, ignored).lexically_normal() ==
            std::filesystem::absolute(public_file, ignored).lexically_normal() ||
        std::filesystem::equivalent(secret_file, public_file, ignored))
        throw PublishError("the secret and the public key cannot go to the same file (" +
                           platform::utf8_of(secret_file) + ")");
    for (const auto& file : {secret_file, public_file})
        if (!force && platform::entry_kind(file) != platform::EntryKind::None)
            throw PublishError(platform::utf8_of(file) + " exists (use --force to replace it)");
    write_new(secret_file, SecretKeyText(keys.secret_key) + "\n", true, force);
    write_new(public_file, PublicKeyText(keys.public_key) + "\n", false, force);
}

SecretKey ReadSecretKeyFile(const std::filesystem::path& file) {
    const auto key = ParseSecretKey(first_line(file));
    if (!key)
        throw PublishError(platform::utf8_of(file) + " is not a secret key written by keygen");
    return *key;
}

PublicKey ReadPublicKeyFile(const std::filesystem::path& file) {
    std::string line = first_line(file);
    constexpr std::string_view kConfigKey = "publickey=";
    if (platform::to_lower_ascii(line).starts_with(kConfigKey))
        line = platform::trim(line.substr(kConfigKey.size())); // copied from a configuration
    const auto key = ParsePublicKey(line);
    if (!key)
        throw PublishError(platform::utf8_of(file) + " is not a public key written by keygen");
    return *key;
}

ServedReleaseTrust CheckServedRelease(const std::filesystem::path& out_dir,
                                      const std::vector<PublicKey>& keys) {
    ServedReleaseTrust trust;
    const auto signature_file = out_dir / kSignatureName;
    const auto packed_file = out_dir / kPackedManifestName;
    const bool has_signature = platform::entry_kind(signature_file) != platform::EntryKind::None;
    const bool has_manifest = platform::entry_kind(packed_file) != platform::EntryKind::None;
    if (!has_signature) {
        if (has_manifest)
            trust.doubt = "it is not signed";
        return trust;
    }
    std::string error;
    const auto parsed = ParseReleaseSignature(platform::read_file_text(signature_file), error);
    if (!parsed) {
        trust.doubt = platform::utf8_of(signature_file) + " is not a signature file: " + error;
        return trust;
    }
    if (VerifiedSigners(*parsed, keys).empty()) {
        trust.doubt = platform::utf8_of(signature_file) + " is not signed by the signing key";
        return trust;
    }
    trust.signature = parsed;
    if (!has_manifest) {
        trust.doubt = platform::utf8_of(packed_file) + " is missing";
        return trust;
    }
    const platform::Bytes packed = platform::read_file(packed_file);
    trust.manifest_verified = Sha256Hex(packed) == parsed->manifest_sha256 &&
                              (parsed->format < 2 || packed.size() == parsed->manifest_size);
    if (!trust.manifest_verified)
        trust.doubt = platform::utf8_of(packed_file) + " is not the file list that was signed";
    return trust;
}

std::uint64_t NextReleaseNumber(const std::filesystem::path& out_dir,
                                const ServedReleaseTrust& served,
                                std::optional<std::uint64_t> requested) {
    const auto file = platform::utf8_of(out_dir / kSignatureName);
    const bool signature_present =
        platform::entry_kind(out_dir / kSignatureName) != platform::EntryKind::None;
    if (served.signature) {
        const std::uint64_t previous = served.signature->terms.release;
        if (requested) {
            if (*requested <= previous)
                throw PublishError("--release " + std::to_string(*requested) +
                                   " is not above release " + std::to_string(previous) + " in " +
                                   file + "; launchers would take it for a rollback");
            return *requested;
        }
        if (previous == std::numeric_limits<std::uint64_t>::max())
            throw PublishError(file + " holds the highest release number there is; no release "
                                      "can follow it");
        return previous + 1;
    }
    if (requested)
        return *requested;
    if (signature_present)
        throw PublishError(served.doubt +
                           ". Its release number cannot be trusted, and launchers refuse a "
                           "number below the one they accepted: give the next number with "
                           "--release N (one above the last release you signed)");
    return 1;
}

ServedTreeCheck VerifyServedTree(const std::filesystem::path& out_dir, const PublicKey& key,
                                 std::int64_t now) {
    ServedTreeCheck result;
    const auto packed_file = out_dir / kPackedManifestName;
    const auto signature_file = out_dir / kSignatureName;
    for (const auto& file : {packed_file, signature_file}) {
        if (platform::entry_kind(file) != platform::EntryKind::File) {
            result.problems.push_back(platform::utf8_of(file) + " is missing");
            return result;
        }
    }
    const platform::Bytes packed = platform::read_file(packed_file);
    const ReleaseCheck check = VerifyRelease(platform::read_file_text(signature_file), packed,
                                             {key}, std::nullopt, now, AcceptedRelease{});
    result.release = check.release;
    std::string error;
    if (const auto parsed =
            ParseReleaseSignature(platform::read_file_text(signature_file), error)) {
        result.expires = parsed->terms.expires;
        result.signed_at = parsed->terms.signed_at;
        result.channel = parsed->terms.channel;
    }
    if (check.verdict != ReleaseVerdict::Valid) {
        result.problems.push_back(check.reason);
        if (check.verdict != ReleaseVerdict::Expired)
            return result;
    }

    // The file list as a launcher reads it: header restored, decoded.
    platform::Bytes restored = packed;
    static constexpr std::uint8_t kHeader[5] = {0x42, 0x5A, 0x68, 0x39, 0x31};
    std::copy_n(kHeader, std::min(restored.size(), sizeof kHeader), restored.begin());
    platform::MemoryStream stream(std::move(restored));
    platform::MemoryStream decoded;
    try {
        if (!DecodeBZip2Stream(stream, decoded))
            throw ConfigPackageError("it ends early");
    } catch (const std::exception& failure) {
        result.problems.push_back(platform::utf8_of(packed_file) +
                                  " does not decode: " + failure.what());
        return result;
    }
    std::vector<std::string> lines =
        platform::split_lines(platform::decode_text(std::span(decoded.bytes())));
    const auto end = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        const std::string text = platform::trim(line);
        return !text.empty() && text.front() == '#';
    });
    const std::vector<std::string> check_section = CheckSectionOf(lines, end);
    lines.erase(end, lines.end());
    TFileList catalogue(true);
    catalogue.LoadFromStrings(lines);
    // A launcher fetches nothing for a check name the catalogue does not vouch for.
    for (const std::string& name : check_section)
        if (!catalogue.GetItemByName(name))
            result.problems.push_back("the check section names " + name +
                                      ", which the file list does not list");
    for (int id = 0; id < catalogue.Count(); ++id) {
        const TFileRecord& record = catalogue.GetItemByID(id)->Content;
        if (record.Hash == kPlaceholderHash || record.HashPacked == kPlaceholderHash) {
            // A launcher that holds the key refuses the whole release for it.
            result.problems.push_back(record.Name +
                                      " has a placeholder hash in the signed file list");
            continue;
        }
        const auto archive = platform::native_path(out_dir, record.Name + ".vdp");
        ++result.archives;
        try {
            if (MD5File(archive) != record.HashPacked)
                result.problems.push_back(platform::utf8_of(archive) +
                                          " differs from the signed file list");
        } catch (const platform::FileError&) {
            result.problems.push_back(platform::utf8_of(archive) + " is missing");
        }
    }
    return result;
}

} // namespace launcher::publish

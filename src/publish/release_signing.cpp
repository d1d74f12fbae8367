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

std::uint64_t NextReleaseNumber(const std::filesystem::path& out_dir) {
    const auto file = out_dir / kSignatureName;
    if (platform::entry_kind(file) == platform::EntryKind::None)
        return 1;
    std::string error;
    const auto previous = ParseReleaseSignature(platform::read_file_text(file), error);
    if (!previous)
        throw PublishError(platform::utf8_of(file) + " cannot be read (" + error +
                           "); the next release number must follow it, so it is not replaced");
    return previous->release + 1;
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
    const ReleaseCheck check =
        VerifyRelease(platform::read_file_text(signature_file), packed, {key}, now, 0);
    result.release = check.release;
    std::string error;
    if (const auto parsed = ParseReleaseSignature(platform::read_file_text(signature_file), error))
        result.expires = parsed->expires;
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
        if (record.HashPacked == kPlaceholderHash)
            continue;
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

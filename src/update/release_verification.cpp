// Signed releases in the workflow: fetching the signature file, checking the
// fetched file list against it and the game folder's record of accepted
// releases, and telling a refusal.
#include "config/language_table.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "update/accepted_release.h"
#include "update/packed_files.h"
#include "update/update_workflow.h"

#include <utility>

namespace launcher {
namespace {

LanguageEntry message_for(ReleaseVerdict verdict) {
    switch (verdict) {
    case ReleaseVerdict::Rollback:
        return LanguageEntry::ReleaseOlder;
    case ReleaseVerdict::Expired:
        return LanguageEntry::ReleaseExpired;
    case ReleaseVerdict::OtherChannel:
        return LanguageEntry::ReleaseOtherChannel;
    default:
        return LanguageEntry::ReleaseNotSigned;
    }
}

ReleaseOutcome refusal(std::string reason,
                       LanguageEntry message = LanguageEntry::ReleaseNotSigned) {
    return ReleaseOutcome{ReleaseOutcome::Verdict::Refused, std::move(reason), message};
}

// A server that says it has no such file has no signed release; one that
// fails otherwise did not answer.
bool says_it_has_none(const DownloadFailure& failure) {
    return failure.kind == DownloadFailure::Kind::HttpStatus &&
           (failure.status == 404 || failure.status == 410);
}

std::vector<PublicKey> keys_of(const std::vector<std::string>& texts) {
    std::vector<PublicKey> keys;
    for (const std::string& text : texts)
        if (auto key = ParsePublicKey(text))
            keys.push_back(*key);
    return keys;
}

} // namespace

std::optional<ReleaseOutcome> UpdateWorkflow::fetch_signature(const std::filesystem::path& target) {
    const std::string name =
        std::string(kManifestName) + std::string(kPackedSuffix) + std::string(kSignatureSuffix);
    if (setup_.FileModeActive) {
        const std::filesystem::path source = platform::native_path(setup_.FileModeFolder, name);
        if (platform::entry_kind(source) != platform::EntryKind::File)
            return refusal("the signature file " + platform::utf8_of(source) + " is missing");
        platform::copy_file_to(source, target);
        return std::nullopt;
    }
    current_name_ = name;
    std::string url = URLMain + name;
    int stalls = 0;
    for (int call = 0; call < kDownloadCallsPerPass; ++call) {
        const bool again = fetch_from_server(url, target, kMaxSignatureBytes, stalls, true);
        if (!DM.HaveError)
            return std::nullopt;
        if (!again ||
            (DM.LastFailure && (says_it_has_none(*DM.LastFailure) ||
                                DM.LastFailure->kind == DownloadFailure::Kind::LocalFile ||
                                DM.LastFailure->kind == DownloadFailure::Kind::TooLong ||
                                DM.LastFailure->kind == DownloadFailure::Kind::TooSlow)))
            break;
    }
    platform::remove_file(target);
    const DownloadFailure failure = DM.LastFailure.value_or(DownloadFailure{});
    if (failure.kind == DownloadFailure::Kind::LocalFile && failure.local)
        throw *failure.local;
    const std::string what = "the signature file could not be fetched: " + failure.describe();
    if (says_it_has_none(failure) || failure.kind == DownloadFailure::Kind::NoLength)
        return refusal(what);
    return ReleaseOutcome{ReleaseOutcome::Verdict::NoAnswer, what, LanguageEntry::NoUpdateServer};
}

std::optional<std::int64_t> UpdateWorkflow::signed_manifest_size() const {
    // A size no configured key signed bounds nothing: the signature check
    // refuses that release anyway, and says why.
    std::string ignored;
    const auto parsed =
        ParseReleaseSignature(platform::read_file_text(TemporarySignatureFile()), ignored);
    if (!parsed || parsed->format < 2 ||
        parsed->manifest_size > static_cast<std::uint64_t>(kMaxPackedManifestBytes) ||
        VerifiedSigners(*parsed, keys_of(config_.UpdateServers.PublicKeys)).empty())
        return std::nullopt;
    return static_cast<std::int64_t>(parsed->manifest_size);
}

ReleaseOutcome UpdateWorkflow::verify_release(std::optional<ReleaseOutcome> signature_failure) {
    accepted_record_.reset();
    for (const std::string& text : config_.UpdateServers.PublicKeys)
        if (!ParsePublicKey(text))
            log("Ignored a release key that is not one: " + text);
    const std::vector<PublicKey> keys = keys_of(config_.UpdateServers.PublicKeys);
    const std::string& configured = config_.UpdateServers.Channel;
    const std::string channel = configured.empty() ? std::string(kDefaultChannel) : configured;
    const std::filesystem::path signature = TemporarySignatureFile();
    const std::filesystem::path record = TmpPath() / kAcceptedReleaseName;

    const auto refuse_release = [&](ReleaseOutcome outcome) {
        platform::remove_file(signature);
        platform::remove_file(TemporaryPackedFile());
        log("Release refused: " + outcome.reason);
        return outcome;
    };
    const auto refuse_locally = [&](std::string reason, LanguageEntry message) {
        ReleaseOutcome outcome = refusal(std::move(reason), message);
        outcome.local = true;
        return refuse_release(std::move(outcome));
    };
    if (!IsChannelName(channel))
        return refuse_locally("the configured channel \"" + channel + "\" is not a channel name",
                              LanguageEntry::ReleaseNotSigned);

    // What this game folder accepted before. A missing record is a fresh
    // install (nothing tells it from a deleted one); a damaged one fails
    // closed, as reading it as 0 would let any older release in.
    AcceptedRelease accepted;
    std::string record_text;
    switch (platform::entry_kind(record)) {
    case platform::EntryKind::None:
        log("No record of accepted releases: this game folder takes any valid release");
        break;
    case platform::EntryKind::File: {
        // Read no more than a record can hold, plus one byte to tell it is longer.
        platform::File file(record, platform::File::Mode::Read);
        record_text.resize(kLongestAcceptedRecord + 1);
        record_text.resize(file.read_full(
            std::span(reinterpret_cast<std::uint8_t*>(record_text.data()), record_text.size())));
        std::string found;
        if (const auto parsed = ParseAcceptedRelease(record_text, found)) {
            accepted = *parsed;
            break;
        }
        return refuse_locally(platform::utf8_of(record) + " is damaged: " + found,
                              LanguageEntry::ReleaseRecordDamaged);
    }
    default:
        return refuse_locally(platform::utf8_of(record) + " is not a file",
                              LanguageEntry::ReleaseRecordDamaged);
    }

    if (signature_failure)
        return refuse_release(*signature_failure);
    const ReleaseCheck check = VerifyRelease(platform::read_file_text(signature),
                                             platform::read_file(TemporaryPackedFile()), keys,
                                             channel, UnixTime(), accepted);
    if (check.verdict != ReleaseVerdict::Valid)
        return refuse_release(refusal(check.reason, message_for(check.verdict)));
    platform::remove_file(signature);
    // Recorded once the catalogue itself passed (refuse_placeholder_hashes).
    if (const std::string text = AcceptedReleaseText(check.accepted); text != record_text)
        accepted_record_ = text;
    log("Signed release " + std::to_string(check.release) + " accepted (channel " + channel +
        ", newest key " + check.accepted.newest_key + ")");
    return ReleaseOutcome{ReleaseOutcome::Verdict::Accepted, {}};
}

void UpdateWorkflow::report_release_outcome(const ReleaseOutcome& outcome) {
    if (outcome.verdict == ReleaseOutcome::Verdict::Accepted)
        return;
    end_reason_ = outcome.reason;
    if (outcome.verdict == ReleaseOutcome::Verdict::NoAnswer) {
        report_no_server();
        return;
    }
    // The status line tells what was refused; the message panel names each
    // server whose release was refused, and why.
    const std::string text = LanguageText(strings_, outcome.message);
    std::string servers;
    if (!outcome.local)
        for (const RefusedRelease& refused : refused_)
            servers += (servers.empty() ? "" : "\n") + refused_release_text(refused);
    view_.MsgShow(servers.empty() ? text : servers);
    view_.SetStatus(text);
    view_.SetStartGameEnabled(true);
    end_ = WorkflowEnd::Refused;
}

void UpdateWorkflow::note_refused_release(const std::string& reason) {
    RefusedRelease refused{
        setup_.FileModeActive ? platform::utf8_of(setup_.FileModeFolder) : URLMain, reason};
    view_.ReleaseRefused(refused.server, refused.reason);
    refused_.push_back(std::move(refused));
}

std::string UpdateWorkflow::refused_release_text(const RefusedRelease& refused) const {
    return LanguageText(strings_, LanguageEntry::ReleaseRefusedByPrefix) + refused.server + ": " +
           refused.reason;
}

bool UpdateWorkflow::refuse_placeholder_hashes() {
    std::optional<std::string> pending = std::exchange(accepted_record_, std::nullopt);
    if (config_.UpdateServers.PublicKeys.empty())
        return false;
    std::string names;
    for (int id = 0; id < NewFileList.Count(); ++id) {
        const TFileRecord& record = NewFileList.GetItemByID(id)->Content;
        if (record.Hash == kPlaceholderHash || record.HashPacked == kPlaceholderHash) {
            log("Placeholder hash in the signed file list: " + record.Name);
            names += (names.empty() ? "" : ", ") + record.Name;
        }
    }
    if (names.empty()) {
        if (pending)
            platform::write_file_atomic(TmpPath() / kAcceptedReleaseName, *pending);
        return false;
    }
    NewFileList.Clear();
    const ReleaseOutcome refused =
        refusal("the file list vouches for no content of " + names + " (placeholder hash)");
    note_refused_release(refused.reason);
    report_release_outcome(refused);
    return true;
}

} // namespace launcher

// The file list from one server at a time, and fetches that give up a server
// which keeps stalling.
#include "config/debug_file.h"
#include "platform/file.h"
#include "platform/files.h"
#include "update/packed_files.h"
#include "update/update_workflow.h"

#include <algorithm>
#include <system_error>

namespace launcher {
namespace {

// Why a server's file list could not be fetched, for the player.
std::string list_failure(const DownloadFailure& failure) {
    using Kind = DownloadFailure::Kind;
    switch (failure.kind) {
    case Kind::NoLength:
        return "the update server gave no length for the file list";
    case Kind::LengthMismatch:
        return "the update server's answers disagree about the file list's length";
    default:
        return failure.describe();
    }
}

} // namespace

bool UpdateWorkflow::fetch_from_server(std::string& url, const std::filesystem::path& target,
                                       std::optional<std::int64_t> max_length, int& file_stalls,
                                       bool list) {
    if (servers_.given_up()) {
        DM.HaveError = true;
        DM.LastFailure = DownloadFailure(DownloadFailure::Kind::NoAnswer,
                                         "it stopped answering and was given up for this run");
        return false;
    }
    const int allowance = std::min(kFileStallAllowance - file_stalls, servers_.allowance());
    int stalls = 0;
    if (via_slots_ && !list) {
        stalls = apply_fetch(
            fetch_ahead_->fetch_now(current_name_, {url, target, max_length, allowance}));
    } else {
        // Only one engine uses the server at a time, within one cap.
        if (fetch_ahead_)
            fetch_ahead_->close_connections();
        DM.SetStallAllowance(allowance);
        DM.SetTimeLimit(list ? std::optional<platform::Milliseconds>(kListFetchLimit)
                             : std::nullopt);
        DM.GetFile(url, target, max_length);
        DM.SetTimeLimit(std::nullopt);
        stalls = DM.StallPeriods();
        if (fetch_ahead_)
            DM.DropConnections();
    }
    return account_stalls(stalls, url, file_stalls, list);
}

bool UpdateWorkflow::account_stalls(int stalls, std::string& url, int& file_stalls, bool list) {
    file_stalls += stalls;
    if (!servers_.record_stalls(stalls))
        return file_stalls < kFileStallAllowance;
    log("Update server given up for this run after " + std::to_string(kServerStallAllowance) +
        " stall periods: " + URLMain);
    // The file list is taken from one server only: another server is tried
    // for it from the start, by the caller.
    if (list || !servers_.next())
        return false;
    const std::string previous = URLMain;
    URLMain = servers_.current();
    if (url.starts_with(previous))
        url = URLMain + url.substr(previous.size());
    log("Going on with update server: " + URLMain);
    file_stalls = 0;
    return true;
}

UpdateWorkflow::FileListOutcome UpdateWorkflow::take_file_list() {
    using Kind = FileListOutcome::Kind;
    view_.SetStatus(LanguageText(strings_, LanguageEntry::FetchingManifest));
    URLName = std::string(kManifestName);
    // A signed release's signature file comes first: the size it signs
    // bounds the file list, so a longer one is refused before it is read.
    const bool signed_release = !config_.UpdateServers.PublicKeys.empty();
    std::optional<ReleaseOutcome> signature_failure;
    std::optional<std::int64_t> signed_size;
    if (signed_release) {
        signature_failure = fetch_signature(TemporarySignatureFile());
        if (signature_failure && signature_failure->verdict == ReleaseOutcome::Verdict::NoAnswer) {
            log("Release not checked: " + signature_failure->reason);
            return {Kind::NotServed, signature_failure->reason};
        }
        if (!signature_failure)
            signed_size = signed_manifest_size();
    }
    if (const auto failure = fetch_manifest(signed_size.value_or(kMaxPackedManifestBytes))) {
        platform::remove_file(TemporarySignatureFile());
        if (failure->kind == DownloadFailure::Kind::LocalFile && failure->local)
            throw *failure->local;
        if (failure->kind == DownloadFailure::Kind::TooLong && signed_size) {
            const ReleaseOutcome refused{
                ReleaseOutcome::Verdict::Refused,
                "the file list is not the one the publisher signed: it is longer than the " +
                    std::to_string(*signed_size) + " bytes its signature states (" +
                    failure->describe() + ")"};
            log("Release refused: " + refused.reason);
            refusal_ = refused;
            note_refused_release(refused.reason);
            return {Kind::Refused, refused.reason};
        }
        log("File list not fetched from " + URLMain + ": " + failure->describe());
        return {Kind::NotServed, list_failure(*failure)};
    }
    std::error_code size_error;
    if (std::filesystem::file_size(TemporaryPackedFile(), size_error) == 0 && !size_error) {
        platform::remove_file(TemporaryPackedFile());
        platform::remove_file(TemporarySignatureFile());
        log("Damaged file list from " + URLMain + ": it is empty");
        return {Kind::Damaged, "the file list on the update server is empty"};
    }
    if (signed_release) {
        const ReleaseOutcome release = verify_release(std::move(signature_failure));
        if (release.verdict == ReleaseOutcome::Verdict::Refused) {
            refusal_ = release;
            if (!release.local)
                note_refused_release(release.reason);
            return {Kind::Refused, release.reason};
        }
    }
    view_.SetStatus(LanguageText(strings_, LanguageEntry::UnpackingPrefix) +
                    std::string(kManifestName));
    try {
        UnpackFile(TemporaryPackedFile(), setup_.MainPath / kManifestName);
    } catch (const platform::FileError&) {
        throw;
    } catch (const std::exception& error) {
        // The packed file stays for the debug log's reader; the manifest
        // written so far must not be read as a smaller release.
        platform::remove_file(setup_.MainPath / kManifestName);
        log("Damaged file list from " + URLMain + ": " + error.what());
        return {Kind::Damaged, error.what()};
    }
    platform::remove_file(TemporaryPackedFile());
    return {Kind::Usable, {}};
}

} // namespace launcher

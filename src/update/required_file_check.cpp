// The required-file check: reading the manifest, deleting withdrawn files and
// deciding which files must be fetched now: missing ones, check-section ones
// and present ones whose previous-list record the release no longer matches.
#include "catalogue/catalogue_line.h"
#include "catalogue/date_time.h"
#include "catalogue/parallel_hasher.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/check_settings.h"
#include "update/file_date_time.h"
#include "update/game_names.h"
#include "update/previous_list.h"
#include "update/update_workflow.h"
#include "update/work_list.h"

#include <optional>
#include <unordered_set>
#include <vector>

namespace launcher {
namespace {

constexpr int kAllTimes = 7;

// The name field of a catalogue line: the text between its first and second
// "|". For a well-formed line that is the text after the 32 hash digits and
// their separator; for others it is where the catalogue itself takes it from.
std::string catalogue_line_name(std::string_view line) {
    const std::size_t first = line.find('|');
    if (first == std::string_view::npos)
        return {};
    const std::size_t second = line.find('|', first + 1);
    return std::string(line.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
}

bool file_exists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace

const TFileRecord* UpdateWorkflow::previous_record(std::string_view name) const {
    const TFileItem* item = OldFileList.GetItemByName(name);
    return item ? &item->Content : nullptr;
}

void UpdateWorkflow::remove_withdrawn(const std::string& line) {
    if (line.empty())
        return;
    const std::optional<std::string> name = RemovalGameName(line);
    if (!name) {
        refuse(line);
        fail_file(line, "the name leaves the game folder");
        return;
    }
    const std::filesystem::path& main = setup_.MainPath;
    // The catalogue wins over the removal section: deleting a file it lists
    // would only have the next start fetch it again.
    if (NewFileList.GetItemByName(*name)) {
        log("Kept a file the file list both lists and removes: " + *name);
        return;
    }
    const std::filesystem::path target = ResolveGamePath(main, *name);
    const std::filesystem::path relative = target.lexically_relative(main);
    // Only a regular file is deleted, and never through a folder that is a link.
    if (!platform::first_link_below(main, relative.parent_path()).empty()) {
        log("Refused a name below a symbolic link: " + *name);
        return;
    }
    if (platform::entry_kind(target) == platform::EntryKind::File)
        platform::remove_file(target);
}

void UpdateWorkflow::apply_check_settings() {
    hash_threads_ = HashThreadsForDrive(settings_.DriveType, hash_threads_);
    check_level_ = CheckLevelForMode(settings_.CheckMode, check_level_);
}

std::unique_ptr<TFileList> UpdateWorkflow::hash_files(const TFileList& files) {
    TMHThreads hasher(loop_);
    hasher.OnThreadFileProceed =
        [this](TMHThreads&, const std::string& filename, const std::string& hash, std::int64_t size,
               TDateTime date) { OneHashCheched(filename, hash, size, date); };
    hasher.ModeIsHaveHash = check_level_ != kLevelMedium;
    return hasher.CalculateHash(platform::utf8_of(setup_.MainPath), files, hash_threads_);
}

std::unique_ptr<TFileList> UpdateWorkflow::hash_files(const TFileList& files,
                                                      const std::vector<std::string>& absent) {
    std::unordered_set<std::string> absent_keys;
    for (const std::string& name : absent)
        absent_keys.insert(TFileList::MakeKey(name));
    TFileList present(true);
    std::vector<std::string> missing;
    for (int id = 0; id < files.Count(); ++id) {
        const std::string& name = files.GetItemByID(id)->Content.Name;
        if (absent_keys.contains(TFileList::MakeKey(name)))
            missing.push_back(name);
        else
            present.AddItemEmpty(name);
    }
    // Hashing a missing file gives the placeholder, size 0 and date 0; a
    // thread would only find that out two thread switches later.
    for (const std::string& name : missing)
        OneHashCheched(name, std::string(kPlaceholderHash), 0, 0.0);
    std::unique_ptr<TFileList> result = hash_files(present);
    for (const std::string& name : missing)
        result->AddItemSimple(name, kPlaceholderHash, kPlaceholderHash, 0, 0.0);
    return result;
}

void UpdateWorkflow::OneHashCheched(const std::string& filename, const std::string&, std::int64_t,
                                    TDateTime) {
    view_.SetStatus(LanguageText(strings_, LanguageEntry::CheckingPrefix) + filename);
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile}) {
        const IndicatorValue& value = indicator(which);
        set_position(which, value.Position + value.Step);
    }
    if (hash_pass_count_ > 0)
        total_percent(++hash_pass_done_, hash_pass_count_);
}

void UpdateWorkflow::CheckingRequiredFiles() {
    apply_check_settings();
    const std::filesystem::path& main = setup_.MainPath;
    const std::filesystem::path manifest = main / kManifestName;
    const std::filesystem::path previous = TmpPath() / kPreviousListName;
    // A name that would leave the game folder is never fetched nor deleted,
    // and the run says so: the release did not arrive whole.
    const auto refuse_listed = [this](const std::string& name) {
        refuse(name);
        fail_file(name, "the name leaves the game folder");
    };
    std::unordered_set<std::string> missing_keys;
    std::unordered_set<std::string> present_examined;

    if (file_exists(manifest)) {
        const platform::Bytes manifest_bytes = platform::read_file(manifest);
        std::vector<std::string> lines =
            platform::split_lines(platform::decode_text(manifest_bytes));
        platform::remove_file(manifest);
        reset_one_file(Required.Count());

        // Catalogue section: up to the first line that begins with "#".
        std::size_t check_line = lines.size();
        std::vector<std::string> missing;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string line = platform::trim(lines[i]);
            if (!line.empty() && line.front() == '#') {
                check_line = i;
                break;
            }
            const std::string name = catalogue_line_name(line);
            if (!name.empty()) {
                if (!IsSafeGameName(name))
                    refuse_listed(name);
                else if (!file_exists(platform::native_path(main, name)))
                    missing.push_back(name);
            }
            if (i % 10 == 0) {
                set_position(Indicator::ProgressBar_OneFile, static_cast<int>(i));
                set_position(Indicator::Gauge_OneFile, static_cast<int>(i));
            }
        }
        reset_one_file(Required.Count());

        // Check section, then the removal section after the "@" line.
        std::vector<std::string> check_names;
        std::vector<std::string> removal_names;
        bool removing = false;
        for (std::size_t i = check_line + 1; i < lines.size(); ++i) {
            const std::string name = platform::to_lower(platform::trim(lines[i]));
            if (removing) {
                removal_names.push_back(name);
                continue;
            }
            if (name.empty())
                continue;
            if (name.front() == '@')
                removing = true;
            else
                check_names.push_back(name);
        }
        lines.resize(check_line);

        // The whole file list is read before anything is deleted: a damaged
        // one must leave the game folder as it was.
        try {
            NewFileList.LoadFromStrings(lines);
        } catch (const EConvertError& error) {
            NewFileList.Clear();
            report_bad_manifest(error.what());
            return;
        }
        if (refuse_placeholder_hashes())
            return;
        lines.clear();
        for (const std::string& note : previous_as_read_.Load(
                 previous, PreviousListBound(manifest_bytes.size()), OldFileList))
            log(note);
        for (const std::string& name : missing) {
            Required.AddItemEmpty(name);
            missing_keys.insert(TFileList::MakeKey(name));
        }
        for (int id = 0; id < NewFileList.Count();) {
            const std::string& name = NewFileList.GetItemByID(id)->Content.Name;
            if (IsSafeGameName(platform::trim(name))) {
                ++id;
            } else {
                NewFileList.DeleteById(id); // already refused above
            }
        }

        for (const std::string& name : check_names) {
            if (!IsSafeGameName(name)) {
                refuse_listed(name);
                continue;
            }
            // The catalogue's spelling finds the file on a case-sensitive
            // disk; a name it does not list has no record to check a fetch
            // against, so it is never fetched.
            const TFileItem* listed = NewFileList.GetItemByName(name);
            if (!listed) {
                fail_file(name, "the file list names it for checking but does not list it");
                continue;
            }
            Required.AddItemEmpty(listed->Content.Name);
        }
        for (const std::string& line : removal_names)
            remove_withdrawn(line);
        present_examined = add_present_files_to_examine();
        reset_one_file(Required.Count());

        if (check_level_ != kLevelLight)
            Required = std::move(*hash_files(Required, missing));
    }

    // The full check examines every file that was neither missing nor in the
    // check section, also those the start examined because of their record.
    for (int id = 0; id < NewFileList.Count(); ++id) {
        const TFileRecord& record = NewFileList.GetItemByID(id)->Content;
        if (!Required.GetItemByName(record.Name) ||
            present_examined.contains(TFileList::MakeKey(record.Name)))
            CheckAll.AddItemSimple(record.Name, record.Hash, record.HashPacked, record.Size,
                                   record.Date);
    }

    for (int p = 0; p < Required.Count();) {
        TFileRecord& e = Required.GetItemByID(p)->Content;
        const TFileItem* m = NewFileList.GetItemByName(e.Name);
        if (!m) {
            // Nothing to check a fetch against: never fetched.
            fail_file(e.Name, "the file list does not list it");
            Required.DeleteById(p);
            continue;
        }
        // A date the file system cannot hold compares as what it keeps of it.
        if (check_level_ == kLevelMedium && kept_dates_.Matches(e.Date, m->Content.Date))
            e.Date = m->Content.Date;
        const WorkVerdict verdict =
            JudgeWorkEntry(check_level_, e, missing_keys.contains(TFileList::MakeKey(e.Name)),
                           m->Content, previous_record(e.Name));
        if (verdict == WorkVerdict::Fetch) {
            e = m->Content;
            ++p;
            continue;
        }
        if (verdict == WorkVerdict::Equal) {
            if (check_level_ == kLevelHard && m->Content.Date != 0.0)
                SetFileDateTime(platform::native_path(main, m->Content.Name), kAllTimes,
                                m->Content.Date);
            // The next start need not examine it again.
            record_previous(m->Content);
        }
        Required.DeleteById(p);
    }

    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
        set_position(which, indicator(which).Max);

    if (Required.Count() > 0) {
        UpdateRequiredFiles();
        return;
    }

    totals_to_maxima();
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "100%");
    if (failed_.empty())
        view_.SetStatus(LanguageText(strings_, LanguageEntry::NothingToUpdate));
    else
        report_failed_files();
    enable_start();
    if (previous_as_read_.Changed(OldFileList))
        OldFileList.SaveToFile(previous);
}

std::unordered_set<std::string> UpdateWorkflow::add_present_files_to_examine() {
    std::unordered_set<std::string> added;
    const std::filesystem::path& main = setup_.MainPath;
    // What the run before installed of the launcher itself, verified before
    // it restarted into it, is installed.
    if (self_update_before_) {
        const TFileItem* listed = NewFileList.GetItemByName(self_update_before_->Name);
        if (listed && listed->Content.Hash == self_update_before_->Hash &&
            listed->Content.HashPacked == self_update_before_->HashPacked)
            record_previous(listed->Content);
    }
    // Records of files the release no longer has are of no use to anyone.
    for (int id = 0; id < OldFileList.Count();) {
        if (NewFileList.GetItemByName(OldFileList.GetItemByID(id)->Content.Name))
            ++id;
        else
            OldFileList.DeleteById(id);
    }
    for (int id = 0; id < NewFileList.Count(); ++id) {
        const TFileRecord& listed = NewFileList.GetItemByID(id)->Content;
        if (Required.GetItemByName(listed.Name))
            continue; // missing, or named in the check section
        const auto local = [&]() -> std::optional<SizeAndDate> {
            const auto status = platform::file_status(platform::native_path(main, listed.Name));
            if (!status || !status->regular)
                return std::nullopt;
            TDateTime date = local_date_time_from_file_time(status->modified);
            if (kept_dates_.Matches(date, listed.Date))
                date = listed.Date; // what the file system keeps of a date it cannot hold
            return SizeAndDate{static_cast<std::int64_t>(status->size), date};
        };
        switch (ClassifyPresentFile(listed, previous_record(listed.Name), local)) {
        case PresentFile::Current:
            break;
        case PresentFile::Unchanged:
            record_previous(listed);
            break;
        case PresentFile::Examine:
            Required.AddItemEmpty(listed.Name);
            added.insert(TFileList::MakeKey(listed.Name));
            break;
        }
    }
    return added;
}

} // namespace launcher

#include "update/previous_list.h"

#include "catalogue/catalogue_line.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/game_names.h"

#include <algorithm>

namespace launcher {
namespace {

bool is_hash_text(std::string_view text) {
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
           });
}

bool is_record_we_write(const TFileRecord& record) {
    return is_hash_text(record.Hash) && is_hash_text(record.HashPacked) && record.Size >= 0 &&
           IsSafeGameName(platform::trim(record.Name));
}

} // namespace

std::uint64_t PreviousListBound(std::uint64_t manifest_bytes) {
    constexpr std::uint64_t kSlack = std::uint64_t{1} << 20;
    return kSlack + 2 * manifest_bytes;
}

std::vector<std::string> PreviousListSnapshot::Load(const std::filesystem::path& file,
                                                    std::uint64_t size_bound, TFileList& list) {
    list.Clear();
    lines_.clear();
    rewrite_ = false;
    std::vector<std::string> notes;
    const auto status = platform::file_status(file);
    if (!status)
        return notes; // no previous list
    const std::string where = platform::utf8_of(file);
    if (!status->regular || status->size > size_bound) {
        rewrite_ = true;
        notes.push_back("Not used as the previous list (" + std::to_string(status->size) +
                        " bytes, more than any list for this file list): " + where);
        return notes;
    }
    std::vector<std::string> damaged;
    try {
        damaged = list.LoadFromFileSkippingBadLines(file);
    } catch (const platform::FileError& error) {
        rewrite_ = true;
        notes.push_back("Cannot read the previous list: " + std::string(error.what()));
        list.Clear();
        return notes;
    }
    for (int id = 0; id < list.Count();) {
        const TFileRecord& record = list.GetItemByID(id)->Content;
        if (is_record_we_write(record)) {
            ++id;
            continue;
        }
        if (!platform::trim(record.Name).empty() || !record.Hash.empty())
            damaged.push_back(FormatCatalogueLine(record));
        rewrite_ = true; // a blank line is dropped without a word
        list.DeleteById(id);
    }
    if (!damaged.empty()) {
        rewrite_ = true;
        if (damaged.size() > static_cast<std::size_t>(list.Count())) {
            notes.push_back("Not used as the previous list (" + std::to_string(damaged.size()) +
                            " damaged lines): " + where);
            list.Clear();
            return notes;
        }
        constexpr std::size_t kLinesTold = 10;
        for (std::size_t i = 0; i < std::min(damaged.size(), kLinesTold); ++i)
            notes.push_back("Skipped a damaged line of " + where + ": " + damaged[i]);
        if (damaged.size() > kLinesTold)
            notes.push_back("Skipped " + std::to_string(damaged.size() - kLinesTold) +
                            " more damaged lines of " + where);
    }
    list.SaveToStrings(&lines_);
    return notes;
}

bool PreviousListSnapshot::Changed(const TFileList& list) const {
    if (rewrite_ || static_cast<std::size_t>(list.Count()) != lines_.size())
        return true;
    std::vector<std::string> now;
    list.SaveToStrings(&now);
    return now != lines_;
}

} // namespace launcher

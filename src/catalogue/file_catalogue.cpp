#include "catalogue/file_catalogue.h"

#include "catalogue/catalogue_line.h"
#include "platform/files.h"
#include "platform/terminate_flag.h"
#include "platform/text.h"

#include <algorithm>
#include <utility>

namespace launcher {

TFileList::TFileList(bool isSorted) : sorted_(isSorted) {}

TFileList::~TFileList() {
    Clear();
}

std::string TFileList::MakeKey(std::string_view name) {
    return platform::to_lower(platform::trim(name));
}

std::size_t TFileList::LowerBound(std::string_view key) const {
    const auto found = std::lower_bound(
        list_.begin(), list_.end(), key,
        [](const Entry& entry, std::string_view wanted) { return entry.key < wanted; });
    return static_cast<std::size_t>(found - list_.begin());
}

int TFileList::FindKey(std::string_view key) const {
    if (sorted_) {
        const std::size_t at = LowerBound(key);
        return at < list_.size() && list_[at].key == key ? static_cast<int>(at) : -1;
    }
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (list_[i].key == key)
            return static_cast<int>(i);
    return -1;
}

std::unique_ptr<TFileItem> TFileList::AddItem(std::string_view name,
                                              std::unique_ptr<TFileItem> item) {
    if (!item)
        return nullptr; // an entry always holds an item
    std::string key = MakeKey(name);
    if (!sorted_) {
        list_.push_back({std::move(key), std::move(item)});
        return nullptr;
    }
    const std::size_t at = LowerBound(key);
    if (at < list_.size() && list_[at].key == key)
        return item;
    list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(at),
                 {std::move(key), std::move(item)});
    return nullptr;
}

void TFileList::AddItemSimple(std::string_view name, std::string_view hash,
                              std::string_view hashpacked, std::int64_t size, TDateTime date) {
    if (platform::application_terminated())
        return;
    if (sorted_ && GetId(name) >= 0)
        return;
    auto item = std::make_unique<TFileItem>();
    item->Content = {std::string(name), std::string(hash), std::string(hashpacked), size, date};
    // Cannot be refused: the key was checked above.
    [[maybe_unused]] auto refused = AddItem(name, std::move(item));
}

void TFileList::AddItemEmpty(std::string_view name) {
    AddItemSimple(name, kPlaceholderHash, kPlaceholderHash, 0, 0.0);
}

int TFileList::GetId(std::string_view name) const {
    return FindKey(MakeKey(name));
}

TFileItem* TFileList::GetItemByName(std::string_view name) {
    return GetItemByID(GetId(name));
}

const TFileItem* TFileList::GetItemByName(std::string_view name) const {
    return GetItemByID(GetId(name));
}

TFileItem* TFileList::GetItemByID(int id) {
    return InRange(id) ? list_[static_cast<std::size_t>(id)].item.get() : nullptr;
}

const TFileItem* TFileList::GetItemByID(int id) const {
    return InRange(id) ? list_[static_cast<std::size_t>(id)].item.get() : nullptr;
}

std::string_view TFileList::GetKeyByID(int id) const {
    return InRange(id) ? std::string_view(list_[static_cast<std::size_t>(id)].key)
                       : std::string_view();
}

void TFileList::DeleteById(int id) {
    if (InRange(id))
        list_.erase(list_.begin() + id);
}

void TFileList::DeleteByName(std::string_view name) {
    const int id = GetId(name);
    if (id >= 0)
        DeleteById(id);
}

void TFileList::Clear() {
    list_.clear();
}

void TFileList::SortEntries() {
    std::stable_sort(list_.begin(), list_.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
}

void TFileList::LoadFromStrings(const std::vector<std::string>& source) {
    Clear();
    const LocaleDateTimeFormat format = date_format_.value_or(LocaleDateTimeFormat::user_default());
    // Lines are gathered first and put in key order once, so a large
    // catalogue loads in n log n rather than one shifting insert per line.
    // The stable sort keeps lines of one key in source order, so the first
    // of them is the one kept: the same result as adding them one by one.
    const auto commit = [&] {
        if (sorted_) {
            SortEntries();
            const auto last =
                std::unique(list_.begin(), list_.end(),
                            [](const Entry& a, const Entry& b) { return a.key == b.key; });
            list_.erase(last, list_.end());
        }
    };
    list_.reserve(source.size());
    try {
        for (const std::string& line : source) {
            if (platform::application_terminated())
                break;
            auto item = std::make_unique<TFileItem>();
            item->Content = ParseCatalogueLine(line, format);
            std::string key = MakeKey(item->Content.Name);
            list_.push_back({std::move(key), std::move(item)});
        }
    } catch (...) {
        commit();
        throw;
    }
    commit();
}

void TFileList::LoadFromFile(const std::filesystem::path& filename) {
    const platform::Bytes bytes = platform::read_file(filename);
    LoadFromStrings(platform::split_lines(platform::decode_text(bytes)));
}

void TFileList::SaveToStrings(std::vector<std::string>* target) const {
    if (target == nullptr)
        return;
    target->clear();
    target->reserve(list_.size());
    for (const Entry& entry : list_)
        target->push_back(FormatCatalogueLine(entry.item->Content));
}

void TFileList::SaveToFile(const std::filesystem::path& filename) const {
    std::vector<std::string> lines;
    SaveToStrings(&lines);
    platform::write_file_atomic(filename, platform::join_crlf(lines));
}

void TFileList::SetSorted(bool sort) {
    if (sort && !sorted_)
        SortEntries();
    sorted_ = sort;
}

void TFileList::SwapItems(int id1, int id2) {
    if (sorted_ || !InRange(id1) || !InRange(id2))
        return;
    Entry& first = list_[static_cast<std::size_t>(id1)];
    Entry& second = list_[static_cast<std::size_t>(id2)];
    if (!first.item || !second.item)
        return;
    std::swap(first.key, second.key);
    std::swap(first.item->Content, second.item->Content);
}

} // namespace launcher

#include "catalogue/file_catalogue.h"

#include "catalogue/catalogue_line.h"
#include "platform/files.h"
#include "platform/terminate_flag.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace launcher {
namespace {

// The lines of a text as views: CR LF, LF or CR end a line; a final line
// without an end counts; an empty text has none.
std::vector<std::string_view> split_line_views(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

} // namespace

TFileList::TFileList(bool isSorted) : sorted_(isSorted) {}

TFileList::~TFileList() {
    Clear();
}

std::string TFileList::MakeKey(std::string_view name) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    // Most names are ASCII: lower-case those with a simple table-free pass
    // and leave the others to the full Unicode mapping.
    if (!std::all_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return platform::to_lower(name);
    std::string key(name);
    for (char& c : key) {
        const auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? 32 : 0));
    }
    return key;
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

void TFileList::SortEntries(bool drop_repeated_keys) {
    // Sorting (key, position) pairs rather than entries keeps the moves
    // cheap and the keys one step away; ties broken by position make the
    // order stable.
    struct Position {
        std::string_view key;
        std::uint32_t at;
    };
    std::vector<Position> order;
    order.reserve(list_.size());
    for (std::size_t i = 0; i < list_.size(); ++i)
        order.push_back({list_[i].key, static_cast<std::uint32_t>(i)});
    std::sort(order.begin(), order.end(), [](const Position& a, const Position& b) {
        const int compared = a.key.compare(b.key);
        return compared < 0 || (compared == 0 && a.at < b.at);
    });
    std::vector<Entry> sorted;
    sorted.reserve(list_.size());
    for (const Position& position : order) {
        Entry& entry = list_[position.at];
        if (drop_repeated_keys && !sorted.empty() && sorted.back().key == entry.key)
            continue; // a later line of a key already kept
        sorted.push_back(std::move(entry));
    }
    list_.swap(sorted);
}

void TFileList::LoadFromStrings(const std::vector<std::string>& source) {
    LoadLines(std::vector<std::string_view>(source.begin(), source.end()));
}

void TFileList::LoadLines(const std::vector<std::string_view>& lines,
                          std::vector<std::string>* skipped) {
    Clear();
    const LocaleDateTimeFormat format = date_format_.value_or(LocaleDateTimeFormat::user_default());
    // Lines are gathered first and put in key order once, so a large
    // catalogue loads in n log n rather than one shifting insert per line.
    // The stable order keeps lines of one key in source order and the first
    // of them is the one kept: the same result as adding them one by one.
    const auto commit = [&] {
        if (sorted_)
            SortEntries(true);
    };
    list_.reserve(lines.size());
    try {
        for (const std::string_view line : lines) {
            if (platform::application_terminated())
                break;
            auto item = std::make_unique<TFileItem>();
            try {
                item->Content = ParseCatalogueLine(line, format);
            } catch (const EConvertError&) {
                if (!skipped)
                    throw;
                skipped->emplace_back(line);
                continue;
            }
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
    const std::string text = platform::decode_text(platform::read_file(filename));
    LoadLines(split_line_views(text));
}

std::vector<std::string>
TFileList::LoadFromFileSkippingBadLines(const std::filesystem::path& filename) {
    const std::string text = platform::decode_text(platform::read_file(filename));
    std::vector<std::string> skipped;
    LoadLines(split_line_views(text), &skipped);
    return skipped;
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
    platform::write_file_atomic(filename, platform::encode_text(platform::join_crlf(lines)));
}

void TFileList::CopyFrom(const TFileList& source) {
    if (&source == this)
        return;
    Clear();
    list_.reserve(source.list_.size());
    for (const Entry& entry : source.list_)
        list_.push_back({entry.key, std::make_unique<TFileItem>(*entry.item)});
    if (sorted_)
        SortEntries(true);
}

void TFileList::SetSorted(bool sort) {
    if (sort && !sorted_)
        SortEntries(false);
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

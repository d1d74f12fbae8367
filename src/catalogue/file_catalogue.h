#pragma once

#include "catalogue/file_record.h"
#include "catalogue/locale_date_time.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The name-indexed catalogue of files. Entries are looked up by key: the name
// without leading and trailing characters up to the space, lower-cased by the
// Unicode case mapping. A sorted catalogue keeps its entries in key order
// (ordinal order of the lower-cased keys, so it ignores case), refuses a key
// that is already present and finds names by binary search; an unsorted one
// keeps the order of adding, allows repeated keys and finds the first match.
// Entry ids are positions in the current order.
class TFileList {
public:
    explicit TFileList(bool isSorted);
    ~TFileList();
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;
    TFileList(TFileList&&) = default;
    TFileList& operator=(TFileList&&) = default;

    int Count() const { return static_cast<int>(list_.size()); }
    bool IsSorted() const { return sorted_; }

    // Takes `item` under the key of `name`. A sorted catalogue that already
    // holds the key stays unchanged and hands `item` back; otherwise the
    // result is empty. A null item is not added.
    [[nodiscard]] std::unique_ptr<TFileItem> AddItem(std::string_view name,
                                                     std::unique_ptr<TFileItem> item);
    // Adds an entry unless the terminate flag is set or (sorted) the key is
    // already present: the first entry for a key wins.
    void AddItemSimple(std::string_view name, std::string_view hash, std::string_view hashpacked,
                       std::int64_t size, TDateTime date);
    // An entry that no real file matches: placeholder hashes, size 0, date 0.0.
    void AddItemEmpty(std::string_view name);

    int GetId(std::string_view name) const;
    TFileItem* GetItemByName(std::string_view name);
    const TFileItem* GetItemByName(std::string_view name) const;
    TFileItem* GetItemByID(int id);
    const TFileItem* GetItemByID(int id) const;
    // The key of entry `id`; empty when out of range.
    std::string_view GetKeyByID(int id) const;

    void DeleteById(int id);
    void DeleteByName(std::string_view name);
    void Clear();

    // Clear, then one entry per line in source order. A date that holds a
    // space but is no valid date and time raises EConvertError; the entries
    // of the lines before it stay.
    void LoadFromStrings(const std::vector<std::string>& source);
    // Reads the text file (byte-order mark honoured; CR LF, LF or CR) and
    // loads its lines. A file error leaves the catalogue untouched.
    void LoadFromFile(const std::filesystem::path& filename);
    // LoadFromFile for a list the launcher keeps for itself: a line that does
    // not parse is left out rather than ending the load, so one damaged line
    // cannot keep every later run from working. Returns the lines left out.
    std::vector<std::string> LoadFromFileSkippingBadLines(const std::filesystem::path& filename);
    // One line per entry in id order; nothing when `target` is null.
    void SaveToStrings(std::vector<std::string>* target) const;
    // Writes every line ended by CR LF to a temporary file beside `filename`
    // and renames it into place, so the previous file is never half-written.
    void SaveToFile(const std::filesystem::path& filename) const;

    // Clear, then a copy of every entry of `source` in id order; a sorted
    // catalogue keeps the first entry of each key. Sorts once, so copying an
    // unsorted catalogue of many entries stays n log n.
    void CopyFrom(const TFileList& source);

    // Sorting re-orders by key (duplicates already present stay); unsorting
    // keeps the present order.
    void SetSorted(bool sort);
    // Unsorted only, both ids in range: exchanges the keys and the records of
    // the two entries; each item object keeps its position.
    void SwapItems(int id1, int id2);

    // The format of dates written with a space; the user's locale by default.
    void SetDateTimeFormat(const LocaleDateTimeFormat& format) { date_format_ = format; }

    // The key a name is stored and looked up under.
    static std::string MakeKey(std::string_view name);

private:
    struct Entry {
        std::string key;
        std::unique_ptr<TFileItem> item;
    };

    // Sorted only: the position of the first entry whose key is not below `key`.
    std::size_t LowerBound(std::string_view key) const;
    int FindKey(std::string_view key) const;
    bool InRange(int id) const { return id >= 0 && id < Count(); }
    // Key order, entries of one key in their present order; with
    // `drop_repeated_keys` only the first of them stays.
    void SortEntries(bool drop_repeated_keys);
    // Loads the lines; with `skipped`, lines that do not parse go there
    // instead of raising.
    void LoadLines(const std::vector<std::string_view>& lines,
                   std::vector<std::string>* skipped = nullptr);

    std::vector<Entry> list_;
    bool sorted_;
    std::optional<LocaleDateTimeFormat> date_format_;
};

} // namespace launcher

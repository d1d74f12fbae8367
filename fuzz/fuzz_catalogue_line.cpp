// Feeds arbitrary bytes to the catalogue line reader: one line on its own,
// then the bytes as a whole catalogue text into a sorted and an unsorted list.
// What is read must write back and read again to the same records.
#include "catalogue/catalogue_line.h"
#include "catalogue/file_catalogue.h"
#include "platform/text.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using launcher::EConvertError;
using launcher::LocaleDateTimeFormat;
using launcher::TFileRecord;

const LocaleDateTimeFormat kFormat = LocaleDateTimeFormat::from_patterns("%d.%m.%Y", "%T");

bool same(const TFileRecord& a, const TFileRecord& b) {
    return a.Name == b.Name && a.Hash == b.Hash && a.HashPacked == b.HashPacked &&
           a.Size == b.Size &&
           std::bit_cast<std::uint64_t>(a.Date) == std::bit_cast<std::uint64_t>(b.Date);
}

void check_line(std::string_view line) {
    TFileRecord record;
    try {
        record = launcher::ParseCatalogueLine(line, kFormat);
    } catch (const EConvertError&) {
        return;
    }
    const std::string written = launcher::FormatCatalogueLine(record);
    // A written line has no spaces in its date, so it always reads back.
    if (!same(launcher::ParseCatalogueLine(written, kFormat), record))
        std::abort();
}

void check_list(const std::vector<std::string>& lines, bool sorted) {
    launcher::TFileList list(sorted);
    list.SetDateTimeFormat(kFormat);
    try {
        list.LoadFromStrings(lines);
    } catch (const EConvertError&) {
    }
    std::vector<std::string> written;
    list.SaveToStrings(&written);
    launcher::TFileList back(sorted);
    back.SetDateTimeFormat(kFormat);
    back.LoadFromStrings(written);
    if (back.Count() != list.Count())
        std::abort();
    for (int id = 0; id < list.Count(); ++id) {
        if (!same(back.GetItemByID(id)->Content, list.GetItemByID(id)->Content))
            std::abort();
        if (list.GetId(list.GetItemByID(id)->Content.Name) < 0)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check_line(bytes);
    const std::vector<std::string> lines =
        launcher::platform::split_lines(launcher::platform::decode_text(bytes));
    for (const std::string& line : lines)
        check_line(line);
    check_list(lines, true);
    check_list(lines, false);
    return 0;
}

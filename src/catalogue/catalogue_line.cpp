#include "catalogue/catalogue_line.h"

#include <bit>
#include <charconv>

namespace launcher {
namespace {

// Cuts the next field off `rest`: the text before the next "|" (and the "|"
// itself), or the whole rest when none is left.
std::string_view next_field(std::string_view& rest) {
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) {
        const std::string_view field = rest;
        rest = {};
        return field;
    }
    const std::string_view field = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
    return field;
}

std::optional<std::uint64_t> parse_hex64(std::string_view field) {
    if (field.empty() || field.size() > 16)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : field) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

} // namespace

std::int64_t ParseSizeField(std::string_view field) {
    if (field.size() > 1 && field.front() == '+' && field[1] != '-')
        field.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size())
        return 0;
    return value;
}

TDateTime ParseDateField(std::string_view field, const LocaleDateTimeFormat& date_format) {
    if (field.empty())
        return 0.0;
    if (field.find(' ') == std::string_view::npos)
        return std::bit_cast<double>(parse_hex64(field).value_or(0));
    if (const auto value = parse_locale_date_time(field, date_format))
        return *value;
    throw EConvertError("'" + std::string(field) + "' is not a valid date and time");
}

std::string FormatDateField(TDateTime date) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto bits = std::bit_cast<std::uint64_t>(date);
    std::string out(16, '0');
    for (std::size_t i = 16; i-- > 0; bits >>= 4)
        out[i] = kDigits[bits & 0xF];
    return out;
}

std::string FormatCatalogueLine(const TFileRecord& record) {
    std::string line;
    line.reserve(record.Hash.size() + record.Name.size() + record.HashPacked.size() + 44);
    line += record.Hash;
    line += '|';
    line += record.Name;
    line += '|';
    char size[24];
    const auto end = std::to_chars(size, size + sizeof size, record.Size).ptr;
    line.append(size, end);
    line += '|';
    line += FormatDateField(record.Date);
    line += '|';
    line += record.HashPacked;
    return line;
}

TFileRecord ParseCatalogueLine(std::string_view line, const LocaleDateTimeFormat& date_format) {
    TFileRecord record;
    std::string_view rest = line;
    // The hash is only what stands before a first "|": a line without one is
    // all name.
    if (const std::size_t bar = rest.find('|'); bar != std::string_view::npos) {
        record.Hash = rest.substr(0, bar);
        rest.remove_prefix(bar + 1);
    }
    record.Name = next_field(rest);
    record.Size = ParseSizeField(next_field(rest));
    record.Date = ParseDateField(next_field(rest), date_format);
    record.HashPacked = next_field(rest);
    return record;
}

} // namespace launcher

#include "skin/skin_params.h"

#include "platform/text.h"

#include <limits>
#include <optional>

namespace launcher {
namespace {

std::optional<std::uint64_t> parse_magnitude(std::string_view digits, unsigned base) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

} // namespace

std::string GetParamValue(const StringList& list, std::string_view key) {
    for (const std::string& line : list) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue; // a line without "=" has no key
        if (platform::trim(std::string_view(line).substr(0, equals)) == key)
            return platform::trim(std::string_view(line).substr(equals + 1));
    }
    return {};
}

std::int64_t ParseParamInt(std::string_view text) {
    return TryParseParamInt(text).value_or(0);
}

std::optional<std::int64_t> TryParseParamInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        base = 16;
        text.remove_prefix(1);
    }
    const auto magnitude = parse_magnitude(text, base);
    if (!magnitude)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal gives the bit pattern: colours such as $FF00000F stay intact
        // in their low 32 bits, and 16 digits may set the sign bit.
        const auto bits = static_cast<std::int64_t>(*magnitude);
        return negative ? static_cast<std::int64_t>(0 - *magnitude) : bits;
    }
    constexpr auto max_positive =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (*magnitude > max_positive + 1)
            return std::nullopt;
        return static_cast<std::int64_t>(0 - *magnitude);
    }
    if (*magnitude > max_positive)
        return std::nullopt;
    return static_cast<std::int64_t>(*magnitude);
}

std::int64_t GetParamInt(const StringList& list, std::string_view key) {
    return ParseParamInt(GetParamValue(list, key));
}

bool GetParamBool(const StringList& list, std::string_view key) {
    return GetParamValue(list, key) == "true";
}

} // namespace launcher

#include "platform/text.h"

#include "platform/system_code_page.h"

#include <charconv>

#include <utf8proc.h>

namespace launcher::platform {
namespace {

void append_utf8(std::string& out, char32_t code) {
    std::uint8_t buffer[4];
    const auto length = utf8proc_encode_char(static_cast<utf8proc_int32_t>(code), buffer);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

std::string decode_utf16(std::span<const std::uint8_t> bytes, bool big_endian) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t u = 0; u < units.size(); ++u)
        units[u] = big_endian ? static_cast<char16_t>(bytes[2 * u] << 8 | bytes[2 * u + 1])
                              : static_cast<char16_t>(bytes[2 * u + 1] << 8 | bytes[2 * u]);
    return utf16_to_utf8(units);
}

} // namespace

std::string decode_text(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return {reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3};
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return decode_utf16(bytes.subspan(2), false);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return decode_utf16(bytes.subspan(2), true);
    return decode_system_code_page(bytes);
}

std::string decode_text(std::string_view bytes) {
    return decode_text(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::string trim(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string to_lower(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : text[i]);
            ++i;
            continue;
        }
        utf8proc_int32_t code = 0;
        const auto length =
            utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(text.size() - i), &code);
        if (length <= 0) {
            out.push_back(text[i]);
            ++i;
            continue;
        }
        append_utf8(out, static_cast<char32_t>(utf8proc_tolower(code)));
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        utf8proc_int32_t code = 0;
        const auto length =
            utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(text.size() - i), &code);
        if (length <= 0) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string to_lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::optional<std::int32_t> parse_int32(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string join_crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string printable(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            result += '?';
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            result += '?'; // U+0080 to U+009F
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string encode_text(std::string_view utf8) {
    return encode_system_code_page(utf8);
}

bool is_valid_utf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        utf8proc_int32_t code = 0;
        const auto length =
            utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(text.size() - i), &code);
        if (length <= 0)
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::string utf16_to_utf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t u = 0; u < units.size(); ++u) {
        char32_t code = units[u];
        if (code >= 0xD800 && code <= 0xDBFF && u + 1 < units.size()) {
            const char32_t low = units[u + 1];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++u;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD; // an unpaired surrogate has no UTF-8 form
        append_utf8(out, code);
    }
    return out;
}

} // namespace launcher::platform

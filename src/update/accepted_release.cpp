#include "update/accepted_release.h"

#include <charconv>
#include <vector>

namespace launcher {
namespace {

bool whole_number(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failed == std::errc{} && end == text.data() + text.size();
}

// What a damaged record showed, readable in one log line.
std::string shown(std::string_view text) {
    std::string out;
    for (const char c : text.substr(0, 64)) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            out += '?';
        else
            out += c;
    }
    return "\"" + out + (text.size() > 64 ? "...\"" : "\"");
}

} // namespace

std::optional<AcceptedRelease> ParseAcceptedRelease(std::string_view text, std::string& found) {
    const auto damaged = [&](const std::string& what) {
        found = what + " (the record holds " + shown(text) + ")";
        return std::nullopt;
    };
    if (text.size() > kLongestAcceptedRecord)
        return damaged("it is longer than " + std::to_string(kLongestAcceptedRecord) + " bytes");
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    AcceptedRelease accepted;
    if (lines.empty() || !whole_number(lines[0], accepted.release))
        return damaged("its first line is not a release number");
    bool have_key = false;
    bool have_format = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        std::uint64_t format = 0;
        if (line.starts_with("key ") && !have_key && line.size() == 20 &&
            line.find_first_not_of("0123456789abcdef", 4) == line.npos) {
            accepted.newest_key = std::string(line.substr(4));
            have_key = true;
        } else if (line.starts_with("format ") && !have_format &&
                   whole_number(line.substr(7), format) && format >= 1 && format <= 2) {
            accepted.format = static_cast<int>(format);
            have_format = true;
        } else {
            return damaged("line " + std::to_string(i + 1) + " is not one of a record");
        }
    }
    return accepted;
}

std::string AcceptedReleaseText(const AcceptedRelease& accepted) {
    std::string text = std::to_string(accepted.release) + "\r\n";
    if (!accepted.newest_key.empty())
        text += "key " + accepted.newest_key + "\r\n";
    if (accepted.format > 0)
        text += "format " + std::to_string(accepted.format) + "\r\n";
    return text;
}

} // namespace launcher

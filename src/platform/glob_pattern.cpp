#include "platform/glob_match.h"

#include <cctype>
#include <optional>

namespace launcher::platform {
namespace {

// Whether `c` belongs to the named class of "[:name:]".
std::optional<bool> in_class(std::string_view name, unsigned char c) {
    if (name == "alpha")
        return std::isalpha(c) != 0;
    if (name == "digit")
        return std::isdigit(c) != 0;
    if (name == "alnum")
        return std::isalnum(c) != 0;
    if (name == "upper")
        return std::isupper(c) != 0;
    if (name == "lower")
        return std::islower(c) != 0;
    if (name == "space")
        return std::isspace(c) != 0;
    if (name == "blank")
        return c == ' ' || c == '\t';
    if (name == "punct")
        return std::ispunct(c) != 0;
    if (name == "xdigit")
        return std::isxdigit(c) != 0;
    if (name == "cntrl")
        return std::iscntrl(c) != 0;
    if (name == "print")
        return std::isprint(c) != 0;
    if (name == "graph")
        return std::isgraph(c) != 0;
    return std::nullopt;
}

// Matches the bracket expression that starts at pattern[at] (just after the
// "[") against `c`. Returns where the expression ends (after its "]") and
// whether `c` is in it; none when the expression is not closed, and then
// the "[" stands for itself.
std::optional<std::pair<std::size_t, bool>> match_bracket(std::string_view pattern, std::size_t at,
                                                          unsigned char c) {
    bool negated = false;
    if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) {
        negated = true;
        ++at;
    }
    bool matched = false;
    bool first = true;
    while (at < pattern.size()) {
        if (pattern[at] == ']' && !first)
            return std::pair{at + 1, matched != negated};
        first = false;
        if (pattern[at] == '[' && at + 1 < pattern.size() && pattern[at + 1] == ':') {
            const std::size_t end = pattern.find(":]", at + 2);
            if (end != std::string_view::npos) {
                if (const auto in = in_class(pattern.substr(at + 2, end - at - 2), c)) {
                    matched = matched || *in;
                    at = end + 2;
                    continue;
                }
            }
        }
        unsigned char low = static_cast<unsigned char>(pattern[at]);
        if (low == '\\' && at + 1 < pattern.size())
            low = static_cast<unsigned char>(pattern[++at]);
        ++at;
        unsigned char high = low;
        if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
            high = static_cast<unsigned char>(pattern[at + 1]);
            at += 2;
            if (high == '\\' && at < pattern.size())
                high = static_cast<unsigned char>(pattern[at++]);
        }
        if (c >= low && c <= high)
            matched = true;
    }
    return std::nullopt;
}

} // namespace

bool match_glob_pattern(std::string_view pattern, std::string_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    // Where to go on after the last "*" when a later part fails: that star
    // then takes one more character.
    std::optional<std::size_t> star_pattern;
    std::size_t star_text = 0;
    while (t < text.size()) {
        const auto c = static_cast<unsigned char>(text[t]);
        if (p < pattern.size()) {
            const char token = pattern[p];
            if (token == '*') {
                star_pattern = ++p;
                star_text = t;
                continue;
            }
            if (token == '?') {
                ++p;
                ++t;
                continue;
            }
            if (token == '[') {
                if (const auto bracket = match_bracket(pattern, p + 1, c)) {
                    if (bracket->second) {
                        p = bracket->first;
                        ++t;
                        continue;
                    }
                } else if (c == '[') {
                    ++p;
                    ++t;
                    continue;
                }
            } else {
                std::size_t literal = p;
                if (token == '\\' && p + 1 < pattern.size())
                    ++literal;
                if (static_cast<unsigned char>(pattern[literal]) == c) {
                    p = literal + 1;
                    ++t;
                    continue;
                }
            }
        }
        if (!star_pattern)
            return false;
        p = *star_pattern;
        t = ++star_text;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace launcher::platform

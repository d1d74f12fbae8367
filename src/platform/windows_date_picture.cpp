#include "platform/locale_patterns.h"

namespace launcher::platform {
namespace {

// The conversion for a run of one picture letter, or empty when unknown.
std::string conversion_of(char letter, std::size_t run) {
    switch (letter) {
    case 'd':
        return run >= 4 ? "%A" : run == 3 ? "%a" : "%d";
    case 'M':
        return run >= 4 ? "%B" : run == 3 ? "%b" : "%m";
    case 'y':
        return run <= 2 ? "%y" : "%Y";
    case 'g':
        return ""; // the era: nothing to read
    case 'H':
        return "%H";
    case 'h':
        return "%I";
    case 'm':
        return "%M";
    case 's':
        return "%S";
    case 't':
        return "%p";
    default:
        return std::string(run, letter);
    }
}

} // namespace

std::string strftime_pattern_of_windows_picture(std::string_view picture) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            // 'text' is literal; '' inside quotes is one quote.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'' && i + 1 < picture.size() && picture[i + 1] == '\'') {
                    out.push_back('\'');
                    i += 2;
                } else if (picture[i] == '\'') {
                    ++i;
                    break;
                } else {
                    if (picture[i] == '%')
                        out.push_back('%'); // a literal percent sign in a pattern
                    out.push_back(picture[i++]);
                }
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (c == '%')
            out += std::string(run * 2, '%');
        else
            out += conversion_of(c, run);
        i += run;
    }
    return out;
}

} // namespace launcher::platform

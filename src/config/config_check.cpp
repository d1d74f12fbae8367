#include "config/config_check.h"

#include "platform/text.h"
#include "update/release_signature.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace launcher {
namespace {

struct KnownSection {
    std::string_view name;
    std::vector<std::string_view> keys;
};

const std::array<KnownSection, 5>& known_sections() {
    static const std::array<KnownSection, 5> sections{{
        {"config",
         {"instance", "trayhint", "defaultlanguage", "usercan_changelanguage", "defaultautoclose",
          "usercan_changeautoclose", "usercan_changeproxy", "usercan_changedrivetype",
          "usercan_changecheckmethod", "language_folder"}},
        {"mainwindow", {"caption", "fadeeffect"}},
        {"settingwindow", {"fadeeffect"}},
        {"updateservers", {"useping", "randomselect", "url", "publickey", "channel"}},
        {"gameproxys", {"useproxy", "port", "proxy"}},
    }};
    return sections;
}

const KnownSection* section_named(std::string_view name) {
    for (const KnownSection& section : known_sections())
        if (section.name == name)
            return &section;
    return nullptr;
}

bool has_key(const KnownSection& section, std::string_view key) {
    return std::find(section.keys.begin(), section.keys.end(), key) != section.keys.end();
}

// Edits (insert, delete, replace, swap of neighbours) from one word to another.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The known key a mistyped one most likely meant, with its section.
std::string likely_meant(std::string_view key) {
    std::string best;
    std::size_t best_distance = 3; // two edits at most
    for (const KnownSection& section : known_sections())
        for (std::string_view known : section.keys) {
            const std::size_t distance = edit_distance(key, known);
            if (distance < best_distance) {
                best_distance = distance;
                best = std::string(known) + " in [" + std::string(section.name) + "]";
            }
        }
    return best;
}

// The section a known key belongs to, when it is known in one only.
std::string_view home_of(std::string_view key) {
    std::string_view home;
    for (const KnownSection& section : known_sections())
        if (has_key(section, key)) {
            if (!home.empty())
                return {};
            home = section.name;
        }
    return home;
}

// Values that the parser takes but the launcher cannot use.
std::string value_warning(std::string_view section, std::string_view key,
                          const std::string& value) {
    if (section != "updateservers")
        return {};
    if (key == "publickey" && !ParsePublicKey(value))
        return "publickey=" + value + " in [updateservers] is not a public key written by keygen";
    if (key == "channel" && !IsChannelName(value))
        return "channel=" + value +
               " in [updateservers] is not a channel name (1 to 64 letters, digits, '.', '-' "
               "or '_')";
    return {};
}

} // namespace

std::vector<std::string> ConfigTextWarnings(const std::vector<std::string>& lines) {
    std::vector<std::string> warnings;
    std::string section;
    bool in_section = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = platform::trim(lines[i]);
        if (line.empty() || line.front() == ';')
            continue; // a comment
        const std::string where = "configuration line " + std::to_string(i + 1) + ": ";
        if (line.front() == '[') {
            std::size_t end = line.find('=');
            if (end == std::string::npos)
                end = line.find(']');
            section = end == std::string::npos
                          ? std::string()
                          : platform::to_lower(platform::trim(line.substr(1, end - 1)));
            in_section = true;
            if (section != "lang" && !section_named(section))
                warnings.push_back(where + "unknown section " + line + "; its lines are ignored");
            continue;
        }
        if (section == "lang")
            continue;
        const std::size_t equals = line.find('=');
        if (!in_section) {
            warnings.push_back(where + "\"" + line + "\" stands before any section; ignored");
            continue;
        }
        const KnownSection* known = section_named(section);
        if (known == nullptr)
            continue; // told once, at its header
        if (const std::size_t colon = line.find(':'); colon < equals) {
            const std::string name = platform::to_lower(platform::trim(line.substr(0, colon)));
            if (!home_of(name).empty() || !likely_meant(name).empty()) {
                warnings.push_back(where + "\"" + name + ":\" in [" + section +
                                   "] has ':' where '=' belongs; ignored");
                continue;
            }
        }
        if (equals == std::string::npos) {
            warnings.push_back(where + "\"" + line + "\" in [" + section +
                               "] has no \"=\"; ignored");
            continue;
        }
        const std::string key = platform::to_lower(platform::trim(line.substr(0, equals)));
        if (has_key(*known, key)) {
            std::string value = platform::trim(line.substr(equals + 1));
            if (const std::string warning = value_warning(section, key, value); !warning.empty())
                warnings.push_back(where + warning);
            continue;
        }
        if (const std::string_view home = home_of(key); !home.empty()) {
            warnings.push_back(where + key + " belongs in [" + std::string(home) + "], not [" +
                               section + "]; ignored here");
            continue;
        }
        std::string warning = where + "unknown key " + key + " in [" + section + "]; ignored";
        if (const std::string meant = likely_meant(key); !meant.empty())
            warning += " (did you mean " + meant + "?)";
        warnings.push_back(warning);
    }
    return warnings;
}

} // namespace launcher

#include "config/config_data.h"
#include "platform/text.h"

#include <string>

namespace launcher {
namespace {

std::int32_t id_of(const tMyCollection::Entry& section) {
    return platform::parse_int32(section.text).value_or(0);
}

} // namespace

std::int32_t tConfigData::GetLanguageIdByName(std::string_view name) const {
    const std::string wanted = platform::to_lower(platform::trim(name));
    std::int32_t result = 0;
    for (const auto& section : LanguageCollection.List) {
        if (platform::to_lower(section.object->Item) == wanted) {
            result = id_of(section);
            break;
        }
    }
    if (result == 0 && !LanguageCollection.List.empty())
        result = id_of(LanguageCollection.List.front());
    return result;
}

void tConfigData::SetLanguageArray(std::int32_t langid, LanguageTable& arr) {
    const auto& sections = LanguageCollection.List;
    if (sections.empty())
        return;
    const std::int32_t wanted =
        Config.UserCan_ChangeLanguage ? langid : GetLanguageIdByName(Config.DefaultLanguage);
    const std::string wanted_text = std::to_string(wanted);
    const tMyCollection::Entry* chosen = &sections.front();
    for (const auto& section : sections) {
        if (section.text == wanted_text) {
            chosen = &section;
            break;
        }
    }

    LangNum = id_of(*chosen);
    LangName = chosen->object->Item;

    for (const auto& entry : chosen->object->List) {
        const std::string& line = entry.text;
        const std::size_t equals = line.find('=');
        const std::int32_t index =
            equals == std::string::npos
                ? 0
                : platform::parse_int32(platform::trim(line.substr(0, equals))).value_or(0);
        if (index < 0 || static_cast<std::size_t>(index) >= arr.size())
            continue;
        std::string text =
            platform::trim(equals == std::string::npos ? line : line.substr(equals + 1));
        if (text.empty())
            continue;
        // Brackets keep blanks at the ends; each goes on its own.
        if (text.front() == '[')
            text.erase(text.begin());
        if (!text.empty() && text.back() == ']')
            text.pop_back();
        arr[static_cast<std::size_t>(index)] = text;
    }
}

} // namespace launcher

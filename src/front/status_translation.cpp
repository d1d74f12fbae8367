#include "front/status_translation.h"

namespace launcher::front {

std::string TranslatedStatus(std::string_view line, const LanguageTable& before,
                             const LanguageTable& after) {
    std::size_t best = 0; // entry 0 is the news address, never a status
    std::size_t best_length = 0;
    for (std::size_t index = 1; index < before.size(); ++index) {
        const std::string entry = LanguageText(before, static_cast<LanguageEntry>(index));
        if (entry.size() > best_length && line.substr(0, entry.size()) == entry) {
            best = index;
            best_length = entry.size();
        }
    }
    if (best == 0 || best >= after.size())
        return std::string(line);
    const std::string replacement = LanguageText(after, static_cast<LanguageEntry>(best));
    if (replacement.empty())
        return std::string(line);
    return replacement + std::string(line.substr(best_length));
}

} // namespace launcher::front

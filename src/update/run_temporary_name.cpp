#include "update/run_temporary_name.h"

namespace launcher {
namespace {

constexpr std::string_view kPrefix = "$tmp.";
constexpr std::string_view kTagLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTagLength = 6;

bool is_tag(std::string_view text) {
    return text.size() == kTagLength && text.find_first_not_of(kTagLetters) == std::string::npos;
}

} // namespace

std::string RunTemporaryName(std::string_view name, std::string_view tag) {
    const std::size_t dot = name.rfind('.');
    return std::string(name.substr(0, dot + 1)) + std::string(tag) + std::string(name.substr(dot));
}

std::string RunTag(std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> pick(0, kTagLetters.size() - 1);
    std::string tag;
    for (std::size_t i = 0; i < kTagLength; ++i)
        tag += kTagLetters[pick(random)];
    return tag;
}

bool IsRunTemporaryName(std::string_view file_name) {
    if (!file_name.starts_with(kPrefix))
        return false;
    const std::string_view rest = file_name.substr(kPrefix.size());
    for (const std::string_view extension : {std::string_view("vdp"), std::string_view("sig")}) {
        if (rest == extension)
            return true; // as earlier versions named them
        if (rest.size() == kTagLength + 1 + extension.size() && rest.ends_with(extension) &&
            rest[kTagLength] == '.' && is_tag(rest.substr(0, kTagLength)))
            return true;
    }
    return false;
}

} // namespace launcher

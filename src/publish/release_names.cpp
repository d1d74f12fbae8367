#include "publish/release_names.h"

#include "catalogue/file_catalogue.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/release_publisher.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include <utf8proc.h>

namespace launcher::publish {
namespace {

constexpr std::string_view kArchiveSuffix = ".vdp";
constexpr std::string_view kLauncherFolder = "updater";
constexpr std::string_view kForbiddenOnWindows = "<>:\"/?*";

bool is_device_name(std::string_view part) {
    const std::string base = platform::to_lower_ascii(part.substr(0, part.find('.')));
    static constexpr std::array<std::string_view, 4> kDevices{"con", "prn", "aux", "nul"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end())
        return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
           base[3] >= '1' && base[3] <= '9';
}

// Why one part of a name (a folder or the file name) cannot be stored as it
// is on a player's system.
std::string part_problem(std::string_view part) {
    if (part.empty() || part == "." || part == "..")
        return "leaves the game folder";
    if (part.front() == ' ')
        return "\"" + std::string(part) + "\" begins with a blank";
    if (part.back() == ' ')
        return "\"" + std::string(part) + "\" ends with a blank";
    if (part.back() == '.')
        return "\"" + std::string(part) + "\" ends with a dot, which Windows drops";
    const auto forbidden = part.find_first_of(kForbiddenOnWindows);
    if (forbidden != std::string_view::npos)
        return "holds a \"" + std::string(1, part[forbidden]) +
               "\", which Windows does not allow in names";
    if (is_device_name(part))
        return "\"" + std::string(part) + "\" is a device name on Windows";
    return {};
}

std::string text_problem(std::string_view name) {
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
    for (std::size_t i = 0; i < name.size();) {
        utf8proc_int32_t code = 0;
        const auto length =
            utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(name.size() - i), &code);
        if (length <= 0)
            return "is not valid UTF-8";
        if (code < 0x20 || code == 0x7F)
            return "holds a control character";
        if (code == '|')
            return "holds a \"|\", the manifest's field separator";
        i += static_cast<std::size_t>(length);
    }
    return {};
}

std::vector<std::string_view> parts_of(std::string_view name) {
    std::vector<std::string_view> parts;
    name.remove_prefix(1); // the leading backslash
    for (;;) {
        const auto end = name.find('\\');
        parts.push_back(name.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        name.remove_prefix(end + 1);
    }
}

} // namespace

std::string ManifestNameProblem(std::string_view name) {
    if (name.empty() || name.front() != '\\')
        return "leaves the game folder";
    if (auto problem = text_problem(name); !problem.empty())
        return problem;
    const auto parts = parts_of(name);
    for (const auto part : parts)
        if (auto problem = part_problem(part); !problem.empty())
            return problem;
    if (platform::to_lower(parts.front()) == kLauncherFolder)
        return "takes the place of the launcher's own folder \"updater\"";
    if (TFileList::MakeKey(name) == "\\" + std::string(kManifestName))
        return "would be packed as \"updater.lst.vdp\", the name of the packed manifest";
    return {};
}

std::string ManifestName(const std::filesystem::path& relative) {
    std::string name;
    for (const auto& part : relative) {
        const std::string text = platform::utf8_of(part);
        if (text.find('\\') != std::string::npos)
            throw PublishError(platform::utf8_of(relative) +
                               ": holds a \"\\\", which a player's system takes for a folder "
                               "separator");
        if (text.empty() || text == "." || text == ".." || text == "/")
            throw PublishError(platform::utf8_of(relative) + ": leaves the game folder");
        name += '\\';
        name += text;
    }
    if (name.empty())
        throw PublishError("An empty name cannot be published");
    if (const auto problem = ManifestNameProblem(name); !problem.empty())
        throw PublishError(platform::utf8_of(relative) + ": " + problem);
    return name;
}

std::string SectionName(std::string_view given) {
    std::string name;
    std::string_view rest = given;
    while (!rest.empty()) {
        const auto end = rest.find_first_of("\\/");
        const auto part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (part.empty())
            continue; // repeated separators, as a path reads them
        if (part == "." || part == "..")
            throw PublishError("The name " + std::string(given) + " leaves the game folder");
        name += '\\';
        name += part;
    }
    if (name.empty())
        throw PublishError("An empty name cannot be published");
    if (const auto problem = text_problem(name); !problem.empty())
        throw PublishError("The name " + std::string(given) + " " + problem);
    if (name.back() == ' ')
        throw PublishError("The name " + std::string(given) + " ends with a blank");
    return name;
}

std::vector<std::string> NameClashes(const std::vector<NamedFile>& files) {
    std::vector<std::string> clashes;
    std::map<std::string, const NamedFile*> first_of_key;
    for (const auto& file : files) {
        const auto [at, added] = first_of_key.emplace(TFileList::MakeKey(file.name), &file);
        if (!added)
            clashes.push_back(file.shown + ": differs from " + at->second->shown +
                              " only in letter case; a player would keep one of them");
    }
    // A folder "x.vdp" on the server holds archives; a file "x" would need
    // the same path for its own archive.
    std::set<const NamedFile*> reported;
    for (const auto& file : files) {
        const std::string key = TFileList::MakeKey(file.name);
        for (auto end = key.find('\\', 1); end != std::string::npos;
             end = key.find('\\', end + 1)) {
            const std::string_view folder = std::string_view(key).substr(0, end);
            if (!folder.ends_with(kArchiveSuffix))
                continue;
            const auto owner = first_of_key.find(
                std::string(folder.substr(0, folder.size() - kArchiveSuffix.size())));
            if (owner != first_of_key.end() && reported.insert(owner->second).second)
                clashes.push_back(owner->second->shown +
                                  ": its archive would take the place of the folder that holds "
                                  "the archive of " +
                                  file.shown);
        }
    }
    return clashes;
}

} // namespace launcher::publish

#include "publish/section_names.h"

#include "catalogue/file_catalogue.h"
#include "publish/release_publisher.h"

#include <unordered_set>

namespace launcher::publish {
namespace {

bool in_updater_folder(const std::string& key) {
    return key.starts_with("\\updater\\") || key == "\\updater";
}

} // namespace

void RefuseSectionNames(const std::vector<std::string>& published,
                        const std::vector<std::string>& check_section,
                        const std::vector<std::string>& removal_section) {
    std::unordered_set<std::string> keys;
    for (const std::string& name : published)
        keys.insert(TFileList::MakeKey(name));
    std::vector<std::string> problems;
    for (const std::string& name : check_section) {
        const std::string key = TFileList::MakeKey(name);
        if (in_updater_folder(key))
            problems.push_back("--check " + name + ": the launcher's own folder is not published");
        else if (!keys.contains(key))
            problems.push_back("--check " + name + ": the release holds no such file");
    }
    for (const std::string& name : removal_section) {
        const std::string key = TFileList::MakeKey(name);
        if (in_updater_folder(key))
            problems.push_back("--remove " + name + ": the launcher's own folder");
        else if (keys.contains(key))
            problems.push_back("--remove " + name + ": the release also publishes it");
    }
    if (problems.empty())
        return;
    std::string message = "Nothing was published: " + std::to_string(problems.size()) +
                          (problems.size() == 1 ? " name" : " names") +
                          " of the check or removal section cannot be used";
    for (const std::string& problem : problems)
        message += "\n  " + problem;
    throw PublishError(message);
}

} // namespace launcher::publish

#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::platform {

// Starts programs detached from the launcher: the launcher may close while
// they run.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;

    // Starts `program` with `arguments` in `working_dir`. Returns an empty
    // text when the program was started, otherwise why it was not.
    virtual std::string start(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments,
                              const std::filesystem::path& working_dir) = 0;
};

// The real starter. A program that is not a native executable of this
// platform (a Windows game client) is started through `wine` when wine is
// installed.
class DetachedProcessStarter final : public ProcessStarter {
public:
    std::string start(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& working_dir) override;
};

// Where `name` is found on PATH, or an empty path.
std::filesystem::path find_on_path(std::string_view name);

} // namespace launcher::platform

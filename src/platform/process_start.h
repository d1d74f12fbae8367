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

// Whether a started program asks for the administrator's rights.
enum class Elevation {
    AsUser,   // runs with this process's rights
    Elevated, // Windows: started through the shell with the verb "runas",
              // which asks for elevation; elsewhere the same as AsUser (a
              // game must not run as root)
};

// The real starter: the program runs on its own, its window shown normally.
// On Windows it is started with CreateProcessW (AsUser) or ShellExecuteExW
// (Elevated; with CreateProcessW when the shell cannot elevate, but not when
// the player declined). On POSIX systems a program that is not a native executable
// (a Windows game client) is started through `wine` when wine is installed.
class DetachedProcessStarter final : public ProcessStarter {
public:
    explicit DetachedProcessStarter(Elevation elevation = Elevation::AsUser)
        : elevation_(elevation) {}

    std::string start(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& working_dir) override;

private:
    Elevation elevation_;
};

// Starts `program` on its own (see DetachedProcessStarter): the restart of
// the launcher after it replaced itself, the game start. An empty text when
// it started, otherwise why not.
inline std::string start_detached(const std::filesystem::path& program,
                                  const std::vector<std::string>& arguments,
                                  const std::filesystem::path& working_dir,
                                  Elevation elevation = Elevation::AsUser) {
    return DetachedProcessStarter(elevation).start(program, arguments, working_dir);
}

// Where `name` is found on PATH, or an empty path.
std::filesystem::path find_on_path(std::string_view name);

} // namespace launcher::platform

#pragma once

// The real programs for end-to-end tests: launchers packed by launcher-publish
// from the launcher-cli executable, releases published by launcher-publish.
#include "support/temp_dir.h"

#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace launcher::testing {

extern const std::string kCli;
extern const std::string kPublish;

// The configuration text of a test launcher: its update servers in order,
// the tray hint (which makes two launchers' bytes differ) and UsePing.
std::string config_text(const std::vector<std::string>& servers, const std::string& tray = "Test",
                        bool use_ping = false);

// A launcher executable whose configuration names `server` (or `servers`).
std::filesystem::path pack_launcher(const TempDir& scratch, const std::filesystem::path& output,
                                    const std::string& server, const std::string& tray = "Test");
std::filesystem::path pack_launcher(const TempDir& scratch, const std::filesystem::path& output,
                                    const std::vector<std::string>& servers,
                                    const std::string& tray, bool use_ping);

// A launcher executable packed with the configuration `text`.
std::filesystem::path pack_launcher_with_config(const TempDir& scratch,
                                                const std::filesystem::path& output,
                                                const std::string& text);

// Publishes the game folder into an update-server folder with launcher-publish.
void publish(const std::filesystem::path& game, const std::filesystem::path& out,
             const std::vector<std::string>& extra = {});

// Every file below `folder` but the updater folder and hidden temporary files.
std::map<std::string, std::string> game_files(const std::filesystem::path& folder);

// Starts a program with its output into a file; the caller ends it.
pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& output);
void kill_and_wait(pid_t pid);

} // namespace launcher::testing

#pragma once

// Command-line arguments as UTF-8 text on every system. A program's `argv`
// is in the ANSI code page on Windows, and std::filesystem reads a plain
// std::string there in that code page too, so a folder name the code page
// lacks would never arrive. These take the arguments from the platform layer
// as UTF-8 and make paths of them only through `platform::path_from_utf8`.
#include "platform/own_process.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

namespace launcher::command_line {

// A path option (or positional argument) whose text is UTF-8.
inline CLI::Option* add_path_option(CLI::App& app, const std::string& name,
                                    std::filesystem::path& target, const std::string& description) {
    return app
        .add_option_function<std::string>(
            name, [&target](const std::string& text) { target = platform::path_from_utf8(text); },
            description)
        ->type_name("PATH");
}

inline CLI::Option* add_path_option(CLI::App& app, const std::string& name,
                                    std::optional<std::filesystem::path>& target,
                                    const std::string& description) {
    return app
        .add_option_function<std::string>(
            name, [&target](const std::string& text) { target = platform::path_from_utf8(text); },
            description)
        ->type_name("PATH");
}

// Checks of a path option's UTF-8 text (CLI::ExistingFile would read it in
// the ANSI code page on Windows).
inline const CLI::Validator kExistingFile(
    [](std::string& text) -> std::string {
        std::error_code error;
        if (std::filesystem::is_regular_file(platform::path_from_utf8(text), error))
            return {};
        return "File does not exist: " + text;
    },
    "FILE");

inline const CLI::Validator kExistingFolder(
    [](std::string& text) -> std::string {
        std::error_code error;
        if (std::filesystem::is_directory(platform::path_from_utf8(text), error))
            return {};
        return "Directory does not exist: " + text;
    },
    "DIR");

// Parses the arguments this process was started with, as UTF-8 (`argv`
// only when the system cannot give them). Returns the exit status when the
// parse ends the run (help asked for, an error), as CLI11_PARSE would.
inline std::optional<int> parse_own_arguments(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> arguments = platform::own_command_line();
    if (arguments.empty())
        arguments.assign(argv, argv + argc);
    if (!arguments.empty())
        arguments.erase(arguments.begin());           // the program's name
    std::reverse(arguments.begin(), arguments.end()); // as CLI11 takes them
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    return std::nullopt;
}

} // namespace launcher::command_line

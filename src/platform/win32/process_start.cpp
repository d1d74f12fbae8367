#include "platform/process_start.h"

#include "platform/error_text.h"
#include "platform/utf8_path.h"
#include "platform/win32/win32_text.h"
#include "platform/windows_command_line.h"

#include <shellapi.h>

namespace launcher::platform {
namespace {

std::string cannot_start(const std::filesystem::path& program, DWORD error) {
    return "Cannot start " + utf8_of(program) + ": " + error_text(win32::error_code_of(error));
}

std::string create_process(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::filesystem::path& working_dir) {
    std::vector<std::string> command{utf8_of(program)};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::wstring command_line = win32::wide(windows_command_line(command));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    // Its own process group and no console of ours: closing the launcher's
    // console does not end the game.
    if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT,
                          nullptr, working_dir.c_str(), &startup, &started))
        return cannot_start(program, ::GetLastError());
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return {};
}

// ERROR_SUCCESS when the shell started `program`, otherwise its error.
DWORD shell_execute_elevated(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const std::filesystem::path& working_dir) {
    const std::wstring parameters = win32::wide(windows_command_line(arguments));
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    // Wait for the shell's own work (the elevation prompt) to finish before
    // returning, and show no message box of its own on failure.
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    execute.lpDirectory = working_dir.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&execute) ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

std::filesystem::path find_on_path(std::string_view name) {
    const std::wstring wanted = win32::wide(name);
    std::wstring found(MAX_PATH, L'\0');
    wchar_t* file_part = nullptr;
    const DWORD length = ::SearchPathW(nullptr, wanted.c_str(), nullptr,
                                       static_cast<DWORD>(found.size()), found.data(), &file_part);
    if (length == 0 || length >= found.size())
        return {};
    found.resize(length);
    return std::filesystem::path(found);
}

std::string DetachedProcessStarter::start(const std::filesystem::path& program,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& working_dir) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(program, error))
        return "Cannot start " + utf8_of(program) + ": the file does not exist";
    if (elevation_ == Elevation::Elevated) {
        const DWORD shell_error = shell_execute_elevated(program, arguments, working_dir);
        if (shell_error == ERROR_SUCCESS)
            return {};
        // A player who declines the elevation prompt has said no. A system
        // that cannot elevate (no "runas" for programs) still starts the
        // program, with this user's rights.
        if (shell_error == ERROR_CANCELLED)
            return cannot_start(program, shell_error);
    }
    return create_process(program, arguments, working_dir);
}

} // namespace launcher::platform

#include "platform/child_process.h"

#include "platform/error_text.h"
#include "platform/win32/win32_text.h"
#include "platform/windows_command_line.h"

#include <cstdio>
#include <iostream>
#include <shellapi.h>

namespace launcher::platform {
namespace {

class Win32Child final : public ChildProcess {
public:
    explicit Win32Child(HANDLE process) : process_(process) {}
    ~Win32Child() override { ::CloseHandle(process_); }

    std::optional<int> exit_status() override {
        if (::WaitForSingleObject(process_, 0) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 1;
        ::GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }

    void kill() override { ::TerminateProcess(process_, 1); }

    void forward_stop(int signal_number) override {
        ::TerminateProcess(process_, static_cast<UINT>(128 + signal_number));
    }

private:
    HANDLE process_;
};

HANDLE create_process(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& working_folder, std::string& error) {
    std::wstring command_line = win32::wide(windows_command_line(arguments));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    // Only the standard handles are inheritable here: every file the
    // platform layer opens is not.
    if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                          CREATE_UNICODE_ENVIRONMENT, nullptr,
                          working_folder.empty() ? nullptr : working_folder.c_str(), &startup,
                          &started)) {
        error = error_text(win32::last_error());
        return nullptr;
    }
    ::CloseHandle(started.hThread);
    return started.hProcess;
}

HANDLE shell_execute_elevated(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments,
                              const std::filesystem::path& working_folder, std::string& error) {
    const std::vector<std::string> parameters(arguments.begin() + (arguments.empty() ? 0 : 1),
                                              arguments.end());
    const std::wstring text = win32::wide(windows_command_line(parameters));
    std::error_code ignored;
    const std::wstring folder =
        (working_folder.empty() ? std::filesystem::current_path(ignored) : working_folder)
            .wstring();
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    execute.lpVerb = L"runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = text.empty() ? nullptr : text.c_str();
    execute.lpDirectory = folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&execute) || execute.hProcess == nullptr) {
        error = error_text(win32::last_error());
        return nullptr;
    }
    return execute.hProcess;
}

} // namespace

std::unique_ptr<ChildProcess> start_child(const std::filesystem::path& program,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& working_folder,
                                          Elevation elevation, std::string& error) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    HANDLE process = nullptr;
    if (elevation == Elevation::Elevated)
        process = shell_execute_elevated(program, arguments, working_folder, error);
    // Where the shell cannot elevate (wine), the program runs as this user.
    if (process == nullptr)
        process = create_process(program, arguments, working_folder, error);
    if (process == nullptr)
        return nullptr;
    error.clear();
    return std::make_unique<Win32Child>(process);
}

} // namespace launcher::platform

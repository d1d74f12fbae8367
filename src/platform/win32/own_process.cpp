#include "platform/own_process.h"

#include "platform/error_text.h"
#include "platform/files.h"
#include "platform/win32/win32_text.h"
#include "platform/windows_command_line.h"

#include <cstdio>
#include <iostream>
#include <shellapi.h>

namespace launcher::platform {

std::vector<std::string> own_command_line() {
    int count = 0;
    wchar_t** parts = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (parts == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(win32::narrow(parts[i]));
    ::LocalFree(parts);
    return arguments;
}

std::string replace_process(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
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
    if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &started))
        return error_text(win32::last_error());
    ::CloseHandle(started.hThread);
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD exit_code = 1;
    ::GetExitCodeProcess(started.hProcess, &exit_code);
    ::CloseHandle(started.hProcess);
    ::ExitProcess(exit_code);
}

std::filesystem::path executable_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throw FileError("Cannot find the running executable: " +
                            std::to_string(::GetLastError()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2); // the name was cut short
    }
}

} // namespace launcher::platform

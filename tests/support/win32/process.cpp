#include "support/process.h"

#include "platform/utf8_path.h"
#include "platform/windows_command_line.h"

#include <stdexcept>
#include <windows.h>

namespace launcher::testing {
namespace {

std::wstring wide(const std::string& text) {
    return platform::path_from_utf8(text).native();
}

} // namespace

ProcessResult run_process(const std::vector<std::string>& arguments,
                          const std::filesystem::path& working_dir) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &inheritable, 0))
        throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    std::wstring command_line = wide(platform::windows_command_line(arguments));
    const std::wstring program = wide(arguments.front());
    PROCESS_INFORMATION started{};
    const BOOL created =
        ::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         working_dir.c_str(), &startup, &started);
    ::CloseHandle(write_end);
    if (!created) {
        ::CloseHandle(read_end);
        return {127, "cannot start " + arguments.front()};
    }
    ProcessResult result;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.output.append(buffer, got);
    ::CloseHandle(read_end);
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD exit_code = 0;
    ::GetExitCodeProcess(started.hProcess, &exit_code);
    ::CloseHandle(started.hProcess);
    ::CloseHandle(started.hThread);
    result.exit_code = static_cast<int>(exit_code);
    // Text written to a console stream ends its lines in CR LF here; the
    // tests compare lines as the programs write them.
    std::string lines;
    for (std::size_t i = 0; i < result.output.size(); ++i)
        if (!(result.output[i] == '\r' && i + 1 < result.output.size() &&
              result.output[i + 1] == '\n'))
            lines += result.output[i];
    result.output = std::move(lines);
    return result;
}

} // namespace launcher::testing

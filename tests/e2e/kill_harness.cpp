#include "kill_harness.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

namespace launcher::testing {
namespace {

// A NUL-terminated string of the child's memory.
std::string read_string(pid_t pid, std::uint64_t address) {
    std::string text;
    char chunk[256];
    while (text.size() < 4096) {
        iovec local{chunk, sizeof chunk};
        iovec remote{reinterpret_cast<void*>(address + text.size()), sizeof chunk};
        const ssize_t n = ::process_vm_readv(pid, &local, 1, &remote, 1, 0);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] == '\0')
                return text;
            text += chunk[i];
        }
    }
    return text;
}

std::optional<FileCall> file_call(pid_t pid, const __ptrace_syscall_info& info) {
    const auto nr = static_cast<long>(info.entry.nr);
    const auto* args = info.entry.args;
    const auto text = [pid](std::uint64_t address) { return read_string(pid, address); };
    if (nr == SYS_openat && (args[2] & O_CREAT) != 0)
        return FileCall{FileCall::Kind::create, text(args[1]), {}};
#ifdef SYS_open
    if (nr == SYS_open && (args[1] & O_CREAT) != 0)
        return FileCall{FileCall::Kind::create, text(args[0]), {}};
#endif
#ifdef SYS_rename
    if (nr == SYS_rename)
        return FileCall{FileCall::Kind::rename, text(args[0]), text(args[1])};
#endif
    if (nr == SYS_renameat || nr == SYS_renameat2)
        return FileCall{FileCall::Kind::rename, text(args[1]), text(args[3])};
#ifdef SYS_unlink
    if (nr == SYS_unlink)
        return FileCall{FileCall::Kind::remove, text(args[0]), {}};
#endif
    if (nr == SYS_unlinkat)
        return FileCall{FileCall::Kind::remove, text(args[1]), {}};
    if (nr == SYS_fsync || nr == SYS_fdatasync || nr == SYS_syncfs)
        return FileCall{FileCall::Kind::flush, {}, {}};
    return std::nullopt;
}

int exit_code_of(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TracedRun RunKilledBefore(const std::vector<std::string>& arguments,
                          const std::function<bool(const FileCall&)>& kill_before) {
    std::FILE* output = std::tmpfile();
    if (output == nullptr)
        throw std::runtime_error("Cannot make a file for the child's output");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(::fileno(output), STDOUT_FILENO);
        ::dup2(::fileno(output), STDERR_FILENO);
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            ::_exit(125);
        ::raise(SIGSTOP);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }

    TracedRun run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFSTOPPED(status)) {
        std::fclose(output);
        throw TracingUnavailable("The child could not be traced");
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);
    for (;;) {
        if (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
            continue;
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            run.exit_code = exit_code_of(status);
            break;
        }
        int deliver = 0;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info info{};
            if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0 &&
                info.op == PTRACE_SYSCALL_INFO_ENTRY) {
                const auto call = file_call(pid, info);
                if (call && kill_before(*call)) {
                    ::kill(pid, SIGKILL);
                    while (::waitpid(pid, &status, 0) >= 0 && !WIFEXITED(status) &&
                           !WIFSIGNALED(status)) {
                    }
                    run.killed = true;
                    run.exit_code = exit_code_of(status);
                    break;
                }
            }
        } else if (signal != SIGTRAP) { // the trap after exec is ours, not the program's
            deliver = signal;
        }
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
    }
    std::rewind(output);
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, output)) > 0)
        run.output.append(buffer, n);
    std::fclose(output);
    return run;
}

} // namespace launcher::testing

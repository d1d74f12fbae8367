#include "support/process.h"

#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace launcher::testing {

ProcessResult run_process(const std::vector<std::string>& arguments,
                          const std::filesystem::path& working_dir) {
    int out_fds[2];
    int err_fds[2];
    if (::pipe(out_fds) != 0)
        throw std::runtime_error("pipe failed");
    if (::pipe(err_fds) != 0) {
        ::close(out_fds[0]);
        ::close(out_fds[1]);
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(out_fds[1], STDOUT_FILENO);
        ::dup2(err_fds[1], STDERR_FILENO);
        for (const int fd : {out_fds[0], out_fds[1], err_fds[0], err_fds[1]})
            ::close(fd);
        if (::chdir(working_dir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out_fds[1]);
    ::close(err_fds[1]);
    ProcessResult result;
    // Both pipes are read as data arrives, so the interleaved text keeps the
    // order in which the program wrote its lines.
    pollfd pipes[2] = {{out_fds[0], POLLIN, 0}, {err_fds[0], POLLIN, 0}};
    char buffer[4096];
    for (int open = 2; open > 0;) {
        if (::poll(pipes, 2, -1) < 0)
            continue;
        for (pollfd& pipe : pipes) {
            if (pipe.fd < 0 || pipe.revents == 0)
                continue;
            const ssize_t n = ::read(pipe.fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(pipe.fd);
                pipe.fd = -1;
                --open;
                continue;
            }
            result.output.append(buffer, static_cast<std::size_t>(n));
            if (pipe.fd == err_fds[0])
                result.errors.append(buffer, static_cast<std::size_t>(n));
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace launcher::testing

#include "support/process.h"

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace launcher::testing {

ProcessResult run_process(const std::vector<std::string>& arguments,
                          const std::filesystem::path& working_dir) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(pipe_fds[1], STDOUT_FILENO);
        ::dup2(pipe_fds[1], STDERR_FILENO);
        ::close(pipe_fds[0]);
        ::close(pipe_fds[1]);
        if (::chdir(working_dir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    ProcessResult result;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace launcher::testing

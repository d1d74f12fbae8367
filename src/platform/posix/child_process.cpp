#include "platform/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace launcher::platform {
namespace {

class PosixChild final : public ChildProcess {
public:
    explicit PosixChild(pid_t pid) : pid_(pid) {}
    ~PosixChild() override {
        // A child that is still running goes on on its own; one that ended is
        // reaped here.
        exit_status();
    }

    std::optional<int> exit_status() override {
        if (status_)
            return status_;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }

    void kill() override {
        if (!status_)
            ::kill(pid_, SIGKILL);
    }

    void forward_stop(int signal_number) override {
        if (!status_)
            ::kill(pid_, signal_number);
    }

private:
    pid_t pid_;
    std::optional<int> status_;
};

} // namespace

std::unique_ptr<ChildProcess> start_child(const std::filesystem::path& program,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& working_folder, Elevation,
                                          std::string& error) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    pid_t pid = 0;
    // The descriptors this process opens are close-on-exec: the child gets
    // the standard streams only. A program that cannot be run at all is
    // reported here (posix_spawn passes the failed exec on).
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (!working_folder.empty())
        ::posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
    const int result =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = std::strerror(result);
        return nullptr;
    }
    return std::make_unique<PosixChild>(pid);
}

} // namespace launcher::platform

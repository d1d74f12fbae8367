#include "support/nginx_server.h"

#include "platform/files.h"
#include "platform/process_start.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace launcher::testing {
namespace {

int free_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    socklen_t length = sizeof where;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
    ::close(fd);
    return ntohs(where.sin_port);
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    ::close(fd);
    return ok;
}

} // namespace

bool NginxServer::Available() {
    return !platform::find_on_path("nginx").empty() || std::filesystem::exists("/usr/sbin/nginx");
}

void NginxServer::OpenForReading(const std::filesystem::path& path) {
    using std::filesystem::perms;
    std::error_code ignored;
    for (auto folder = path; folder.has_relative_path(); folder = folder.parent_path())
        if (std::filesystem::is_directory(folder, ignored))
            std::filesystem::permissions(folder, perms::others_read | perms::others_exec,
                                         std::filesystem::perm_options::add, ignored);
    if (!std::filesystem::is_directory(path, ignored))
        return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        std::filesystem::permissions(entry.path(),
                                     entry.is_directory() ? perms::others_read | perms::others_exec
                                                          : perms::others_read,
                                     std::filesystem::perm_options::add, ignored);
}

NginxServer::NginxServer(const std::filesystem::path& root) {
    OpenForReading(root);
    port_ = free_port();
    const std::string prefix = prefix_.path().string();
    const std::string config = "daemon off;\n"
                               "worker_processes 1;\n"
                               "pid " +
                               prefix +
                               "/nginx.pid;\n"
                               "error_log " +
                               prefix +
                               "/error.log;\n"
                               "events { worker_connections 256; }\n"
                               "http {\n"
                               "  access_log off;\n"
                               "  client_body_temp_path " +
                               prefix +
                               "/client;\n"
                               "  proxy_temp_path " +
                               prefix +
                               "/proxy;\n"
                               "  fastcgi_temp_path " +
                               prefix +
                               "/fastcgi;\n"
                               "  uwsgi_temp_path " +
                               prefix +
                               "/uwsgi;\n"
                               "  scgi_temp_path " +
                               prefix +
                               "/scgi;\n"
                               "  default_type application/octet-stream;\n"
                               "  server {\n"
                               "    listen 127.0.0.1:" +
                               std::to_string(port_) +
                               ";\n"
                               "    root " +
                               std::filesystem::absolute(root).string() +
                               ";\n"
                               "  }\n"
                               "}\n";
    const auto config_file = prefix_.write("nginx.conf", config);
    const std::string program = std::filesystem::exists("/usr/sbin/nginx")
                                    ? std::string("/usr/sbin/nginx")
                                    : platform::find_on_path("nginx").string();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execl(program.c_str(), program.c_str(), "-c", config_file.c_str(), "-p", prefix.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int attempt = 0; attempt < 500 && !accepts(port_); ++attempt) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

NginxServer::~NginxServer() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGQUIT);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

std::string NginxServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

} // namespace launcher::testing

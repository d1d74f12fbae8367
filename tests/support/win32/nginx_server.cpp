#include "support/nginx_server.h"

#include <stdexcept>

namespace launcher::testing {

bool NginxServer::Available() {
    return false;
}

void NginxServer::OpenForReading(const std::filesystem::path&) {}

NginxServer::NginxServer(const std::filesystem::path&) {
    throw std::runtime_error("nginx is not run by the Windows tests");
}

NginxServer::~NginxServer() = default;

std::string NginxServer::url(std::string_view) const {
    return {};
}

} // namespace launcher::testing

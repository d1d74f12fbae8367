#include "support/tcp_listener.h"

#include <stdexcept>

namespace launcher::testing {

TcpListener::TcpListener(const char* address, std::uint16_t port)
    : socket_(net::listen_on(address, port, 8, port_)) {
    if (socket_ == net::kNoSocket)
        throw std::runtime_error("cannot listen");
}

TcpListener::~TcpListener() {
    net::close_socket(socket_);
}

} // namespace launcher::testing

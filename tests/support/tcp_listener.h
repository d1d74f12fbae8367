#pragma once

#include "support/test_socket.h"

#include <cstdint>

namespace launcher::testing {

// A TCP listener on one loopback address, accepting nothing by itself: a
// connection attempt to it succeeds. Port 0 picks a free port.
class TcpListener {
public:
    TcpListener(const char* address, std::uint16_t port);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    std::uint16_t port() const { return port_; }

private:
    std::uint16_t port_ = 0;
    net::Socket socket_;
};

} // namespace launcher::testing

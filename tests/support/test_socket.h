#pragma once

#include <cstddef>
#include <cstdint>

namespace launcher::testing::net {

// The few TCP calls the test servers make, over BSD sockets on POSIX systems
// and Winsock on Windows (support/posix, support/win32).
using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// A listening socket on a loopback address (port 0: a free one); kNoSocket
// on failure. `bound_port` receives the port.
Socket listen_on(const char* address, std::uint16_t port, int backlog, std::uint16_t& bound_port);
// Whether the socket has something to read (or a closed peer) within the wait.
bool readable_within(Socket socket, int milliseconds);
// A connection from a listener (with Nagle's delay off); kNoSocket on failure.
Socket accept_from(Socket listener);
// Like send and recv; a closed peer never raises a signal. -1 on failure.
long send_some(Socket socket, const char* data, std::size_t size);
long receive_some(Socket socket, char* buffer, std::size_t size, bool peek = false);
void shut_down(Socket socket); // both directions, waking a blocked receive
void close_socket(Socket socket);

} // namespace launcher::testing::net

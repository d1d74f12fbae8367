#include "platform/win32/winsock_session.h"

namespace launcher::platform::win32 {

WinsockSession::WinsockSession() {
    WSADATA data{};
    ready_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

const WinsockSession& WinsockSession::get() {
    static const WinsockSession session;
    return session;
}

} // namespace launcher::platform::win32

#pragma once

#include <winsock2.h>

namespace launcher::platform::win32 {

// Winsock started once for the process (WSAStartup, version 2.2) on first
// use and left running until the process ends.
class WinsockSession {
public:
    static const WinsockSession& get();
    bool ready() const { return ready_; }

private:
    WinsockSession();
    bool ready_ = false;
};

} // namespace launcher::platform::win32

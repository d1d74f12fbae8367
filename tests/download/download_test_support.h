#pragma once

#include "platform/event_loop.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace launcher::testing {

// Bytes that differ from offset to offset, so a range written at the wrong
// place shows up in a comparison.
inline std::string make_content(std::size_t size) {
    std::string content(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& byte : content) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return content;
}

// Runs the interface thread's pending work until `done()` holds. The real
// time limit only keeps a broken test from hanging; it decides nothing.
template <class Condition>
bool pump_until(platform::EventLoop& loop, Condition done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up)
            return false;
        loop.process_pending(platform::Milliseconds(0));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace launcher::testing

#pragma once

#include "catalogue/date_time.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// The hash text of a file without a real hash: missing, unreadable, not yet
// fetched, or a packed hash that is not given.
inline constexpr std::string_view kPlaceholderHash = "00000000000000000000000000000000";

// Whether two hash texts name the same digest: publishers' tools write
// hexadecimal digits in either letter case.
inline bool SameHash(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// One file of a catalogue.
struct TFileRecord {
    std::string Name;       // exactly as given (not trimmed, case kept)
    std::string Hash;       // upper-case MD5 text or the placeholder
    std::string HashPacked; // MD5 of the packed file on the update server
    std::int64_t Size = 0;
    TDateTime Date = 0.0;

    bool operator==(const TFileRecord&) const = default;
};

// The catalogue's object for one entry.
class TFileItem {
public:
    TFileRecord Content;
};

} // namespace launcher

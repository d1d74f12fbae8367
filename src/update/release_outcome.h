#pragma once

#include "config/language_table.h"

#include <string>

namespace launcher {

// What the signature check made of the release one update server served.
struct ReleaseOutcome {
    enum class Verdict {
        Accepted, // a valid signed release: the workflow goes on with it
        Refused,  // the server served a release this launcher must not take
        NoAnswer, // the server did not answer for the signature file
    };
    Verdict verdict = Verdict::Refused;
    std::string reason;                                      // in words, for the log and EndReason
    LanguageEntry message = LanguageEntry::ReleaseNotSigned; // tells a refusal
    // The refusal is about this game folder (its record of accepted releases
    // is damaged, or the configured channel is not one), not about what the
    // server served: no other server can do better.
    bool local = false;
};

// One update server whose release was refused, and why. `server` is the
// server's base address (the file-mode folder in file mode).
struct RefusedRelease {
    std::string server;
    std::string reason;
};

} // namespace launcher

#pragma once

// The --json event streams of launcher-cli and launcher-publish
// (docs/json-events.md): one JSON object per line on standard output.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

namespace launcher::command_line {

// The version of the event format. Raised when a field changes meaning or
// goes away; new events and new fields keep it.
inline constexpr int kJsonFormatVersion = 1;

// Writes each event as one line, flushed at once so that a reader sees it
// as it happens. Text that is not valid UTF-8 (a file name from an old
// system) is written with U+FFFD in place of the bad bytes, never refused.
class JsonEventStream {
public:
    explicit JsonEventStream(std::ostream& out) : out_(out) {}

    void write(const nlohmann::json& event) {
        out_ << event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n"
             << std::flush;
    }

    // The first line of every stream: the format version, the program's
    // version line and the command that runs.
    void begin(std::string_view version_line, std::string_view command) {
        write({{"event", "begin"},
               {"format", kJsonFormatVersion},
               {"version", version_line},
               {"command", command}});
    }

private:
    std::ostream& out_;
};

} // namespace launcher::command_line

#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace launcher::testing {

// A file-system call of a traced program, seen just before it runs.
struct FileCall {
    enum class Kind { create, rename, remove, flush };
    Kind kind;
    std::string path;   // the file created, renamed or removed; empty for a flush
    std::string target; // a rename's new name
};

struct TracedRun {
    bool killed = false; // stopped by the harness rather than ended by itself
    int exit_code = -1;  // 128 + signal when ended by a signal
    std::string output;  // standard output and standard error
};

// Raised when this system does not let a test trace its child.
class TracingUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs a program as a traced child and kills it with SIGKILL just before the
// first file-system call for which `kill_before` says so: a kill at an exact
// moment of the program's work, with no hook in the program. The program is
// assumed to run on one thread.
TracedRun RunKilledBefore(const std::vector<std::string>& arguments,
                          const std::function<bool(const FileCall&)>& kill_before);

} // namespace launcher::testing

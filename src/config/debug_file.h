#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The debug log. Enabled only by the command line; each line rewrites the
// whole file with every line of this run, so the file always holds exactly
// the run's lines so far. Lines carry no time stamp or decoration.
class tDebugFile {
public:
    tDebugFile() = default;
    explicit tDebugFile(std::filesystem::path value) : filename(std::move(value)) {}
    ~tDebugFile();
    tDebugFile(const tDebugFile&) = delete;
    tDebugFile& operator=(const tDebugFile&) = delete;

    // Appends `str` as one line and rewrites the file. Does nothing while
    // disabled. A file that cannot be written is skipped silently: the lines
    // stay in memory and the run goes on.
    void WriteErr(std::string_view str);

    const std::vector<std::string>& lines() const { return ts; }

    std::filesystem::path filename; // empty: lines are only kept in memory
    bool enabled = false;

private:
    void flush() const;

    std::vector<std::string> ts;
};

} // namespace launcher

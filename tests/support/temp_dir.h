#pragma once

#include <filesystem>
#include <string_view>

namespace launcher::testing {

// A fresh folder below the system's temporary folder, removed with its
// content when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A name below the folder, given as UTF-8.
    std::filesystem::path operator/(std::string_view name) const;

    // Writes a file below the folder (creating folders on the way).
    std::filesystem::path write(std::string_view name, std::string_view content) const;

private:
    std::filesystem::path path_;
};

} // namespace launcher::testing

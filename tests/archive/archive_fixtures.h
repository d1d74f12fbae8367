#pragma once

#include "platform/files.h"

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::testing {

struct Member {
    std::string name;
    std::string content;
    enum class Kind { file, directory, symlink } kind = Kind::file;
    bool encrypted = false; // only write_rar5 marks members so
};

// Archives in the formats libarchive writes, for the reader's tests.
void write_zip(const std::filesystem::path& path, const std::vector<Member>& members);
void write_7z(const std::filesystem::path& path, const std::vector<Member>& members);
// A stored RAR 4 archive from our own writer.
void write_rar(const std::filesystem::path& path, const std::vector<Member>& members);

// A RAR 5 archive of stored members, made byte by byte (no tool here writes
// RAR 5). An encrypted member is marked compressed and carries an
// encryption record and other bytes than its content, as ciphertext would
// be: a reader that decodes it finds it damaged.
void write_rar5(const std::filesystem::path& path, const std::vector<Member>& members);

// 114 bytes of bzip2 that decode to 129 MiB of line ends: a packed file list
// that unpacks to far more than any real one.
std::string ManifestBomb();

// Every file below `folder`, relative, sorted.
std::vector<std::string> files_below(const std::filesystem::path& folder);

} // namespace launcher::testing

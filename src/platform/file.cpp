// The parts of File that are the same on every system: the throwing forms,
// moves, and what is built from the system's operations.
#include "platform/file.h"

#include "platform/error_text.h"
#include "platform/utf8_path.h"

#include <random>
#include <string>

namespace launcher::platform {

File::File(const std::filesystem::path& path, Mode mode) {
    std::error_code error;
    *this = open(path, mode, error);
    if (error) {
        path_ = path;
        fail("Cannot open file", error);
    }
}

File::~File() {
    close_quietly();
}

File::File(File&& other) noexcept
    : native_(std::exchange(other.native_, kClosed)), path_(std::move(other.path_)),
      locked_(std::exchange(other.locked_, false)), position_(std::exchange(other.position_, 0)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close_quietly();
        native_ = std::exchange(other.native_, kClosed);
        path_ = std::move(other.path_);
        locked_ = std::exchange(other.locked_, false);
        position_ = std::exchange(other.position_, 0);
    }
    return *this;
}

bool File::is_open() const {
    return native_ != kClosed;
}

void File::fail(const char* what, const std::error_code& error) const {
    throw file_error(what, path_, error);
}

FileError file_error(std::string_view what, const std::filesystem::path& path,
                     const std::error_code& error) {
    const FileProblem problem = file_problem_of(error);
    const std::string reason =
        problem == FileProblem::Link ? "it is a symbolic link" : error_text(error);
    return FileError(std::string(what) + " " + utf8_of(path) + ": " + reason, problem, path);
}

File File::create_new(const std::filesystem::path& path) {
    const EntryKind kind = entry_kind(path);
    if (kind == EntryKind::Folder)
        throw file_error("Cannot create", path, std::make_error_code(std::errc::is_a_directory));
    if (kind != EntryKind::None && !remove_file(path))
        throw FileError("Cannot replace " + utf8_of(path), FileProblem::Other, path);
    std::error_code error;
    File file = open(path, Mode::CreateExclusive, error);
    if (error)
        throw file_error("Cannot create", path, error);
    return file;
}

namespace {

// A regular file at `path` opened in `mode`, or else a new one (create_new).
File existing_file_or_new(const std::filesystem::path& path, File::Mode mode) {
    if (entry_kind(path) == EntryKind::File) {
        std::error_code error;
        File file = File::open(path, mode, error);
        if (!error)
            return file;
    }
    return File::create_new(path);
}

} // namespace

File File::create_or_empty(const std::filesystem::path& path) {
    return existing_file_or_new(path, Mode::Truncate);
}

File File::create_or_reuse(const std::filesystem::path& path) {
    return existing_file_or_new(path, Mode::ReadWrite);
}

File File::open_read_write(const std::filesystem::path& path) {
    if (entry_kind(path) == EntryKind::Link)
        throw file_error("Cannot open file", path,
                         std::make_error_code(std::errc::too_many_symbolic_link_levels));
    return File(path, Mode::ReadWrite);
}

std::size_t File::read(std::span<std::uint8_t> buffer) {
    std::error_code error;
    const std::size_t n = read(buffer, error);
    if (error)
        fail("Cannot read file", error);
    return n;
}

std::size_t File::read_full(std::span<std::uint8_t> buffer, std::error_code& error) noexcept {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const std::size_t n = read(buffer.subspan(filled), error);
        if (error || n == 0)
            break;
        filled += n;
    }
    return filled;
}

std::size_t File::read_full(std::span<std::uint8_t> buffer) {
    std::error_code error;
    const std::size_t n = read_full(buffer, error);
    if (error)
        fail("Cannot read file", error);
    return n;
}

void File::write(std::span<const std::uint8_t> bytes) {
    std::error_code error;
    write(bytes, error);
    if (error)
        fail("Cannot write", error);
}

void File::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) const {
    std::error_code error;
    write_at(offset, bytes, error);
    if (error)
        fail("Cannot write", error);
}

void File::seek(std::uint64_t offset) {
    std::error_code error;
    seek(offset, error);
    if (error)
        fail("Cannot seek in", error);
}

void File::set_size(std::uint64_t size) {
    std::error_code error;
    set_size(size, error);
    if (error)
        fail("Cannot set the size of", error);
}

void File::sync() {
    std::error_code error;
    sync(error);
    if (error)
        fail("Cannot flush", error);
}

bool File::try_lock(Lock lock) {
    std::error_code error;
    const bool locked = try_lock(lock, error);
    if (error)
        fail("Cannot lock", error);
    return locked;
}

FileStatus File::status() const {
    std::error_code error;
    const FileStatus status = this->status(error);
    if (error)
        fail("Cannot look at", error);
    return status;
}

void File::close() {
    std::error_code error;
    close(error);
    if (error)
        fail("Cannot write", error);
}

void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    rename_replace(from, to, error);
    if (error)
        throw file_error("Cannot replace", to, error);
}

std::filesystem::path first_link_below(const std::filesystem::path& base,
                                       const std::filesystem::path& relative) {
    std::filesystem::path at = base;
    for (const auto& part : relative) {
        if (part.empty() || part == part.root_directory())
            continue;
        at /= part;
        const EntryKind kind = entry_kind(at);
        if (kind == EntryKind::Link)
            return at;
        if (kind == EntryKind::None)
            break; // nothing further down exists yet
    }
    return {};
}

void make_folders(const std::filesystem::path& base, const std::filesystem::path& relative) {
    std::filesystem::path at = base;
    for (const auto& part : relative) {
        if (part.empty() || part == part.root_directory())
            continue;
        at /= part;
        switch (entry_kind(at)) {
        case EntryKind::Folder:
            continue;
        case EntryKind::Link:
            throw file_error("Cannot create the folder", at,
                             std::make_error_code(std::errc::too_many_symbolic_link_levels));
        case EntryKind::None: {
            std::error_code error;
            std::filesystem::create_directory(at, error);
            if (error)
                throw file_error("Cannot create the folder", at, error);
            if (entry_kind(at) != EntryKind::Folder)
                throw file_error("Cannot create the folder", at,
                                 std::make_error_code(std::errc::not_a_directory));
            continue;
        }
        default:
            throw file_error("Cannot create the folder", at,
                             std::make_error_code(std::errc::not_a_directory));
        }
    }
}

std::vector<std::string> folder_entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        names.push_back(utf8_of(it->path().filename()));
    return names;
}

void copy_file_to(const std::filesystem::path& source, const std::filesystem::path& target) {
    File from(source, File::Mode::Read);
    File to = File::create_or_empty(target);
    std::vector<std::uint8_t> block(1 << 20);
    while (const std::size_t n = from.read(block))
        to.write(std::span(block.data(), n));
}

std::string random_suffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, 'a');
    for (char& c : suffix)
        c = kLetters[pick(random)];
    return suffix;
}

File create_temporary_file(const std::filesystem::path& folder, std::string_view prefix) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(prefix);
        for (int i = 0; i < 8; ++i)
            name.push_back(kLetters[pick(random)]);
        File file = File::open(folder / path_from_utf8(name), File::Mode::CreateExclusive, error);
        if (!error)
            return file;
        if (error != std::errc::file_exists)
            break;
    }
    throw FileError("Cannot create a file in " + utf8_of(folder) + ": " + error_text(error));
}

} // namespace launcher::platform

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
    throw FileError(std::string(what) + " " + utf8_of(path_) + ": " + error_text(error));
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

void File::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
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
        throw FileError("Cannot replace " + utf8_of(to) + ": " + error_text(error));
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

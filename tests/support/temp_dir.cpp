#include "support/temp_dir.h"

#include "platform/utf8_path.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace launcher::testing {

TempDir::TempDir() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "launcher-test-";
        for (int i = 0; i < 6; ++i)
            name.push_back(kLetters[pick(random)]);
        std::error_code error;
        // create_directory says false for a name that exists already.
        if (std::filesystem::create_directory(base / name, error) && !error) {
            std::filesystem::permissions(base / name, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, error);
            path_ = base / name;
            return;
        }
    }
    throw std::runtime_error("Cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::operator/(std::string_view name) const {
    return path_ / platform::path_from_utf8(name);
}

std::filesystem::path TempDir::write(std::string_view name, std::string_view content) const {
    const auto file = path_ / platform::path_from_utf8(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("Cannot write " + platform::utf8_of(file));
    return file;
}

} // namespace launcher::testing

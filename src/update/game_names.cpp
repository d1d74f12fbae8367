#include "update/game_names.h"

#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

#include <system_error>
#include <vector>

namespace launcher {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

std::vector<std::string_view> components(std::string_view name) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || is_separator(name[i])) {
            if (i > start)
                parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

} // namespace

bool IsSafeGameName(std::string_view name) {
    if (name.size() < 2 || name.front() != '\\' || is_separator(name[1]))
        return false;
    if (is_separator(name.back()))
        return false;
    for (const char c : name)
        if (c == ':' || c == '\0')
            return false;
    const auto parts = components(name);
    if (parts.empty())
        return false;
    for (const std::string_view part : parts)
        if (part == "..")
            return false;
    return true;
}

std::optional<std::string> RemovalGameName(std::string_view name) {
    if (name.empty() || name.front() == '/')
        return std::nullopt;
    std::string game_name = name.front() == '\\' ? std::string(name) : "\\" + std::string(name);
    if (!IsSafeGameName(game_name))
        return std::nullopt;
    return game_name;
}

std::string PackedFileAddress(std::string_view base, std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address(base);
    if (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        name.remove_prefix(1);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            address += c;
        } else if (c == '\\' || c == '/') {
            address += '/';
        } else {
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 0x0F];
        }
    }
    return address + ".vdp";
}

std::filesystem::path ResolveGamePath(const std::filesystem::path& base, std::string_view name) {
    const std::filesystem::path plain = platform::native_path(base, name);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(plain, error)))
        return plain;

    std::filesystem::path resolved = base;
    for (const std::string_view part : components(name)) {
        std::filesystem::path next = resolved / platform::path_from_utf8(part);
        if (!std::filesystem::exists(std::filesystem::symlink_status(next, error))) {
            const std::string wanted = platform::to_lower(part);
            for (std::filesystem::directory_iterator it(resolved, error), end; !error && it != end;
                 it.increment(error)) {
                if (platform::to_lower(platform::utf8_of(it->path().filename())) == wanted) {
                    next = it->path();
                    break;
                }
            }
        }
        resolved = std::move(next);
    }
    return resolved;
}

} // namespace launcher

#include "publish/skin_check_report.h"

#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/utf8_path.h"
#include "skin/skin_check.h"
#include "skin/skin_index.h"
#include "skin/skin_windows.h"

#include <optional>
#include <ostream>
#include <stdexcept>

namespace launcher::publish {
namespace {

std::string_view window_name(SkinWindow window) {
    return window == SkinWindow::Main ? "main" : "settings";
}

// The file that gave the member's field: the last record that names one,
// since a later record loads over an earlier one.
std::optional<std::string> file_of(const SkinIndex& index, const SkinWarning& warning) {
    const auto& records = index.records(warning.window);
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        if (record->member != warning.member)
            continue;
        for (const SkinIndexFile& file : record->files)
            if (file.key == warning.field || file.key == whole_block_key)
                return file.path;
    }
    return std::nullopt;
}

std::optional<SkinIndex> folder_index(const std::filesystem::path& skin_dir) {
    if (skin_dir.empty())
        return std::nullopt;
    try {
        const auto path = skin_dir / skin_index_file_name;
        return parse_skin_index(platform::read_file_text(path), platform::utf8_of(path));
    } catch (const std::exception&) {
        return std::nullopt; // composing has already reported a bad index
    }
}

} // namespace

std::vector<std::string> SkinWarningLines(std::span<const std::uint8_t> stream,
                                          const std::filesystem::path& skin_dir) {
    platform::MemoryStream in(platform::Bytes(stream.begin(), stream.end()));
    TqorMainWindow main_window;
    TqorConfigWindow settings_window;
    main_window.LoadFromStream(in);
    settings_window.LoadFromStream(in);
    const std::optional<SkinIndex> index = folder_index(skin_dir);

    std::vector<std::string> lines;
    for (const SkinWarning& warning : CheckSkin(main_window, settings_window)) {
        std::string where = "[" + std::string(window_name(warning.window)) + "]";
        if (!warning.member.empty())
            where += " " + warning.member + " " + warning.field;
        if (index && !warning.member.empty())
            if (const auto file = file_of(*index, warning))
                where = platform::utf8_of(skin_dir / platform::path_from_utf8(*file));
        lines.push_back(where + ": " + warning.text);
    }
    return lines;
}

void ReportSkinWarnings(const std::vector<std::string>& lines, std::ostream& out, bool strict) {
    for (const std::string& line : lines)
        out << "warning: " << line << "\n";
    if (strict && !lines.empty())
        throw std::runtime_error(
            "the skin and configuration check gave " + std::to_string(lines.size()) +
            (lines.size() == 1 ? " warning" : " warnings") + "; nothing was written (--strict)");
}

} // namespace launcher::publish

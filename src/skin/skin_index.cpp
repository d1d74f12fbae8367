#include "skin/skin_index.h"

#include "platform/text.h"

#include <charconv>
#include <stdexcept>

namespace launcher {
namespace {

[[noreturn]] void fail(std::string_view origin, int line, const std::string& what) {
    throw std::runtime_error(std::string(origin) + ":" + std::to_string(line) + ": " + what);
}

std::optional<std::uint8_t> parse_type_number(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

SkinIndexRecord start_record(SkinWindow window, const std::string& name, std::string_view origin,
                             int line) {
    SkinIndexRecord record;
    record.line = line;
    if (const auto member = find_member(window, name)) {
        record.type = member->type;
        record.member = std::string(member->name);
        return record;
    }
    const auto type = parse_type_number(name);
    if (!type)
        fail(origin, line, "unknown member \"" + name + "\"");
    if (const auto member = find_member(window, *type)) {
        record.type = member->type;
        record.member = std::string(member->name);
    } else if (window == SkinWindow::Main) {
        record.type = *type;
        record.member = std::to_string(*type);
    } else {
        fail(origin, line, "record type " + name + " has no member in the settings window");
    }
    return record;
}

void add_file(SkinWindow window, SkinIndexRecord& record, std::string key, std::string path,
              std::string_view origin, int line) {
    const auto member = find_member(window, record.type);
    bool known = key == whole_block_key;
    if (member)
        for (const SkinSubBlock& sub : sub_blocks_of(member->member_class))
            known = known || sub.name == key;
    if (!known) {
        std::string allowed(whole_block_key);
        if (member)
            for (const SkinSubBlock& sub : sub_blocks_of(member->member_class))
                allowed += ", " + std::string(sub.name);
        fail(origin, line,
             "\"" + key + "\" is not a field of " + record.member + " (fields: " + allowed + ")");
    }
    if (path.empty())
        fail(origin, line, "no file given for \"" + key + "\"");
    for (const SkinIndexFile& file : record.files) {
        if (file.key == key)
            fail(origin, line, "\"" + key + "\" is given twice for " + record.member);
        if (file.key == whole_block_key || key == whole_block_key)
            fail(origin, line,
                 "\"block\" gives the whole member block and cannot be combined with fields");
    }
    record.files.push_back({std::move(key), std::move(path)});
}

} // namespace

SkinIndex parse_skin_index(std::string_view text, std::string_view origin) {
    SkinIndex index;
    std::optional<SkinWindow> window;
    bool seen[2] = {false, false};
    int line_number = 0;
    for (const std::string& raw : platform::split_lines(platform::decode_text(text))) {
        ++line_number;
        const std::string line = platform::trim(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line == "[main]")
                window = SkinWindow::Main;
            else if (line == "[settings]")
                window = SkinWindow::Settings;
            else
                fail(origin, line_number,
                     "unknown section " + line + " (use [main] or [settings])");
            auto& done = seen[*window == SkinWindow::Main ? 0 : 1];
            if (done)
                fail(origin, line_number, "section " + line + " appears twice");
            done = true;
            continue;
        }
        if (!window)
            fail(origin, line_number, "\"" + line + "\" comes before [main] or [settings]");
        auto& records = index.records(*window);
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            records.push_back(start_record(*window, line, origin, line_number));
            continue;
        }
        if (records.empty())
            fail(origin, line_number, "\"" + line + "\" comes before any member line");
        add_file(*window, records.back(), platform::trim(line.substr(0, equals)),
                 platform::trim(line.substr(equals + 1)), origin, line_number);
    }
    return index;
}

std::string format_skin_index(const SkinIndex& index) {
    std::vector<std::string> lines = {
        "; Skin source index: the records of each window part in stored order.",
        "; A line without \"=\" starts a record and names its member; the lines",
        "; \"field = file\" below it give the files of its sub-blocks (paths relative",
        "; to this folder). Fields left out are stored empty.",
    };
    for (const SkinWindow window : {SkinWindow::Main, SkinWindow::Settings}) {
        lines.emplace_back();
        lines.emplace_back(window == SkinWindow::Main ? "[main]" : "[settings]");
        for (const SkinIndexRecord& record : index.records(window)) {
            lines.push_back(record.member);
            for (const SkinIndexFile& file : record.files)
                lines.push_back(file.key + " = " + file.path);
        }
    }
    return platform::join_crlf(lines);
}

} // namespace launcher

#include "skin/skin_source.h"

#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/utf8_path.h"
#include "skin/bmp_decoder.h"
#include "skin/skin_index.h"
#include "skin/skin_layout.h"

#include <map>
#include <stdexcept>
#include <string>

namespace launcher {
namespace {

using platform::Bytes;
using platform::MemoryStream;

// ---- composing -------------------------------------------------------------

void write_block(MemoryStream& out, const Bytes& content) {
    out.write_int<std::int64_t>(static_cast<std::int64_t>(content.size()));
    out.write(content);
}

Bytes read_source_file(const std::filesystem::path& skin_dir, const SkinIndexFile& file,
                       SkinSubBlockKind kind) {
    const std::filesystem::path path = skin_dir / platform::path_from_utf8(file.path);
    Bytes bytes;
    try {
        bytes = platform::read_file(path);
    } catch (const std::exception&) {
        throw std::runtime_error("Skin file " + platform::utf8_of(path) + " (" + file.key +
                                 ") cannot be read");
    }
    if (kind == SkinSubBlockKind::Bitmap) {
        try {
            decode_bmp(bytes);
        } catch (const InvalidImageError& error) {
            throw std::runtime_error("Skin file " + platform::utf8_of(path) + " (" + file.key +
                                     "): " + error.what());
        }
    }
    return bytes;
}

const SkinIndexFile* file_for(const SkinIndexRecord& record, std::string_view key) {
    for (const SkinIndexFile& file : record.files)
        if (file.key == key)
            return &file;
    return nullptr;
}

// The member block of one record: nothing when the record names no files,
// the whole stored block when it gives one, otherwise every sub-block in
// order with the missing ones empty.
Bytes compose_member_block(SkinWindow window, const SkinIndexRecord& record,
                           const std::filesystem::path& skin_dir) {
    if (const SkinIndexFile* whole = file_for(record, whole_block_key))
        return read_source_file(skin_dir, *whole, SkinSubBlockKind::Region);
    if (record.files.empty())
        return {};
    MemoryStream block;
    const auto member = find_member(window, record.type);
    for (const SkinSubBlock& sub : sub_blocks_of(member->member_class)) {
        const SkinIndexFile* file = file_for(record, sub.name);
        write_block(block, file ? read_source_file(skin_dir, *file, sub.kind) : Bytes{});
    }
    return block.release();
}

void compose_part(MemoryStream& out, SkinWindow window, const SkinIndex& index,
                  const std::filesystem::path& skin_dir) {
    const auto& records = index.records(window);
    out.write_int<std::int32_t>(version_of(window));
    out.write_int<std::int32_t>(static_cast<std::int32_t>(records.size()));
    for (const SkinIndexRecord& record : records) {
        out.write_int<std::uint8_t>(record.type);
        write_block(out, compose_member_block(window, record, skin_dir));
    }
}

// ---- decomposing -----------------------------------------------------------

[[noreturn]] void fail_truncated(SkinWindow window) {
    throw std::runtime_error(std::string("The ") +
                             (window == SkinWindow::Main ? "main" : "settings") +
                             " window skin part is truncated");
}

// One framed block of the part; a non-positive length gives no bytes.
Bytes take_block(MemoryStream& in, SkinWindow window) {
    try {
        const auto length = in.read_int<std::int64_t>();
        if (length <= 0)
            return {};
        if (static_cast<std::uint64_t>(length) > in.remaining_size())
            fail_truncated(window);
        Bytes bytes(static_cast<std::size_t>(length));
        in.read_exact(bytes.data(), bytes.size());
        return bytes;
    } catch (const platform::StreamReadError&) {
        fail_truncated(window);
    }
}

// The sub-blocks of a member block when composing them again gives exactly
// these bytes: every length in range and not negative, nothing left over, and
// at least one sub-block holding bytes. Otherwise nothing, and the block is
// kept whole.
std::optional<std::vector<Bytes>> split_member_block(const Bytes& block,
                                                     SkinMemberClass member_class) {
    MemoryStream in(block);
    std::vector<Bytes> parts;
    bool any = false;
    for (std::size_t i = 0; i < sub_blocks_of(member_class).size(); ++i) {
        if (in.remaining_size() < 8)
            return std::nullopt;
        const auto length = in.read_int<std::int64_t>();
        if (length < 0 || static_cast<std::uint64_t>(length) > in.remaining_size())
            return std::nullopt;
        Bytes bytes(static_cast<std::size_t>(length));
        in.read_exact(bytes.data(), bytes.size());
        any = any || !bytes.empty();
        parts.push_back(std::move(bytes));
    }
    if (in.remaining_size() != 0 || !any)
        return std::nullopt;
    return parts;
}

std::string_view extension_of(const SkinSubBlock& sub) {
    switch (sub.kind) {
    case SkinSubBlockKind::Text:
        return ".txt";
    case SkinSubBlockKind::Bitmap:
        return ".bmp";
    case SkinSubBlockKind::Region:
        break;
    }
    return ".rgn";
}

// File names follow the member: "main/Button_Close.txt" for its parameters,
// "main/Button_Close.script.txt", "main/Button_Close.common.bmp", ...
std::string file_name_for(std::string_view base, const SkinSubBlock& sub) {
    if (sub.name == "parameters")
        return std::string(base) + ".txt";
    if (sub.name == "btn_script")
        return std::string(base) + ".script.txt";
    return std::string(base) + "." + std::string(sub.name) + std::string(extension_of(sub));
}

class FolderWriter {
public:
    explicit FolderWriter(std::filesystem::path dir) : dir_(std::move(dir)) {}

    void write(const std::string& relative, const Bytes& bytes) const {
        const std::filesystem::path path = dir_ / std::filesystem::path(relative);
        std::filesystem::create_directories(path.parent_path());
        platform::write_file_atomic(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::filesystem::path dir_;
};

void decompose_part(MemoryStream& in, SkinWindow window, SkinIndex& index,
                    const FolderWriter& writer) {
    const std::string folder = window == SkinWindow::Main ? "main/" : "settings/";
    std::int32_t version = 0;
    std::int32_t count = 0;
    try {
        version = in.read_int<std::int32_t>();
        if (version == version_of(window))
            count = in.read_int<std::int32_t>();
    } catch (const platform::StreamReadError&) {
        fail_truncated(window);
    }
    if (version != version_of(window))
        throw std::runtime_error(std::string("The stream has no ") +
                                 (window == SkinWindow::Main ? "main" : "settings") +
                                 " window skin part here (version " + std::to_string(version) +
                                 " instead of " + std::to_string(version_of(window)) + ")");

    std::map<std::string, int> occurrences;
    for (std::int32_t i = 0; i < count; ++i) {
        if (in.remaining_size() < 1)
            fail_truncated(window);
        SkinIndexRecord record;
        record.type = in.read_int<std::uint8_t>();
        const auto member = find_member(window, record.type);
        if (!member && window == SkinWindow::Settings)
            throw std::runtime_error("The settings window skin part holds a record of type " +
                                     std::to_string(record.type) + ", which it has no member for");
        record.member = member ? std::string(member->name) : std::to_string(record.type);
        const Bytes block = take_block(in, window);

        const int occurrence = ++occurrences[record.member];
        const std::string base = folder + (member ? record.member : "record-" + record.member) +
                                 (occurrence > 1 ? "-" + std::to_string(occurrence) : "");
        if (!block.empty()) {
            const auto parts = member ? split_member_block(block, member->member_class)
                                      : std::optional<std::vector<Bytes>>{};
            if (parts) {
                const auto subs = sub_blocks_of(member->member_class);
                for (std::size_t s = 0; s < subs.size(); ++s) {
                    if ((*parts)[s].empty())
                        continue;
                    const std::string name = file_name_for(base, subs[s]);
                    writer.write(name, (*parts)[s]);
                    record.files.push_back({std::string(subs[s].name), name});
                }
            } else {
                const std::string name = base + ".block.bin";
                writer.write(name, block);
                record.files.push_back({std::string(whole_block_key), name});
            }
        }
        index.records(window).push_back(std::move(record));
    }
}

} // namespace

std::vector<std::uint8_t> ComposeSkinStream(const std::filesystem::path& skin_dir) {
    const std::filesystem::path index_path = skin_dir / skin_index_file_name;
    std::string index_text;
    try {
        index_text = platform::read_file_text(index_path);
    } catch (const std::exception&) {
        throw std::runtime_error("Skin folder " + platform::utf8_of(skin_dir) +
                                 " has no readable " + std::string(skin_index_file_name));
    }
    const SkinIndex index = parse_skin_index(index_text, platform::utf8_of(index_path));
    MemoryStream out;
    compose_part(out, SkinWindow::Main, index, skin_dir);
    compose_part(out, SkinWindow::Settings, index, skin_dir);
    return out.release();
}

std::size_t DecomposeSkinStream(std::span<const std::uint8_t> stream,
                                const std::filesystem::path& skin_dir) {
    MemoryStream in(Bytes(stream.begin(), stream.end()));
    SkinIndex index;
    const FolderWriter writer(skin_dir);
    std::filesystem::create_directories(skin_dir);
    decompose_part(in, SkinWindow::Main, index, writer);
    decompose_part(in, SkinWindow::Settings, index, writer);
    const std::string index_text = format_skin_index(index);
    platform::write_file_atomic(skin_dir / skin_index_file_name, index_text);
    return in.position();
}

} // namespace launcher

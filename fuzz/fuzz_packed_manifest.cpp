// Feeds bytes to the packed manifest's reader: as they are (a served packed
// file), or compressed first so that the lines and sections behind bzip2 are
// reached. What is taken for a usable file list must be one: within the
// bound, with a catalogue line, its catalogue read or refused as damaged,
// and a compressed text must come back as it went in.
#include "catalogue/file_catalogue.h"
#include "config/config_package.h"
#include "platform/text.h"
#include "update/packed_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The file list taken apart as the start-up check does: the catalogue up to
// the first "#" line, then check names, then removal names after "@".
void read_sections(const std::string& text) {
    const std::vector<std::string> lines = launcher::platform::split_lines(text);
    std::vector<std::string> catalogue;
    std::vector<std::string> check_names;
    std::vector<std::string> removal_names;
    std::size_t i = 0;
    bool has_entry = false;
    for (; i < lines.size(); ++i) {
        const std::string line = launcher::platform::trim(lines[i]);
        if (!line.empty() && line.front() == '#')
            break;
        has_entry = has_entry || !line.empty();
        catalogue.push_back(lines[i]);
    }
    if (!has_entry)
        std::abort(); // a usable file list names a file
    bool removing = false;
    for (++i; i < lines.size(); ++i) {
        const std::string name = launcher::platform::to_lower(launcher::platform::trim(lines[i]));
        if (removing)
            removal_names.push_back(name);
        else if (!name.empty() && name.front() == '@')
            removing = true;
        else if (!name.empty())
            check_names.push_back(name);
    }
    launcher::TFileList list(true);
    try {
        list.LoadFromStrings(catalogue);
    } catch (const launcher::EConvertError&) {
        return; // a damaged file list
    }
    for (const std::string& name : check_names)
        (void)list.GetItemByName(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool compress = (data[0] & 1) != 0 && size > 1; // the encoder takes no empty input
    launcher::platform::Bytes packed(data + 1, data + size);
    const launcher::platform::Bytes plain = packed;
    if (compress)
        packed = launcher::EncodeBZip2(plain);
    const launcher::DecodedManifest manifest = launcher::DecodePackedManifest(std::move(packed));
    if (manifest.text.size() > launcher::kManifestAtMost)
        std::abort();
    if (compress && manifest.text != plain)
        std::abort(); // the header restoration changed what was compressed
    if (manifest.failure.empty())
        read_sections(launcher::platform::decode_text(manifest.text));
    return 0;
}

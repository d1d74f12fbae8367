#include "publish/region_command.h"

#include "command_line/utf8_options.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "skin/bmp_decoder.h"
#include "skin/region.h"

#include <stdexcept>

#include <CLI/CLI.hpp>

namespace launcher::publish {
namespace {

// RRGGBB (a leading "#" allowed) as an opaque pixel.
std::uint32_t parse_key_colour(std::string text) {
    if (!text.empty() && text.front() == '#')
        text.erase(0, 1);
    std::uint32_t rgb = 0;
    bool digits = text.size() == 6;
    for (const char c : text) {
        const int value = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        digits = digits && value >= 0;
        rgb = rgb << 4 | static_cast<std::uint32_t>(value & 0xF);
    }
    if (!digits)
        throw std::runtime_error("--key-colour takes six hexadecimal digits RRGGBB, not \"" + text +
                                 "\"");
    return 0xFF000000u | rgb;
}

} // namespace

CLI::App* AddRegionCommand(CLI::App& app, RegionRequest& request) {
    auto* region = app.add_subcommand(
        "region", "Make a main window outline (region data) from an image's key colour or alpha");
    command_line::add_path_option(*region, "image", request.image,
                                  "BMP image, usually the main window background")
        ->required()
        ->check(command_line::kExistingFile);
    auto* key = region->add_option("--key-colour", request.key_colour,
                                   "Colour RRGGBB whose pixels lie outside the outline");
    auto* alpha = region->add_flag("--alpha", request.alpha,
                                   "Pixels less than half opaque lie outside the outline");
    key->excludes(alpha);
    command_line::add_path_option(*region, "--output", request.output,
                                  "Region file (.rgn) to write")
        ->required();
    return region;
}

std::string RunRegion(const RegionRequest& request) {
    if (request.key_colour.empty() == !request.alpha)
        throw std::runtime_error("Give either --key-colour RRGGBB or --alpha");
    const std::uint32_t key = request.alpha ? 0 : parse_key_colour(request.key_colour);
    const std::string name = platform::utf8_of(request.image);
    const platform::Bytes bytes = platform::read_file(request.image);
    Bitmap image;
    try {
        if (request.alpha && !ReadBmpHeader(bytes).has_alpha)
            throw std::runtime_error(name +
                                     " has no alpha mask (a 16- or 32-bit image whose 56-, " +
                                     "108- or 124-byte header gives one): use --key-colour");
        image = decode_bmp(bytes);
    } catch (const InvalidImageError& error) {
        throw std::runtime_error(name + ": " + error.what());
    }
    const Region outline =
        request.alpha ? CreateAlphaRegion(image) : CreateColorKeyRegion(image, key);
    if (outline.IsEmpty())
        throw std::runtime_error("No pixel of " + name +
                                 " lies inside the outline; nothing was written");
    const std::vector<std::uint8_t> data = RgnDataFromRegion(outline);
    platform::write_file_atomic(request.output,
                                {reinterpret_cast<const char*>(data.data()), data.size()});
    return "Wrote the outline of " + name + " (" + std::to_string(image.width()) + "x" +
           std::to_string(image.height()) + ", " + std::to_string(outline.Area()) + " of " +
           std::to_string(std::int64_t{image.width()} * image.height()) + " pixels inside, " +
           std::to_string(outline.Rects().size()) + " rectangles) to " +
           platform::utf8_of(request.output);
}

} // namespace launcher::publish

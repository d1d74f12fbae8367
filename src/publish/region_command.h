#pragma once

#include <filesystem>
#include <string>

namespace CLI {
class App;
}

namespace launcher::publish {

// What `launcher-publish region` makes the main window's outline from.
struct RegionRequest {
    std::filesystem::path image;  // a BMP file, usually the main window background
    std::string key_colour;       // RRGGBB: pixels of this colour lie outside, or
    bool alpha = false;           // pixels less than half opaque lie outside
    std::filesystem::path output; // the region file (RGNDATA) to write
};

// Registers the subcommand "region" and its options, filling `request`.
CLI::App* AddRegionCommand(CLI::App& app, RegionRequest& request);

// Decodes the image, makes its outline and writes it as region data, the
// form of a skin's "region" file. Returns a line that says what was written.
// Throws std::runtime_error naming the image for one that does not decode,
// that has no alpha mask where --alpha asks for one, or whose outline would
// hold no pixel; and for a key colour that is not six hexadecimal digits.
std::string RunRegion(const RegionRequest& request);

} // namespace launcher::publish

#pragma once

#include "skin/skin_preview.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace launcher::publish {

enum class PreviewWindow { Main, Settings };

// What `launcher-publish preview` draws and where it writes it.
struct PreviewRequest {
    std::filesystem::path skin_dir; // a skin source folder, or
    std::filesystem::path package;  // a launcher executable with its package
    std::filesystem::path output;   // the PNG file to write
    PreviewWindow window = PreviewWindow::Main;
    PreviewOptions options;
};

// Registers the subcommand "preview" and its options, filling `request`.
CLI::App* AddPreviewCommand(CLI::App& app, PreviewRequest& request);

// Loads the skin of the request, writes the skin check's warnings to
// `warnings`, draws the window and writes the PNG file. Returns a line that
// says what was written. Throws std::runtime_error (and the skin readers'
// errors) for a skin that cannot be read or drawn, and platform::FileError
// when the file cannot be written.
std::string RunPreview(const PreviewRequest& request, std::ostream& warnings);

} // namespace launcher::publish

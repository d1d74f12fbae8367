#include "publish/preview_command.h"

#include "command_line/utf8_options.h"
#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/utf8_path.h"
#include "publish/executable_package.h"
#include "publish/skin_check_report.h"
#include "skin/png_encoder.h"
#include "skin/skin_source.h"
#include "skin/skin_windows.h"

#include <map>

#include <CLI/CLI.hpp>

namespace launcher::publish {

CLI::App* AddPreviewCommand(CLI::App& app, PreviewRequest& request) {
    auto* preview = app.add_subcommand(
        "preview", "Draw a window as a skin makes it into a PNG file, without a window toolkit");
    auto* skin =
        command_line::add_path_option(*preview, "--skin", request.skin_dir, "Skin source folder")
            ->check(command_line::kExistingFolder);
    auto* package = command_line::add_path_option(*preview, "--package", request.package,
                                                  "Launcher executable whose skin to draw")
                        ->check(command_line::kExistingFile);
    skin->excludes(package);
    command_line::add_path_option(*preview, "--output", request.output, "PNG file to write")
        ->required();
    const std::map<std::string, PreviewButtonState> states = {
        {"normal", PreviewButtonState::Normal},
        {"over", PreviewButtonState::Over},
        {"down", PreviewButtonState::Down},
        {"disabled", PreviewButtonState::Disabled}};
    preview
        ->add_option("--state", request.options.buttons,
                     "Buttons: normal (as the skin sets them up), over, down or disabled")
        ->transform(CLI::CheckedTransformer(states, CLI::ignore_case));
    preview
        ->add_option("--progress", request.options.progress_percent,
                     "Position of the progress bars and gauges in percent")
        ->check(CLI::Range(0, 100));
    const std::map<std::string, PreviewWindow> windows = {{"main", PreviewWindow::Main},
                                                          {"settings", PreviewWindow::Settings}};
    preview->add_option("--window", request.window, "Window to draw: main or settings")
        ->transform(CLI::CheckedTransformer(windows, CLI::ignore_case));
    preview->add_flag("--show-hidden", request.options.show_hidden,
                      "Also draw the controls the skin hides");
    return preview;
}

std::string RunPreview(const PreviewRequest& request, std::ostream& warnings) {
    if (request.skin_dir.empty() == request.package.empty())
        throw std::runtime_error("Give either --skin or --package");
    platform::MemoryStream stream(request.package.empty()
                                      ? ComposeSkinStream(request.skin_dir)
                                      : ReadConfigStreamFromExecutable(request.package));
    ReportSkinWarnings(SkinWarningLines(stream.bytes(), request.skin_dir), warnings, false);
    TqorMainWindow main_window;
    TqorConfigWindow settings_window;
    main_window.LoadFromStream(stream);
    settings_window.LoadFromStream(stream);

    const Bitmap picture = request.window == PreviewWindow::Main
                               ? RenderMainWindowPreview(main_window, request.options)
                               : RenderSettingsWindowPreview(settings_window, request.options);
    const std::vector<std::uint8_t> png = encode_png(picture);
    platform::write_file_atomic(request.output,
                                {reinterpret_cast<const char*>(png.data()), png.size()});
    return "Wrote a " + std::to_string(picture.width()) + "x" + std::to_string(picture.height()) +
           " preview to " + platform::utf8_of(request.output);
}

} // namespace launcher::publish

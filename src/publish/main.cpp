#include "command_line/utf8_options.h"
#include "config/config_check.h"
#include "config/config_package.h"
#include "platform/executable_image.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/executable_package.h"
#include "publish/launcher_build.h"
#include "publish/preview_command.h"
#include "publish/publish_command.h"
#include "publish/region_command.h"
#include "publish/release_publisher.h"
#include "publish/release_signing.h"
#include "publish/signing_commands.h"
#include "publish/skin_check_report.h"
#include "version/build_version.h"
#include "version/version_line.h"

#include <exception>
#include <iostream>

#include <CLI/CLI.hpp>

// The publisher's toolkit: packs a skin and a configuration into a launcher
// executable, takes one apart again, draws a skin's windows and makes a main
// window outline from an image.
int main(int argc, char** argv) {
    using namespace launcher;
    CLI::App app{"Publisher's toolkit of the game launcher", "launcher-publish"};
    app.set_version_flag("--version", VersionLine("launcher-publish"),
                         "Show the version of the program and its libraries");
    app.require_subcommand(1);

    std::filesystem::path skin_dir;
    std::filesystem::path config_file;
    std::filesystem::path executable;
    std::filesystem::path output;
    std::filesystem::path package_file;

    auto* package = app.add_subcommand(
        "package", "Pack a skin folder and a configuration text into a launcher executable");
    command_line::add_path_option(*package, "--skin", skin_dir, "Skin source folder")
        ->required()
        ->check(command_line::kExistingFolder);
    command_line::add_path_option(*package, "--config", config_file, "Configuration text file")
        ->required()
        ->check(command_line::kExistingFile);
    auto* into =
        command_line::add_path_option(*package, "--into", executable, "Launcher executable to copy")
            ->check(command_line::kExistingFile);
    auto* out = command_line::add_path_option(*package, "--output", output, "Executable to write");
    auto* raw =
        command_line::add_path_option(*package, "--package-file", package_file,
                                      "Write the raw package (length field and payload) instead");
    bool strict = false;
    package->add_flag("--strict", strict,
                      "Write nothing when the skin or configuration check warns");
    into->needs(out);
    out->needs(into);
    raw->excludes(into);
    raw->excludes(out);

    auto* unpack =
        app.add_subcommand("unpack", "Take a launcher executable's skin and configuration apart");
    command_line::add_path_option(*unpack, "executable", executable, "Launcher executable")
        ->required()
        ->check(command_line::kExistingFile);
    command_line::add_path_option(*unpack, "--skin", skin_dir, "Skin source folder to write")
        ->required();
    command_line::add_path_option(*unpack, "--config", config_file,
                                  "Configuration text file to write")
        ->required();

    publish::PublishOptions release;
    std::string format = "rar";
    auto* publish =
        app.add_subcommand("publish", "Turn a game folder into the files an update server serves");
    command_line::add_path_option(*publish, "game_dir", release.game_dir, "Game folder")
        ->required()
        ->check(command_line::kExistingFolder);
    command_line::add_path_option(*publish, "out_dir", release.out_dir,
                                  "Update-server folder to write")
        ->required();
    publish->add_option("--check", release.check_names,
                        "Name for the manifest's check section (repeatable)");
    publish->add_option("--remove", release.remove_names,
                        "Name for the removal section (repeatable)");
    publish->add_option("--format", format, "Packed archive format")
        ->check(CLI::IsMember({"rar", "7z", "zip"}));
    publish->add_option("--exclude", release.exclude_globs,
                        "Leave out files matching this pattern (repeatable)");
    publish->add_flag("--checksum", release.checksum,
                      "Compare every file's content by MD5, and every kept archive with its "
                      "packed hash, even when size and date are unchanged");
    std::vector<std::filesystem::path> sign_key_files;
    publish
        ->add_option_function<std::vector<std::string>>(
            "--sign-key",
            [&sign_key_files](const std::vector<std::string>& values) {
                for (const std::string& value : values)
                    sign_key_files.push_back(platform::path_from_utf8(value));
            },
            "Sign the release with this secret key (from keygen); repeat it to sign with an old "
            "and a new key while moving to the new one")
        ->check(command_line::kExistingFile);
    publish->add_option("--expires", release.expires_days,
                        "Days until the signed release expires (default 30, at most 90)");
    publish->add_option("--channel", release.channel,
                        "Channel the signed release is for (default: the served release's "
                        "channel, else main)");
    publish->add_option("--release", release.release_number,
                        "Release number to sign, when the served signature does not verify");
    publish->add_option("--block-index-from", release.block_index_from,
                        "Files of at least this many bytes get a block index beside their "
                        "archive, so players fetch only their changed blocks (default 8 MiB; "
                        "0: none)");
    publish->add_flag("--dry-run", release.dry_run,
                      "Tell which files would be packed, kept and removed and what players would "
                      "fetch; write nothing");
    publish::PublishReportOptions publish_report;
    publish->add_flag("--json", publish_report.json,
                      "Write one JSON object per line on standard output for the progress and "
                      "the summary (human text goes to standard error)");
    publish::KeygenRequest keygen_request;
    auto* keygen = publish::AddKeygenCommand(app, keygen_request);
    publish::VerifyRequest verify_request;
    auto* verify = publish::AddVerifyCommand(app, verify_request);
    publish::PreviewRequest preview_request;
    auto* preview = publish::AddPreviewCommand(app, preview_request);
    publish::RegionRequest region_request;
    auto* region = publish::AddRegionCommand(app, region_request);

    if (const auto status = command_line::parse_own_arguments(app, argc, argv))
        return *status;

    try {
        if (package->parsed()) {
            if (executable.empty() && package_file.empty())
                throw CLI::RequiredError("--into and --output, or --package-file");
            const auto stream = publish::ComposeConfigStream(skin_dir, config_file);
            std::vector<std::string> warnings = publish::SkinWarningLines(stream, skin_dir);
            for (std::string& line : ConfigTextWarnings(platform::split_lines(
                     platform::decode_text(platform::read_file(config_file)))))
                warnings.push_back(platform::utf8_of(config_file) + ": " + std::move(line));
            publish::ReportSkinWarnings(warnings, std::cerr, strict);
            const auto resource = EncodeConfigPackage(stream);
            if (!package_file.empty()) {
                platform::write_file_atomic(
                    package_file,
                    {reinterpret_cast<const char*>(resource.data()), resource.size()});
                std::cout << "Wrote the package (" << resource.size() << " bytes) to "
                          << platform::utf8_of(package_file) << "\n";
            } else {
                publish::WritePackageIntoExecutable(resource, executable, output);
                std::cout << "Packed " << resource.size() - 4 << " bytes into "
                          << platform::utf8_of(output) << "\n";
            }
        } else if (publish->parsed()) {
            release.format = publish::ParsePackedFormat(format);
            for (const auto& file : sign_key_files)
                release.sign_keys.push_back(publish::ReadSecretKeyFile(file));
            publish_report.terminal = platform::is_terminal(stdout);
            publish::RunPublishCommand(release, publish_report, std::cout, std::cerr);
        } else if (unpack->parsed()) {
            const auto stream = publish::ReadConfigStreamFromExecutable(executable);
            publish::DecomposeConfigStream(stream, skin_dir, config_file);
            std::cout << "Wrote the skin to " << platform::utf8_of(skin_dir)
                      << " and the configuration to " << platform::utf8_of(config_file) << "\n";
            std::cout << publish::DescribeLauncherBuild(executable) << "\n";
        } else if (preview->parsed()) {
            std::cout << publish::RunPreview(preview_request, std::cerr) << "\n";
        } else if (region->parsed()) {
            std::cout << publish::RunRegion(region_request) << "\n";
        } else if (keygen->parsed()) {
            std::cout << publish::RunKeygen(keygen_request) << "\n";
        } else if (verify->parsed()) {
            bool good = false;
            std::cout << publish::RunVerify(verify_request, good) << "\n";
            return good ? 0 : 1;
        }
    } catch (const CLI::Error& error) {
        return app.exit(error);
    } catch (const std::exception& error) {
        std::cerr << "launcher-publish: " << error.what() << "\n";
        return 1;
    }
    return 0;
}

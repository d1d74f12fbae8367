#include "cli/config_command.h"

#include "cli/cli_version.h"
#include "cli/skin_summary.h"
#include "config/startup.h"
#include "update/release_signature.h"

#include <iostream>
#include <memory>

namespace launcher::cli {
namespace {

constexpr std::string_view kNotFoundMessage = "Sorry! Not found the config";

const char* yes_no(bool flag) {
    return flag ? "true" : "false";
}

void print_lines(std::ostream& out, const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        out << "  " << line << "\n";
}

void print_language_folders(std::ostream& out, const std::string& list) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find('|', start), list.size());
        const std::string pair = list.substr(start, end - start);
        const std::size_t semicolon = pair.find(';');
        out << "  " << pair.substr(0, semicolon) << " -> "
            << (semicolon == std::string::npos ? "" : pair.substr(semicolon + 1)) << "\n";
        start = end + 1;
    }
}

// The release keys by id, oldest first, and the channel: what decides which
// releases this launcher takes.
void print_release_keys(std::ostream& out, const tUpdateServersRecord& servers) {
    if (servers.PublicKeys.empty()) {
        out << "Release keys: none (releases are not checked for a signature)\n";
        return;
    }
    out << "Release keys (oldest first):\n";
    for (const std::string& text : servers.PublicKeys) {
        const auto key = ParsePublicKey(text);
        out << "  " << (key ? KeyId(*key) : "not a key: " + text) << "\n";
    }
    out << "Release channel: "
        << (servers.Channel.empty() ? std::string(kDefaultChannel) + " (not configured)"
                                    : servers.Channel)
        << "\n";
}

void print_configuration(std::ostream& out, const StartupState& state) {
    const tConfigData& config = *state.ConfigData;
    out << "Instance title: " << state.InstanceTitle << "\n"
        << "Tray hint: " << config.Config.TrayHint << "\n"
        << "Main window caption: " << config.MainWindow.Caption << "\n"
        << "Default language: " << config.Config.DefaultLanguage << "\n"
        << "Flags:\n"
        << "  UserCan_ChangeLanguage = " << yes_no(config.Config.UserCan_ChangeLanguage) << "\n"
        << "  DefaultAutoClose = " << yes_no(config.Config.DefaultAutoClose) << "\n"
        << "  UserCan_ChangeAutoClose = " << yes_no(config.Config.UserCan_ChangeAutoClose) << "\n"
        << "  UserCan_ChangeProxy = " << yes_no(config.Config.UserCan_ChangeProxy) << "\n"
        << "  UserCan_ChangeDriveType = " << yes_no(config.Config.UserCan_ChangeDriveType) << "\n"
        << "  UserCan_ChangeCheckMethod = " << yes_no(config.Config.UserCan_ChangeCheckMethod)
        << "\n"
        << "  MainWindow.FadeEffect = " << yes_no(config.MainWindow.FadeEffect) << "\n"
        << "  SettingsWindow.FadeEffect = " << yes_no(config.SettingsWindow.FadeEffect) << "\n"
        << "Language folders:\n";
    print_language_folders(out, config.Config.LangFolder);
    out << "Update servers (UsePing = " << yes_no(config.UpdateServers.UsePing)
        << ", RandomSelect = " << yes_no(config.UpdateServers.RandomSelect) << "):\n";
    print_lines(out, config.UpdateServers.Servers);
    print_release_keys(out, config.UpdateServers);
    out << "Game proxies (UseProxy = " << yes_no(config.ProxyServers.UseProxy)
        << ", Port = " << config.ProxyServers.Port << "):\n";
    print_lines(out, config.ProxyServers.Servers);
    out << "Languages:\n";
    for (const auto& section : config.LanguageCollection.List)
        out << "  " << section.text << " " << section.object->Item << " ("
            << section.object->List.size() << " lines)\n";
    out << "Main window skin:\n";
    print_lines(out, DescribeSkin(state.Skin->MainWindow));
    out << "Settings window skin:\n";
    print_lines(out, DescribeSkin(state.Skin->ConfigWindow));
}

} // namespace

void add_config_command(CLI::App& app) {
    auto debug = std::make_shared<bool>(false);
    auto* command =
        app.add_subcommand("config", "Show the configuration and skin packed into this launcher");
    command->add_flag("--debug", *debug, "Write log.err and config.pack in the current folder");
    command->callback([debug] {
        std::vector<std::string> arguments;
        if (*debug)
            arguments.emplace_back("-debug");
        StartupState state;
        try {
            state = RunStartup(arguments, {}, CliVersionLine());
        } catch (const std::exception& error) {
            std::cerr << error.what() << "\n";
            throw CLI::RuntimeError(1);
        }
        // Without a main window background there is no usable package.
        if (state.Skin->MainWindow.BackGroundImage.image.empty()) {
            std::cerr << kNotFoundMessage << "\n";
            throw CLI::RuntimeError(1);
        }
        print_configuration(std::cout, state);
    });
}

} // namespace launcher::cli

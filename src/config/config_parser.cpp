#include "config/config_check.h"
#include "config/config_data.h"
#include "platform/text.h"

#include <string>

namespace launcher {
namespace {

// A value written in brackets keeps its blanks: "[ x ]" is " x ".
std::string unbracket_value(std::string value) {
    if (!value.empty() && value.front() == '[') {
        value.erase(value.begin());
        if (!value.empty() && value.back() == ']')
            value.pop_back();
    }
    return value;
}

std::string read_text(platform::MemoryStream& stream) {
    std::string text = platform::decode_text(stream.remaining());
    stream.seek(stream.size());
    if (const auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

} // namespace

bool tConfigData::ParseConfig(platform::MemoryStream& stream) {
    const auto lines = platform::split_lines(read_text(stream));
    std::string section;
    tMyCollection* language = nullptr;

    for (const auto& raw_line : lines) {
        const std::string line = platform::trim(raw_line);
        if (line.empty())
            continue;

        if (line.front() == '[') {
            std::size_t end = line.find('=');
            if (end == std::string::npos)
                end = line.find(']');
            section = end == std::string::npos
                          ? std::string()
                          : platform::to_lower(platform::trim(line.substr(1, end - 1)));
            if (section == "lang") {
                const std::string rest = line.substr(end + 1);
                const std::size_t colon = rest.find(':');
                std::string id;
                std::string name = rest;
                if (colon != std::string::npos) {
                    id = rest.substr(0, colon);
                    name = rest.substr(colon + 1);
                }
                name = name.substr(0, name.find(']'));
                auto collection = std::make_unique<tMyCollection>();
                collection->Item = name;
                language = collection.get();
                LanguageCollection.List.push_back({id, std::move(collection)});
            }
            continue;
        }

        if (section == "lang") {
            if (language != nullptr)
                language->List.push_back({line, nullptr});
            continue;
        }

        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = platform::to_lower(platform::trim(line.substr(0, equals)));
        const std::string value = unbracket_value(platform::trim(line.substr(equals + 1)));
        const std::int32_t number = platform::parse_int32(value).value_or(0);
        const bool flag = platform::to_lower(platform::trim(value)) == "true";
        apply_entry(section, key, value, number, flag);
    }
    // A mistyped line is ignored like any unknown one; the log says so, as
    // a mistyped key line would otherwise switch signature checks off unseen.
    for (const std::string& warning : ConfigTextWarnings(lines))
        log("Configuration: " + warning);
    return !lines.empty();
}

void tConfigData::apply_entry(const std::string& section, const std::string& key,
                              const std::string& value, std::int32_t number, bool flag) {
    if (section == "config") {
        if (key == "instance")
            Config.Instance = value;
        else if (key == "trayhint")
            Config.TrayHint = value;
        else if (key == "defaultlanguage")
            Config.DefaultLanguage = value;
        else if (key == "usercan_changelanguage")
            Config.UserCan_ChangeLanguage = flag;
        else if (key == "defaultautoclose")
            Config.DefaultAutoClose = flag;
        else if (key == "usercan_changeautoclose")
            Config.UserCan_ChangeAutoClose = flag;
        else if (key == "usercan_changeproxy")
            Config.UserCan_ChangeProxy = flag;
        else if (key == "usercan_changedrivetype")
            Config.UserCan_ChangeDriveType = flag;
        else if (key == "usercan_changecheckmethod")
            Config.UserCan_ChangeCheckMethod = flag;
        else if (key == "language_folder")
            Config.LangFolder = value;
        else if (key == "jobs")
            Config.Jobs = number;
    } else if (section == "mainwindow") {
        if (key == "caption")
            MainWindow.Caption = value;
        else if (key == "fadeeffect")
            MainWindow.FadeEffect = flag;
    } else if (section == "settingwindow") {
        if (key == "fadeeffect")
            SettingsWindow.FadeEffect = flag;
    } else if (section == "updateservers") {
        if (key == "useping")
            UpdateServers.UsePing = flag;
        else if (key == "randomselect")
            UpdateServers.RandomSelect = flag;
        else if (key == "url")
            UpdateServers.Servers.push_back(platform::trim(value));
        else if (key == "publickey")
            UpdateServers.PublicKeys.push_back(platform::trim(value));
        else if (key == "channel")
            UpdateServers.Channel = platform::trim(value);
    } else if (section == "gameproxys") {
        if (key == "useproxy")
            ProxyServers.UseProxy = flag;
        else if (key == "port")
            ProxyServers.Port = number;
        else if (key == "proxy")
            ProxyServers.Servers.push_back(platform::trim(value));
    }
}

} // namespace launcher

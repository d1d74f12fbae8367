#include "config/startup.h"

namespace launcher {

StartupState RunStartup(const std::vector<std::string>& arguments,
                        tConfigData::ResourceSource resource_source,
                        std::string_view first_log_line) {
    StartupState state;
    state.command_line = ParseCommandLine(arguments);

    state.DebugFile = std::make_unique<tDebugFile>(std::string(kDebugLogFileName));
    state.DebugFile->enabled = state.command_line.DebugMode;
    if (!first_log_line.empty())
        state.DebugFile->WriteErr(first_log_line);

    state.ConfigData = std::make_unique<tConfigData>();
    state.DebugFile->WriteErr("config created");
    state.ConfigData->debug_file = state.DebugFile.get();
    if (resource_source)
        state.ConfigData->resource_source = std::move(resource_source);

    platform::MemoryStream stream;
    state.Skin = std::make_unique<TqorConfig>();
    state.ConfigData->LoadConfig(stream);

    stream.seek(0);
    state.Skin->MainWindow.LoadFromStream(stream);
    state.Skin->ConfigWindow.LoadFromStream(stream);
    state.ConfigData->ParseConfig(stream);

    if (!state.ConfigData->Config.Instance.empty())
        state.InstanceTitle = state.ConfigData->Config.Instance;
    if (state.ConfigData->Config.LangFolder.empty())
        state.ConfigData->Config.LangFolder = kDefaultLangFolder;
    return state;
}

} // namespace launcher

#include "skin/skin_config.h"

#include "platform/files.h"
#include "platform/text.h"

namespace launcher {

void TqorConfig::LoadFromFile(const std::filesystem::path& filename) {
    platform::MemoryStream stream(platform::read_file(filename));
    MainWindow.LoadFromStream(stream);
    ConfigWindow.LoadFromStream(stream);
    CfgParameters = platform::split_lines(platform::decode_text(stream.remaining()));
}

} // namespace launcher

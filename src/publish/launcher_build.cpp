#include "publish/launcher_build.h"

#include "platform/files.h"
#include "version/build_version.h"

namespace launcher::publish {

std::string DescribeLauncherBuild(const std::filesystem::path& executable) {
    const platform::Bytes bytes = platform::read_file(executable);
    const std::optional<std::string> version =
        FindBuildVersion({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    if (!version)
        return "Launcher build: not named in the executable";
    return "Launcher build: " + *version;
}

} // namespace launcher::publish

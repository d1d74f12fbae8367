#include "update/check_settings.h"

#include "platform/text.h"

#include <string>

namespace launcher {

int HashThreadsForDrive(std::string_view drive_type, int current) {
    const std::string lowered = platform::to_lower(drive_type);
    if (lowered == "hdd")
        return 1;
    if (lowered == "ssd")
        return 3;
    return current;
}

int CheckLevelForMode(std::string_view check_mode, int current) {
    const std::string lowered = platform::to_lower(check_mode);
    if (lowered == "hard: md5 hash")
        return kLevelHard;
    if (lowered == "medium: size & date")
        return kLevelMedium;
    if (lowered == "light: previous list")
        return kLevelLight;
    return current;
}

} // namespace launcher

#include "update/start_confirmation.h"

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/utf8_path.h"

#include <string>

namespace launcher {

bool ConfirmStarted() {
    const std::string variable(kStartMarkerVariable);
    const auto marker = platform::environment_variable(variable);
    if (!marker)
        return false;
    platform::unset_environment_variable(variable);
    if (!marker->empty())
        platform::write_file(platform::path_from_utf8(*marker), "started\r\n");
    return true;
}

} // namespace launcher

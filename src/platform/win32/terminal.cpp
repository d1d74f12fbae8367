#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

namespace launcher::platform {

bool is_terminal(std::FILE* stream) {
    // _isatty is true for any character device (NUL included); a console
    // answers GetConsoleMode.
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

} // namespace launcher::platform

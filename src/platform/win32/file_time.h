#pragma once

#include <time.h>
#include <windows.h>

namespace launcher::platform::win32 {

// Windows file times count 100-nanosecond steps since 1 January 1601
// (universal); the launcher's count seconds since 1 January 1970.
timespec timespec_of(const FILETIME& time);
FILETIME file_time_of(const timespec& time);

} // namespace launcher::platform::win32

# 32-bit Windows (i686-w64-mingw32), the launcher's own target. This machine
# cannot run 32-bit code, so these builds are compiled and linked only.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LAUNCHER_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# 64-bit Windows (x86_64-w64-mingw32); its programs run under wine64 here.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LAUNCHER_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Every outside library the project uses, found once so that all modules and
# tests see the same imported targets. scripts/bootstrap.sh installs them;
# the Windows build has its own (cmake/WindowsDependencies.cmake).
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  include(WindowsDependencies)
  return()
endif()

find_package(Threads REQUIRED)
find_package(BZip2 REQUIRED)
find_package(CURL REQUIRED)
find_package(LibArchive REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json 3 CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(utf8proc REQUIRED IMPORTED_TARGET libutf8proc)
add_library(launcher_utf8proc INTERFACE)
target_link_libraries(launcher_utf8proc INTERFACE PkgConfig::utf8proc)
pkg_check_modules(sodium REQUIRED IMPORTED_TARGET libsodium)
add_library(launcher_sodium INTERFACE)
target_link_libraries(launcher_sodium INTERFACE PkgConfig::sodium)

find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)
add_library(stb_headers INTERFACE)
target_include_directories(stb_headers SYSTEM INTERFACE ${STB_INCLUDE_DIR})

if(LAUNCHER_TESTS)
  find_package(GTest REQUIRED)
  find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
  add_library(httplib_headers INTERFACE)
  target_include_directories(httplib_headers SYSTEM INTERFACE ${HTTPLIB_INCLUDE_DIR})
  target_link_libraries(httplib_headers INTERFACE Threads::Threads)
  include(GoogleTest)
endif()
if(LAUNCHER_BENCH)
  find_package(benchmark QUIET)
endif()
find_package(ZLIB REQUIRED)

# The windowed launcher needs Qt 6; without it the rest still builds.
find_package(Qt6 QUIET COMPONENTS Widgets OPTIONAL_COMPONENTS Network Test WebEngineWidgets)
# The windowed launcher asks the X server for the focus itself (see
# src/app/window_activation.cpp).
pkg_check_modules(xcb QUIET IMPORTED_TARGET xcb)

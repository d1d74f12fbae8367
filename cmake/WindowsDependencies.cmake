# The outside libraries of the Windows build, as imported targets named like
# the Linux build's: static cross-builds that scripts/build-windows.sh makes
# from Debian's source packages into LAUNCHER_WINDOWS_DEPS, the Debian
# packages' header-only libraries, and GoogleTest built from its sources.
set(LAUNCHER_WINDOWS_DEPS "" CACHE PATH
    "Folder of the cross-built libraries (scripts/build-windows.sh fills it)")
if(NOT EXISTS "${LAUNCHER_WINDOWS_DEPS}/lib/libcurl.a")
  message(FATAL_ERROR "LAUNCHER_WINDOWS_DEPS (${LAUNCHER_WINDOWS_DEPS}) holds no cross-built "
                      "libraries: build with scripts/build-windows.sh")
endif()

# Windows 7 is the oldest system served; no min/max macros and no rarely
# used parts of windows.h in any file.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
# The programs carry the C++ run-time and the thread library: nothing beside
# the .exe needs to be installed.
add_link_options(-static)

find_package(Threads REQUIRED)

function(launcher_windows_library target file)
  cmake_parse_arguments(PARSE_ARGV 2 library "" "" "DEFINES;LINKS")
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${LAUNCHER_WINDOWS_DEPS}/lib/${file}
    INTERFACE_INCLUDE_DIRECTORIES ${LAUNCHER_WINDOWS_DEPS}/include
    INTERFACE_COMPILE_DEFINITIONS "${library_DEFINES}"
    INTERFACE_LINK_LIBRARIES "${library_LINKS}")
endfunction()

launcher_windows_library(ZLIB::ZLIB libz.a)
launcher_windows_library(BZip2::BZip2 libbz2.a)
launcher_windows_library(LibLZMA::LibLZMA liblzma.a DEFINES LZMA_API_STATIC)
launcher_windows_library(launcher_utf8proc libutf8proc.a DEFINES UTF8PROC_STATIC)
launcher_windows_library(LibArchive::LibArchive libarchive.a DEFINES LIBARCHIVE_STATIC
  LINKS BZip2::BZip2 LibLZMA::LibLZMA ZLIB::ZLIB bcrypt)
launcher_windows_library(launcher_sodium libsodium.a DEFINES SODIUM_STATIC LINKS advapi32)
# Schannel: TLS through the system's own certificate store, no OpenSSL.
launcher_windows_library(CURL::libcurl libcurl.a DEFINES CURL_STATICLIB
  LINKS ZLIB::ZLIB ws2_32 crypt32 secur32 bcrypt advapi32)

# Header-only libraries from the Debian packages. Their folder, /usr/include,
# holds the Linux system headers, which must not be searched: each library's
# own headers are copied into the build.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
function(launcher_host_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 headers "" "" "COPY")
  foreach(item ${headers_COPY})
    if(NOT EXISTS /usr/include/${item})
      message(FATAL_ERROR "/usr/include/${item} is missing: install the Debian package")
    endif()
    get_filename_component(folder ${host_headers}/${target}/${item} DIRECTORY)
    file(COPY /usr/include/${item} DESTINATION ${folder})
  endforeach()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${host_headers}/${target})
endfunction()

launcher_host_headers(launcher_cli11 COPY CLI)
add_library(CLI11::CLI11 ALIAS launcher_cli11)
launcher_host_headers(launcher_json COPY nlohmann)
add_library(nlohmann_json::nlohmann_json ALIAS launcher_json)
launcher_host_headers(stb_headers COPY stb)
target_include_directories(stb_headers SYSTEM INTERFACE ${host_headers}/stb_headers/stb)

if(LAUNCHER_TESTS)
  # 64-bit test programs run under wine64 with the build's own prefix; this
  # machine cannot run 32-bit ones.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64
     AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${PROJECT_SOURCE_DIR}/scripts/lib/wine_run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
  endif()
  # GoogleTest from Debian's source package (googletest), built for Windows
  # with the tests; it defines GTest::gtest, GTest::gmock and their mains.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  launcher_host_headers(httplib_headers COPY httplib.h)
  include(GoogleTest)
endif()

#!/usr/bin/env bash
# Cross-builds launcher-cli.exe and launcher-publish.exe (and the tests) for
# Windows with mingw-w64, from Debian's own source packages of the libraries
# the core links.
#
#   scripts/build-windows.sh [x86_64|i686|all]      (default: all)
#
# Steps: installs the cross compilers, windres and wine with apt; adds a
# deb-src entry for the machine's Debian suite when there is none; fetches
# bzip2, zlib, xz-utils, libarchive, curl, utf8proc and libsodium with `apt-get source`
# into a scratch folder and cross-builds them as static libraries into the
# dependency cache; then configures and builds the project into
# build-windows-<arch>, and leaves there launcher-<version>-windows-<arch>.zip
# of the programs with the README and the documents.
#
# The dependency cache is ${LAUNCHER_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-~/.cache}/launcher-windows-deps}/<triple>-<key>,
# the key made of the Debian source versions and the hash of the script that
# builds them (scripts/lib/windows_deps.sh) and of the toolchain files, so
# a second run reuses it and takes seconds. Environment:
#   LAUNCHER_WINDOWS_DEPS_CACHE  where the cache folders live
#   LAUNCHER_WINDOWS_TARGETS     ninja targets to build (default: all)
#   JOBS                         parallel jobs (default 2)
#   LAUNCHER_WINDOWS_BUILD_TYPE  CMake build type of the project (default Release)
#   LAUNCHER_HOST_BUILD          a configured Linux build folder to take the
#                                build machine's launcher-publish and
#                                launcher-cli from (default: build-windows-host)
set -euo pipefail

cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${JOBS:-2}
cache_root=${LAUNCHER_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/launcher-windows-deps}

case "${1:-all}" in
  x86_64) arches=(x86_64) ;;
  i686) arches=(i686) ;;
  all) arches=(x86_64 i686) ;;
  *) echo "usage: $0 [x86_64|i686|all]" >&2; exit 2 ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
log() { echo "build-windows: $*"; }

# --- packages -----------------------------------------------------------------

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64
  cmake ninja-build dpkg-dev xz-utils
  # libsodium's Debian source has no configure script: it is made with these
  autoconf automake libtool
  # the build machine's own launcher-publish, which packs the Windows programs
  build-essential pkg-config libbz2-dev libcurl4-openssl-dev libssl-dev libarchive-dev
  libutf8proc-dev zlib1g-dev libsodium-dev
  # header-only libraries and the test framework's sources, used as they are
  googletest libcli11-dev libstb-dev libcpp-httplib-dev nlohmann-json3-dev
  # the window test of launcher.exe: a virtual display, pointer and window
  # tools, pictures of the screen, and the update server
  xvfb xauth xdotool x11-utils python3-pil nginx-light
)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
apt_updated=false
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  apt_updated=true
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The dependency part lives in its own file: its hash (with the toolchain
# files') keys the cache, so changes to the project's build do not rebuild
# the libraries.
# shellcheck source=scripts/lib/windows_deps.sh
source "$source_dir/scripts/lib/windows_deps.sh"

# --- the project ----------------------------------------------------------------

launcher=""
if command -v ccache >/dev/null; then launcher=ccache; fi

# The build machine's launcher-publish: the cross builds pack their default
# package with it (they cannot run their own). Its launcher-cli is what the
# Windows tests pack with the Windows launcher-publish.
# LAUNCHER_HOST_BUILD names a Linux build folder that is configured already
# (scripts/test.sh passes its own), so the core is not compiled twice.
host_dir=${LAUNCHER_HOST_BUILD:-$source_dir/build-windows-host}
host_dir=$(mkdir -p "$host_dir" && cd "$host_dir" && pwd)
started=$SECONDS
if [ ! -f "$host_dir/CMakeCache.txt" ]; then
  cmake -S "$source_dir" -B "$host_dir" -G Ninja -DLAUNCHER_TESTS=OFF -DLAUNCHER_BENCH=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
fi
cmake --build "$host_dir" -j "$jobs" --target launcher-publish launcher-cli
log "host launcher-publish and launcher-cli built in $((SECONDS - started)) s"

# The archive a Windows user unpacks: the programs this build made, the
# README and the documents, in one folder named after the version.
make_zip() {
  local version
  version=$(sed -n 's/^project(launcher VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
  local name=launcher-$version-windows-$arch
  local stage=$build_dir/zip/$name
  rm -rf "$build_dir/zip"
  mkdir -p "$stage/docs"
  local program found=0
  for program in src/app_win32/launcher.exe src/cli/launcher-cli.exe src/publish/launcher-publish.exe; do
    if [ -f "$build_dir/$program" ]; then
      cp "$build_dir/$program" "$stage/"
      found=$((found + 1))
    fi
  done
  if [ "$found" -eq 0 ]; then
    log "$triple: no programs built, no zip"
    return
  fi
  cp "$source_dir/README.md" "$stage/"
  cp "$source_dir"/docs/*.md "$stage/docs/"
  rm -f "$build_dir/$name.zip"
  (cd "$build_dir/zip" && cmake -E tar cf "$build_dir/$name.zip" --format=zip "$name")
  rm -rf "$build_dir/zip"
  log "$triple: $build_dir/$name.zip"
}

for arch in "${arches[@]}"; do
  triple=$arch-w64-mingw32
  cc=$triple-gcc-posix
  prefix=$cache_root/$triple-$key
  started=$SECONDS
  if [ ! -f "$prefix/versions" ]; then
    build_dependencies
    cd "$source_dir" # the library builds ran in folders now removed
  fi
  log "$triple: dependencies in $prefix ($((SECONDS - started)) s)"

  # This machine cannot run 32-bit programs: the i686 tests would only be
  # compiled, so they are left out there.
  test_options=(-DLAUNCHER_TESTS=ON -DLAUNCHER_HOST_CLI="$host_dir/src/cli/launcher-cli")
  if [ "$arch" = i686 ]; then test_options=(-DLAUNCHER_TESTS=OFF); fi
  build_dir=$source_dir/build-windows-$arch
  started=$SECONDS
  # Release, linked stripped: the programs a player downloads carry no debug
  # information or symbols, and the build takes less time.
  cmake -S "$source_dir" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE="${LAUNCHER_WINDOWS_BUILD_TYPE:-Release}" -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/toolchains/mingw-w64-$arch.cmake" \
    -DLAUNCHER_WINDOWS_DEPS="$prefix" -DLAUNCHER_HOST_PUBLISH="$host_dir/src/publish/launcher-publish" \
    "${test_options[@]}" -DLAUNCHER_BENCH=OFF \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$build_dir" -j "$jobs" --target ${LAUNCHER_WINDOWS_TARGETS:-all}
  log "$triple: project built in $((SECONDS - started)) s into $build_dir"
  make_zip
done

# Sourced by scripts/build-windows.sh: fetches Debian's source packages of
# the libraries the core links and cross-builds them as static libraries
# into the dependency cache. Expects source_dir, cache_root, jobs, sudo and
# log from the caller; sets versions and key.

# --- source packages ------------------------------------------------------------

libraries=(bzip2 xz-utils libarchive curl utf8proc libsodium)
# zlib is not built: Debian ships it built for both Windows targets.
zlib_package=libz-mingw-w64-dev

# The .dsc file `apt-get source` would fetch, from the indexes alone.
source_dsc() {
  apt-get source --print-uris "$1" 2>/dev/null | awk '/\.dsc/ {gsub("\x27", "", $1); print $2; exit}'
}

# Adds deb-src twins of this machine's Debian entries (deb822 .sources files
# and one-line .list files alike) when no deb-src entry is there yet.
ensure_deb_src() {
  if [ -n "$(source_dsc bzip2)" ]; then return; fi
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  local target=/etc/apt/sources.list.d/launcher-deb-src.sources
  local stanzas=""
  shopt -s nullglob
  for file in /etc/apt/sources.list.d/*.sources; do
    stanzas+=$(awk -v codename="$codename" '
      function flush() {
        if (is_deb && suites ~ ("(^| )" codename)) {
          print block; print ""
        }
        block = ""; is_deb = 0; suites = ""
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ { if ($0 ~ / deb( |$)/) is_deb = 1; line = "Types: deb-src" }
      !/^Types:/ { line = $0 }
      { block = block (block == "" ? "" : "\n") line }
      /^Suites:/ { suites = substr($0, 8) }
      END { flush() }' "$file")
    stanzas+=$'\n'
  done
  local lines=""
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    lines+=$(awk -v codename="$codename" '$1 == "deb" && $0 ~ (" " codename) {
      $1 = "deb-src"; print }' "$file")
    lines+=$'\n'
  done
  shopt -u nullglob
  if [ -n "${stanzas//[[:space:]]/}" ]; then
    log "adding deb-src entries in $target"
    printf '%s\n' "$stanzas" | $sudo tee "$target" >/dev/null
  elif [ -n "${lines//[[:space:]]/}" ]; then
    target=/etc/apt/sources.list.d/launcher-deb-src.list
    log "adding deb-src entries in $target"
    printf '%s\n' "$lines" | $sudo tee "$target" >/dev/null
  else
    echo "build-windows: no Debian $codename entry found to add deb-src for" >&2
    exit 1
  fi
  $sudo apt-get update -qq
  apt_updated=true
}

ensure_deb_src
versions=""
for library in "${libraries[@]}"; do
  dsc=$(source_dsc "$library")
  if [ -z "$dsc" ]; then
    echo "build-windows: apt-get source cannot find $library" >&2
    exit 1
  fi
  versions+="$dsc "
done
if ! zlib_version=$(dpkg-query -W -f='${Version}' "$zlib_package" 2>/dev/null); then
  echo "build-windows: $zlib_package is not installed" >&2
  exit 1
fi
versions+="$zlib_package=$zlib_version "
# The cache key: the source versions, this file and the toolchain files.
key=$( (echo "$versions"; cat "${BASH_SOURCE[0]}" "$source_dir"/cmake/toolchains/mingw-w64*.cmake) |
  sha256sum | cut -c1-16)
log "sources: $versions"

scratch=""
cleanup() { if [ -n "$scratch" ]; then rm -rf "$scratch"; fi; }
trap cleanup EXIT

# The versions of a source package the indexes know, newest first.
source_versions() {
  apt-cache showsrc "$1" | awk -v name="$1" '/^Package:/ {p = $2} /^Version:/ && p == name {print $2}' |
    sort -u | sort -r -V
}

# Fetches and unpacks every source package once per run. A mirror may lack
# the newest source (a security upload not mirrored yet): then the newest
# older version that can be fetched is used, and `fetched` records it.
fetch_sources() {
  if [ -n "$scratch" ]; then return; fi
  mkdir -p "$cache_root"
  scratch=$(mktemp -d "$cache_root/sources.XXXXXX")
  fetched=""
  log "fetching sources into $scratch"
  for library in "${libraries[@]}"; do
    local got=""
    for version in $(source_versions "$library"); do
      if (cd "$scratch" && apt-get source -qq "$library=$version" >/dev/null 2>>"$scratch/fetch.log"); then
        got=$version
        break
      fi
      log "$library $version cannot be fetched; trying an older version"
    done
    if [ -z "$got" ]; then
      cat "$scratch/fetch.log" >&2
      echo "build-windows: no source of $library can be fetched" >&2
      exit 1
    fi
    fetched+="$library=$got "
  done
}

source_tree() { # the unpacked folder of a source package
  find "$scratch" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -n 1
}

# --- cross builds of the libraries ------------------------------------------------

launcher_cmake() { # common options of a CMake-built library
  local triple_arch=$1
  shift
  cmake -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/toolchains/mingw-w64-$triple_arch.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" "$@" >"$work/cmake.log" 2>&1 || {
    tail -n 40 "$work/cmake.log" >&2
    exit 1
  }
}

build_bzip2() { # seven C files; without BZ_DLL the header declares plain functions
  local tree
  tree=$(source_tree bzip2)
  mkdir -p "$work/bzip2" "$prefix/lib" "$prefix/include"
  local objects=()
  for file in blocksort huffman crctable randtable compress decompress bzlib; do
    $launcher "$cc" -O2 -Wall -D_FILE_OFFSET_BITS=64 -c "$tree/$file.c" -o "$work/bzip2/$file.o"
    objects+=("$work/bzip2/$file.o")
  done
  "$triple-ar" rcs "$prefix/lib/libbz2.a" "${objects[@]}"
  cp "$tree/bzlib.h" "$prefix/include/"
}

build_zlib() { # Debian's static build for the target, copied so the prefix holds every library
  local system=/usr/$triple
  if [ ! -f "$system/lib/libz.a" ]; then
    echo "build-windows: $system/lib/libz.a is missing: install $zlib_package" >&2
    exit 1
  fi
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$system/lib/libz.a" "$prefix/lib/"
  cp "$system/include/zlib.h" "$system/include/zconf.h" "$prefix/include/"
}

build_xz() {
  local tree
  tree=$(source_tree xz-utils)
  mkdir -p "$work/xz" && cd "$work/xz"
  launcher_cmake "$arch" "$tree" -DCMAKE_C_FLAGS=-DLZMA_API_STATIC
  cmake --build . -j "$jobs" --target liblzma >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp liblzma.a "$prefix/lib/"
  cp -r "$tree/src/liblzma/api/lzma.h" "$tree/src/liblzma/api/lzma" "$prefix/include/"
  cd "$work"
}

build_utf8proc() {
  local tree
  tree=$(source_tree utf8proc)
  mkdir -p "$work/utf8proc" && cd "$work/utf8proc"
  launcher_cmake "$arch" "$tree" -DUTF8PROC_INSTALL=ON -DUTF8PROC_ENABLE_TESTING=OFF
  cmake --build . -j "$jobs" >/dev/null
  cmake --install . >/dev/null
  cd "$work"
}

build_libarchive() {
  local tree
  tree=$(source_tree libarchive)
  # The check for the CNG header is case-sensitive; mingw spells it bcrypt.h.
  # CMake 3.25 crashes on a run check when cross-compiling without an
  # emulator: one that runs nothing makes the only such check (whether zlib
  # needs ZLIB_WINAPI) fail, which is the right answer for our zlib.
  mkdir -p "$work/cng"
  echo '#include <bcrypt.h>' >"$work/cng/Bcrypt.h"
  mkdir -p "$work/libarchive" && cd "$work/libarchive"
  launcher_cmake "$arch" "$tree" \
    -DCMAKE_C_FLAGS="-I$work/cng -DLZMA_API_STATIC" \
    -DENABLE_OPENSSL=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_ICONV=OFF \
    -DENABLE_LZ4=OFF -DENABLE_ZSTD=OFF -DENABLE_LIBB2=OFF -DENABLE_LZO=OFF -DENABLE_MBEDTLS=OFF \
    -DENABLE_NETTLE=OFF -DENABLE_CNG=ON -DENABLE_ACL=OFF -DENABLE_XATTR=OFF \
    -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_TEST=OFF \
    -DPOSIX_REGEX_LIB=NONE -DWINDOWS_VERSION=WIN7 \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v false)" \
    -DZLIB_ROOT="$prefix" -DBZIP2_INCLUDE_DIR="$prefix/include" \
    -DBZIP2_LIBRARIES="$prefix/lib/libbz2.a" -DLIBLZMA_INCLUDE_DIR="$prefix/include" \
    -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a"
  cmake --build . -j "$jobs" --target archive_static >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$(find . -name 'libarchive*.a' | head -n 1)" "$prefix/lib/libarchive.a"
  cp "$tree/libarchive/archive.h" "$tree/libarchive/archive_entry.h" "$prefix/include/"
  cd "$work"
}

build_curl() { # HTTP only, TLS through Schannel: no OpenSSL
  local tree
  tree=$(source_tree curl)
  mkdir -p "$work/curl" && cd "$work/curl"
  launcher_cmake "$arch" "$tree" \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_STATICLIB=ON \
    -DBUILD_CURL_EXE=OFF -DENABLE_MANUAL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF \
    -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_ZLIB=ON \
    -DENABLE_UNIX_SOCKETS=OFF -DCURL_DISABLE_LDAP=ON -DZLIB_ROOT="$prefix"
  cmake --build . -j "$jobs" >/dev/null
  cmake --install . >/dev/null
  cd "$work"
}

build_sodium() { # Ed25519 signatures and SHA-256 for signed releases
  local tree
  tree=$(source_tree libsodium)
  cp -a "$tree" "$work/sodium"
  # Debian's source tree is the upstream repository: no configure script yet.
  (cd "$work/sodium" && { [ -x configure ] || autoreconf -fi >"$work/sodium.log" 2>&1; } &&
    CC="$launcher $cc" ./configure --host="$triple" --prefix="$prefix" \
    --disable-shared --enable-static --disable-pie --disable-ssp >>"$work/sodium.log" 2>&1 &&
    make -j"$jobs" >>"$work/sodium.log" 2>&1 &&
    make install >>"$work/sodium.log" 2>&1) || {
    tail -n 40 "$work/sodium.log" >&2
    exit 1
  }
}

# Builds every pending target's libraries at once, one process per target:
# much of a library build is a configure step on one core, so two targets
# side by side keep both cores busy. Expects arches, cache_root and key.
build_pending_dependencies() {
  local pending=() arch
  for arch in "${arches[@]}"; do
    if [ ! -f "$cache_root/$arch-w64-mingw32-$key/versions" ]; then pending+=("$arch"); fi
  done
  if [ ${#pending[@]} -eq 0 ]; then return; fi
  fetch_sources # once, before the builds share the unpacked sources
  local pids=() failed=0 pid
  for arch in "${pending[@]}"; do
    (
      triple=$arch-w64-mingw32
      cc=$triple-gcc-posix
      prefix=$cache_root/$triple-$key
      build_dependencies
    ) &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
  done
  if [ "$failed" -ne 0 ]; then
    echo "build-windows: building the libraries failed" >&2
    exit 1
  fi
}

build_dependencies() {
  local started=$SECONDS
  fetch_sources
  rm -rf "$prefix" "$prefix.partial"
  local final=$prefix
  prefix=$prefix.partial
  work=$(mktemp -d "$cache_root/work.XXXXXX")
  for step in bzip2 zlib xz utf8proc libarchive curl sodium; do
    local step_started=$SECONDS
    "build_$step"
    log "$triple: built $step in $((SECONDS - step_started)) s"
  done
  rm -rf "$work"
  printf 'indexed: %s\nbuilt: %s\n' "$versions" "$fetched $zlib_package" >"$prefix/versions"
  mv "$prefix" "$final"
  prefix=$final
  log "$triple: dependencies built in $((SECONDS - started)) s"
}


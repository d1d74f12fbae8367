#!/usr/bin/env bash
# The Debian package of the Linux tools, as a user gets it: made by CPack
# from the build, unpacked into a scratch root with dpkg -x (no root, no
# chroot), and used from there alone: each program's --version, a launcher
# packed from the installed launcher-cli with the installed default skin, a
# release published with the installed launcher-publish, served by nginx,
# and an update of an empty game folder.
#   package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build_dir=$1
source_dir=$2
scratch=$(mktemp -d)
# shellcheck source=scripts/lib/nginx.sh
source "$source_dir/scripts/lib/nginx.sh"
cleanup() { stop_nginx; rm -rf "$scratch"; }
trap cleanup EXIT
chmod 755 "$scratch" # nginx's workers read the served tree as nobody
fail() { echo "package test: $*" >&2; exit 1; }

# Only the tools' package: the windowed launcher's is made the same way.
(cd "$build_dir" && cpack -G DEB -D CPACK_COMPONENTS_ALL=tools -B "$scratch/package" \
  >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$scratch/package" -maxdepth 1 -name 'launcher-tools_*.deb' | head -n 1)
[ -n "$deb" ] || fail "no launcher-tools .deb was made"

# Its dependencies are the Debian packages of the linked libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libcurl4 libarchive13 libsodium23 libbz2-1.0 libutf8proc2; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
for file in usr/bin/launcher-cli usr/bin/launcher-publish usr/share/launcher/config.txt \
  usr/share/launcher/skin usr/share/doc/launcher/README.md \
  usr/share/doc/launcher/json-events.md; do
  [ -e "$root/$file" ] || fail "$file is not in the package"
done
if command -v help2man >/dev/null; then
  for page in launcher-cli launcher-publish; do
    gzip -cdf "$root/usr/share/man/man1/$page.1"* | grep -q "^\.TH" || fail "no man page of $page"
  done
fi

version=$(sed -n 's/^project(launcher VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
for program in launcher-cli launcher-publish; do
  line=$("$bin/$program" --version)
  [[ "$line" == "$program $version"* ]] || fail "$program --version said: $line"
  [[ "$line" == *" libcurl/"*" libarchive/"*" libsodium/"* ]] || fail "no library versions: $line"
done

# A game, published with the installed toolkit and served by nginx.
mkdir -p "$scratch/game/system" "$scratch/game/data"
printf '[client]\r\nport=7000\r\n' >"$scratch/game/system/jux.ini"
head -c 300000 /dev/urandom >"$scratch/game/data/large.pak"
echo "first level" >"$scratch/game/data/level1.dat"
"$bin/launcher-publish" publish "$scratch/game" "$scratch/srv" >"$scratch/publish.log" ||
  { cat "$scratch/publish.log" >&2; fail "publish failed"; }
chmod -R a+rX "$scratch/srv"
start_nginx "$scratch/srv" "$scratch/nginx"

# The publisher's launcher: the installed launcher-cli with the installed
# default skin and a configuration naming this server.
sed -e '/^url=/d' -e "s|^\[updateservers\]|[updateservers]\nurl=http://127.0.0.1:$nginx_port/|" \
  -e 's/^useping=true/useping=false/' \
  "$root/usr/share/launcher/config.txt" >"$scratch/config.txt"
mkdir -p "$scratch/installed"
"$bin/launcher-publish" package --skin "$root/usr/share/launcher/skin" \
  --config "$scratch/config.txt" --into "$bin/launcher-cli" \
  --output "$scratch/installed/gamelauncher" >/dev/null
"$bin/launcher-publish" unpack "$scratch/installed/gamelauncher" --skin "$scratch/unpacked" \
  --config "$scratch/unpacked.txt" | grep -q "Launcher build: $version" ||
  fail "unpack does not name the launcher's build"

"$scratch/installed/gamelauncher" update >"$scratch/update.log" 2>&1 ||
  { cat "$scratch/update.log" >&2; fail "update failed"; }
for file in system/jux.ini data/large.pak data/level1.dat; do
  cmp -s "$scratch/game/$file" "$scratch/installed/$file" || fail "$file was not installed"
done
echo "package test: launcher-tools installed into a scratch root, published and updated"

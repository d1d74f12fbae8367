#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, fuzz and
# benchmark. Idempotent: installs only what is missing. Run as root on
# Debian 12 (or with sudo available).
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  # libraries of the core
  libbz2-dev libcurl4-openssl-dev libssl-dev libarchive-dev libutf8proc-dev libstb-dev libcli11-dev libsodium-dev
  # --json event streams
  nlohmann-json3-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev nginx-light python3 bzip2 aria2 curl
  libarchive-tools bc
  # the peer of the patch benchmark (bench/patch.sh)
  zsync
  # drawing the default skin (scripts/make_default_skin.py)
  python3-pil fonts-dejavu-core
  # the windowed launcher and its runs under a virtual display
  qt6-base-dev qt6-webengine-dev libxcb1-dev xvfb xauth
  # the window test: clicks, window places and stacking, a second window
  xdotool x11-utils
  # packages: man pages from --help, the .deb's library dependencies
  help2man dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: every package is installed"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

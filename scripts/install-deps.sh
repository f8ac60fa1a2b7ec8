#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine needs to build and test both builds.
# Idempotent: packages already present are not touched.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build ccache pkg-config python3 git
  libpugixml-dev libsodium-dev libcurl4-openssl-dev libzip-dev nlohmann-json3-dev libmsgsl-dev libfmt-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-apps
  clang libclang-rt-14-dev
  dpkg-dev autoconf automake libtool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >&2
fi

#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, only when
# something is missing (apt-get update first, as a fresh machine has no lists).
# The shipped program is 32-bit, so Wine's 32-bit side (wine32 from the i386
# architecture) is installed too.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  googletest nlohmann-json3-dev
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth xdotool x11-utils imagemagick python3 python3-pefile procps zip unzip
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

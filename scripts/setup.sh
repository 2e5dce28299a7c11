#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on a Debian machine (as root, or
# through sudo). Quick when everything is already there.
set -euo pipefail
PACKAGES=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 mingw-w64-tools
  g++-mingw-w64-i686-posix
  wine wine64 xvfb xauth x11-utils xdotool imagemagick pulseaudio pulseaudio-utils locales
  sox ffmpeg mpg123 lame twolame
  mp3val
  fonts-ipafont-gothic
  fonts-wine  # Wine's own fonts: Marlett draws the caption buttons' glyphs ("r" without it)
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

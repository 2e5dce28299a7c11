#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on a Debian machine (as root, or
# through sudo). Quick when everything is already there.
set -euo pipefail
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
PACKAGES=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 mingw-w64-tools
  g++-mingw-w64-i686-posix
  wine wine64
  wine32:i386  # Wine's 32-bit half: runs the 32-bit build (build/windows32) and its tests
  xvfb xauth x11-utils xdotool imagemagick pulseaudio pulseaudio-utils locales
  sox ffmpeg mpg123 lame twolame
  mp3val
  fonts-ipafont-gothic
  fonts-wine  # Wine's own fonts: Marlett draws the caption buttons' glyphs ("r" without it)
)
update=0
# wine32:i386 comes from the i386 half of the archive, which a fresh amd64 machine does not use.
if [ "$(dpkg --print-architecture)" != i386 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture (for wine32:i386)"
  $SUDO dpkg --add-architecture i386
  update=1
fi
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || update=1
[ $update = 0 ] || $SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

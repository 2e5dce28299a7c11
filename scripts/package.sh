#!/usr/bin/env bash
# Packs the deck for Windows users: one zip per build, named from the program's version record
# (DECK_VERSION_TEXT in src/resources/resource.h), holding one folder with Movello.exe, qdctl.exe (its command-line remote), tavply.dll,
# tavenc.dll, README.txt for Windows users, LICENSE.txt and THIRD-PARTY.txt (the notices of the
# runtime linked into the programs). The test selector Pindaro.exe is ours for the docking tests,
# not for users, and stays out.
#
#   scripts/package.sh [--no-build] [--out DIR]
#       builds what running needs (unless --no-build) and writes DIR/QuaverlyDeck-VERSION-win64.zip
#       (from build/windows), and -win32.zip too when the 32-bit tree build/windows32 is built;
#       DIR is build/package when not given. Prints each zip's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build/package" build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --out) out="$2"; shift ;;
    *) echo "package: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ $build = 0 ] || "$top/scripts/build.sh" --package >/dev/null
version=$(sed -n 's/^#define DECK_VERSION_TEXT *"\([0-9.]*\)".*/\1/p' "$top/src/resources/resource.h")
[ -n "$version" ] || { echo "package: no version in resource.h" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
# The files carry the time of the last commit, so the same sources give the same zip.
stamp=$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)

pack() {  # pack BINDIR KIND STRIP
  local bin=$1 kind=$2 strip=$3 name="QuaverlyDeck-$version-$2" stage
  stage=$(mktemp -d)
  mkdir "$stage/$name"
  for f in Movello.exe qdctl.exe tavply.dll tavenc.dll; do
    [ -f "$bin/$f" ] || { echo "package: $bin/$f is missing" >&2; rm -rf "$stage"; return 1; }
    cp "$bin/$f" "$stage/$name/"
    "$strip" -s "$stage/$name/$f"  # the build keeps debug information; users need none
  done
  # Text files with Windows line ends, for Notepad.
  sed "s/@VERSION@/$version/; s/@KIND@/$kind/" "$top/docs/windows/README.txt" | sed 's/$/\r/' >"$stage/$name/README.txt"
  sed 's/$/\r/' "$top/docs/windows/LICENSE.txt" >"$stage/$name/LICENSE.txt"
  sed 's/$/\r/' "$top/docs/windows/THIRD-PARTY.txt" >"$stage/$name/THIRD-PARTY.txt"
  find "$stage/$name" -exec touch -d "@$stamp" {} +
  rm -f "$out/$name.zip"
  (cd "$stage" && TZ=UTC zip -qrX "$out/$name.zip" "$name")
  rm -rf "$stage"
  echo "$out/$name.zip"
}
pack "$top/build/windows/bin" win64 x86_64-w64-mingw32-strip
if [ -f "$top/build/windows32/bin/Movello.exe" ]; then pack "$top/build/windows32/bin" win32 i686-w64-mingw32-strip; fi

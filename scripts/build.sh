#!/usr/bin/env bash
# Configures and builds the trees: build/native (g++), build/windows (MinGW-w64, 64-bit) and, when
# its compiler is installed, build/windows32 (MinGW-w64 i686, 32-bit).
#   scripts/build.sh            everything: the program, tests, benchmarks and tools
#   scripts/build.sh --run      only what scripts/run.sh needs (the qd_run target of the native and
#                               64-bit trees)
#   scripts/build.sh --package  the qd_run target of every tree, for scripts/package.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
target=() windows32=1
case "${1:-}" in
  --run) target=(--target qd_run); windows32=0 ;;
  --package) target=(--target qd_run) ;;
esac
command -v i686-w64-mingw32-g++-posix >/dev/null || windows32=0
# ccache (installed by setup.sh) keeps rebuilds after a checkout or in a second work tree short.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$top/build/native" -G Ninja -DQD_WINDOWS_BUILD_DIR="$top/build/windows" "${launcher[@]}" >/dev/null
cmake -S "$top" -B "$top/build/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
  "${launcher[@]}" >/dev/null
cmake --build "$top/build/windows" -j "$jobs" "${target[@]}"
if [ $windows32 = 1 ]; then
  cmake -S "$top" -B "$top/build/windows32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-i686.cmake" \
    "${launcher[@]}" >/dev/null
  cmake --build "$top/build/windows32" -j "$jobs" "${target[@]}"
fi
cmake --build "$top/build/native" -j "$jobs" "${target[@]}"

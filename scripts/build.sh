#!/usr/bin/env bash
# Configures and builds both trees: build/native (g++) and build/windows (MinGW-w64).
#   scripts/build.sh          everything: the program, tests, benchmarks and tools
#   scripts/build.sh --run    only what scripts/run.sh needs (the qd_run target of each tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
target=()
[ "${1:-}" = "--run" ] && target=(--target qd_run)
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
cmake --build "$top/build/native" -j "$jobs" "${target[@]}"

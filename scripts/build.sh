#!/usr/bin/env bash
# Configures and builds both trees: build/native (g++) and build/windows (MinGW-w64).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$top" -B "$top/build/native" -G Ninja -DQD_WINDOWS_BUILD_DIR="$top/build/windows" >/dev/null
cmake -S "$top" -B "$top/build/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$top/build/windows" -j "$jobs"
cmake --build "$top/build/native" -j "$jobs"

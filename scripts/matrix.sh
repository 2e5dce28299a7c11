#!/usr/bin/env bash
# Runs the deck under Wine on every screen and system its users have: the virtual display at 8,
# 16 and 24 bits per pixel, Wine reporting Windows 98, XP, 7 and 10, at 96 and 144 dots per inch.
# Each start must show no box, draw the skin variant for its depth, play a WAVE and an MP3 and
# record a WAVE; a picture of each face is kept in docs/matrix/. The test command runs a quick
# part of this (the e2e_matrix test); this runs all of it (about half a minute per configuration).
#
#   scripts/matrix.sh [GTEST_FILTER]     e.g. scripts/matrix.sh '*8bit*'
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" --run || exit 1
cmake --build "$top/build/native" --target e2e_matrix -j "$(nproc)" || exit 1
mkdir -p "$top/docs/matrix"
QD_MATRIX_SHOTS="$top/docs/matrix" GTEST_FILTER="${1:-*}" "$top/build/native/tests/e2e/e2e_matrix"

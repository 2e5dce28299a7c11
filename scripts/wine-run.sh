#!/usr/bin/env bash
# Runs one Windows program under Wine in the build tree's private prefix (prepared by
# scripts/wine-prefix.sh: made on first use, upgraded for Wine's 32-bit half).
# Used by ctest for the Windows test programs and by the scripts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/build/wineprefix}"
. "$top/scripts/wine-prefix.sh"
prepare_prefix || exit 1
# A test that shows windows (dialogs) asks for a display with QD_WINE_DISPLAY=xvfb: without one it
# runs on a private Xvfb, and waits for its wineserver before the display goes away.
if [ "${QD_WINE_DISPLAY:-}" = xvfb ] && [ -z "${DISPLAY:-}" ]; then
  # A wineserver still up from a program run without a display keeps its display-less desktop,
  # where this program's windows would fail to open: wait until it has gone.
  wineserver -w || true
  exec xvfb-run -a sh -c 'wine "$@"; status=$?; wineserver -w; exit $status' wine-run "$@"
fi
exec wine "$@"

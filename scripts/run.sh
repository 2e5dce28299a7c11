#!/usr/bin/env bash
# Builds the deck and runs it under Wine with a private sound server whose devices carry the
# interface's name: on $DISPLAY when set, otherwise on a virtual display, where a screenshot of
# the running deck is taken and its path printed. Arguments are passed to Movello.exe.
#   QD_RUN_KEEP=1  keep the deck running on the virtual display until it is closed (Ctrl+C ends)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" || exit 1

bin="$top/build/windows/bin"
rig="$top/build/run-rig"
shot="$top/build/run-rig/deck.png"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/run-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
virtual=1
if [ -n "${DISPLAY:-}" ]; then
  virtual=0
  "$top/scripts/rig.sh" start "$rig" --no-x >/dev/null || exit 1
else
  "$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
fi
# shellcheck disable=SC1091
. "$rig/env"
deck=""
finish() {
  [ -n "$deck" ] && kill "$deck" 2>/dev/null
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig"
}
trap finish EXIT
trap 'exit 130' INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: making the Wine prefix (once, about a minute)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# The installer's part: the deck's registry keys and the silence files' MCI type.
"$top/scripts/wine-install.sh" --keys
# Wine has no USB host-controller interface: the deck talks to a simulated host with a Vornex
# device attached (edit it while the deck runs with build/native/cli/vornexsim/vornexsim).
export QD_USB_SIM="${QD_USB_SIM:-$top/build/run-usb-host.txt}"
[ -f "$QD_USB_SIM" ] || "$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null

wine "$bin/Movello.exe" "$@" >"$rig/deck.log" 2>&1 &
deck=$!
if ! wine "$bin/wintool.exe" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null; then
  echo "run: the deck did not show its window (see $rig/deck.log)" >&2
  wine "$bin/wintool.exe" boxes >&2
  exit 1
fi
if [ $virtual = 1 ]; then
  sleep 1  # let the face paint once before the picture is taken
  import -display "$DISPLAY" -window root "$shot" && echo "Screenshot of the running deck: $shot"
  if [ "${QD_RUN_KEEP:-0}" != 1 ]; then
    wine "$bin/wintool.exe" close Vornex_Deck_Controller >/dev/null
  fi
fi
wait "$deck"
code=$?
deck=""
echo "Quaverly Deck ended with code $code"
exit $code

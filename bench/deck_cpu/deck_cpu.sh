#!/usr/bin/env bash
# The deck's CPU share under Wine, idle and while it plays an MP3 (run by hand, not a test):
# starts a rig and the deck, samples the deck's process and the Wine server over a stretch of
# seconds, hands an MP3 over, samples again, and prints both shares of one core side by side.
#   bench/deck_cpu/deck_cpu.sh [seconds per stretch, default 20]
# Needs both builds (scripts/build.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
secs=${1:-20}
bin="$top/build/windows/bin"
tools="$top/build/native/bin"
rig="$top/build/bench-rig"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
hz=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks (fields 14 and 15 of its stat line)
  local s
  { [ -n "$1" ] && s=$(cat "/proc/$1/stat" 2>/dev/null); } || { echo 0; return; }
  s=${s##*) }  # the name in field 2 may hold blanks and parentheses: count from after it
  # shellcheck disable=SC2086
  set -- $s
  echo $((${12} + ${13}))
}
wineserver_pid() {
  local p
  for p in $(pgrep wineserver); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}
# share PID...: percent of one core used by the processes over $secs seconds
share() {
  local before=0 after=0 p
  for p in "$@"; do before=$((before + $(cpu_ticks "$p"))); done
  sleep "$secs"
  for p in "$@"; do after=$((after + $(cpu_ticks "$p"))); done
  awk -v t=$((after - before)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
"$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
# shellcheck disable=SC1091
. "$rig/env"
deck=""
finish() {
  [ -n "$deck" ] && wine "$bin/wintool.exe" close Vornex_Deck_Controller >/dev/null 2>&1
  sleep 1
  wineserver -k 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig" >/dev/null
}
trap finish EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
export QD_USB_SIM="$rig/usb-host.txt"
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null
"$tools/qdtone" 440 60000 "$rig/long.wav" && "$tools/taven" -l 3 -b 128 "$rig/long.wav" "$rig/long.mp3" || exit 1

wine "$bin/Movello.exe" >"$rig/deck.log" 2>&1 &
deck=$!
wine "$bin/wintool.exe" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null || exit 1
sleep 3  # start-up work settles
pid=$(pgrep -f 'Movello.exe' | head -n 1)
server=$(wineserver_pid)
[ -n "$pid" ] && [ -n "$server" ] || { echo "deck_cpu: deck or Wine server not found" >&2; exit 1; }
idle_deck=$(share "$pid")
idle_all=$(share "$pid" "$server")
wine "$bin/Movello.exe" "$(winepath -w "$rig/long.mp3")" >/dev/null 2>&1
sleep 2
play_deck=$(share "$pid")
play_all=$(share "$pid" "$server")
kill -0 "$pid" 2>/dev/null || { echo "deck_cpu: the deck ended while playing (see $rig/deck.log)" >&2; exit 1; }
printf 'deck CPU share of one core over %s s (Wine %s)\n' "$secs" "$(wine --version)"
printf '  %-22s %8s %22s\n' "" "deck" "deck + wineserver"
printf '  %-22s %7s%% %21s%%\n' "idle" "$idle_deck" "$idle_all"
printf '  %-22s %7s%% %21s%%\n' "playing an MP3" "$play_deck" "$play_all"

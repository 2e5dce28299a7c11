#!/usr/bin/env bash
# The face's cost under Wine (run by hand, not a test): the deck's CPU share, with the Wine
# server's, while it plays a long MP3 with the face on the screen, the ticker scrolling and the
# time digits and meters changing, at single and double size, in the normal and the thin face,
# printed side by side from one run. Then it switches the face between normal and thin many
# times and prints the deck's resident memory before and after (GDI objects that leak per
# redraw show up as growth).
#   bench/face/face_cpu.sh [seconds per stretch, default 15] [mode switches, default 400]
# Needs both builds (scripts/build.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
secs=${1:-15}
switches=${2:-400}
bin="$top/build/windows/bin"
tools="$top/build/native/bin"
rig="$top/build/bench-face-rig"
key='HKCU\SOFTWARE\Kelvara\Vornex USB\Deck Controller\Settings'
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-face-wineprefix"
# shellcheck disable=SC1091
. "$top/scripts/wine-prefix.sh"
# shellcheck disable=SC1091
. "$top/bench/support/cpu_share.sh"

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
"$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
# shellcheck disable=SC1091
. "$rig/env"
deck=""
close_deck() {
  [ -n "$deck" ] || return
  wine "$bin/wintool.exe" close Vornex_Deck_Controller >/dev/null 2>&1
  for _ in $(seq 100); do kill -0 "$deck" 2>/dev/null || break; sleep 0.1; done
  deck=""
}
finish() {
  close_deck
  wineserver -k 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig" >/dev/null
}
trap finish EXIT
prepare_prefix --keys || exit 1
wine reg add "$key" /v Repeat /t REG_DWORD /d 2 /f >/dev/null 2>&1
export QD_USB_SIM="$rig/usb-host.txt"
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null
"$tools/qdtone" 440 120000 "$rig/long.wav" && "$tools/taven" -l 3 -b 128 "$rig/long.wav" "$rig/long.mp3" || exit 1

declare -A result
for mag in 1 2; do
  wine reg add "$key" /v Mag /t REG_DWORD /d $mag /f >/dev/null 2>&1
  wine reg add "$key" /v Mode /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine "$bin/Movello.exe" "$(winepath -w "$rig/long.mp3")" >"$rig/deck.log" 2>&1 &
  deck=$!
  wine "$bin/wintool.exe" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null || exit 1
  sleep 3
  pid=$(of_prefix 'Movello.exe')
  server=$(of_prefix wineserver)
  [ -n "$pid" ] && [ -n "$server" ] || { echo "face_cpu: deck or Wine server not found" >&2; exit 1; }
  result[normal$mag]=$(share "$secs" "$pid" "$server")
  wine "$bin/wintool.exe" send Vornex_Deck_Controller 273 2005 0 >/dev/null 2>&1  # to the thin face
  sleep 1
  result[thin$mag]=$(share "$secs" "$pid" "$server")
  if [ $mag = 2 ]; then
    rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
    wine "$bin/wintool.exe" send Vornex_Deck_Controller 273 2005 0 >/dev/null 2>&1
    for _ in 1 2 3 4 5 6 7 8 9 10; do wine "$bin/wintool.exe" send Vornex_Deck_Controller 273 2005 0 >/dev/null 2>&1; done
    rss_before=$(rss)
    for _ in $(seq "$switches"); do wine "$bin/wintool.exe" send Vornex_Deck_Controller 273 2005 0 >/dev/null 2>&1; done
    rss_after=$(rss)
  fi
  close_deck
  sleep 1
done
printf 'deck + wineserver CPU share of one core while playing, %s s each (Wine %s)\n' "$secs" "$(wine --version)"
printf '  %-14s %10s %10s\n' "" "single" "double"
printf '  %-14s %9s%% %9s%%\n' "normal face" "${result[normal1]}" "${result[normal2]}"
printf '  %-14s %9s%% %9s%%\n' "thin face" "${result[thin1]}" "${result[thin2]}"
printf 'deck resident memory around %s switches of the face at double size: %s kB before, %s kB after\n' \
  "$switches" "$rss_before" "$rss_after"

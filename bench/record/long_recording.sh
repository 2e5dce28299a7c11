#!/usr/bin/env bash
# A long recording under load (run by hand, not a test): the deck records a 997 Hz tone from the
# rig's input at 48 kHz while two busy processes load both cores, then stops. Reports whether
# any buffer was lost (the deck says "Could not capture audio." at stop), and compares the
# recorded length with the time the recording ran: every lost 100 ms buffer is missing from it.
#   bench/record/long_recording.sh [-m MINUTES] [-f wave|mp3]   (default 10 minutes, mp3)
# Needs both builds (scripts/build.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
minutes=10 format=mp3
while [ $# -gt 0 ]; do
  case "$1" in
    -m) minutes=$2; shift ;;
    -f) format=$2; shift ;;
    *) echo "usage: long_recording.sh [-m MINUTES] [-f wave|mp3]" >&2; exit 2 ;;
  esac
  shift
done
bin="$top/build/windows/bin"
rig="$top/build/long-rec-rig"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
settings='HKCU\Software\Kelvara\Vornex USB\Deck Controller\Settings'
wintool="$bin/wintool.exe"
command() { wine "$wintool" send Vornex_Deck_Controller 0x0111 "$1" 0 >/dev/null 2>&1; }

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
"$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
# shellcheck disable=SC1091
. "$rig/env"
deck="" loaders=()
finish() {
  for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$deck" ] && wine "$wintool" close Vornex_Deck_Controller >/dev/null 2>&1
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
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" reg 7 5 >/dev/null  # input locked at 48 kHz
rec="$rig/rec"
rm -rf "$rec" && mkdir -p "$rec"
"$top/scripts/wine-install.sh" --keys
kind=0 && [ "$format" = mp3 ] && kind=3
for v in "RecFileName REG_SZ $(winepath -w "$rec")\\S-" "RecAutoRecording REG_DWORD 0" "Mp3Bitrate REG_DWORD 128" \
  "RecordFormat REG_DWORD $kind" "RecLimit REG_DWORD 0" \
  "LastYear REG_DWORD $(date +%Y)" "LastMonth REG_DWORD $(date +%-m)" "LastDay REG_DWORD $(date +%-d)"; do
  read -r name type data <<<"$v"
  wine reg add "$settings" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
done
# The tone, fed continuously for the whole run plus a margin (the feeder plays queued files in
# real time, silence after them).
seconds=$((minutes * 60 + 30))
sox -n -r 44100 -c 2 -b 16 -e signed -t raw "$rig/feed/tone.part" synth "$seconds" sine 997 vol 0.4 || exit 1
mv "$rig/feed/tone.part" "$rig/feed/tone.raw"

wine "$bin/Movello.exe" >"$rig/deck.log" 2>&1 &
deck=$!
wine "$wintool" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null || exit 1
sleep 2
for _ in 1 2; do
  (while :; do :; done) &
  loaders+=($!)
done
command 2023  # Record
command 2016  # Play
start=$(date +%s.%N)
printf 'recording %s at 48 kHz for %s min with both cores loaded...\n' "$format" "$minutes"
sleep $((minutes * 60))
# The recording ends somewhere while the Stop command is on its way: the span is known within the
# time that command takes (a Wine process start under load).
before_stop=$(date +%s.%N)
command 2018  # Stop
after_stop=$(date +%s.%N)
ran=$(awk -v a="$start" -v b="$before_stop" 'BEGIN { printf "%.1f", b - a }')
ran_max=$(awk -v a="$start" -v b="$after_stop" 'BEGIN { printf "%.1f", b - a }')
for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
loaders=()
sleep 2
boxes=$(wine "$wintool" boxes 2>/dev/null)
file=$(ls "$rec"/S-001.* 2>/dev/null | head -n 1)
[ -n "$file" ] || { echo "no recording in $rec" >&2; exit 1; }
length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file")
lost=no && case "$boxes" in *"Could not capture audio."*) lost=YES ;; esac
printf 'recording ran %s to %s s; %s holds %.1f s; buffers lost: %s\n' \
  "$ran" "$ran_max" "$(basename "$file")" "$length" "$lost"
[ -n "$boxes" ] && printf 'boxes at stop:\n%s\n' "$boxes"

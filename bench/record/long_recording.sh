#!/usr/bin/env bash
# A long recording under load (run by hand, not a test): the deck records a 997 Hz tone from the
# rig's input at 48 kHz while two busy loops (at nice 19) load both cores, then stops. Reports whether
# any buffer was lost (the deck says "Could not capture audio." at stop), and sets the frames in
# the file beside the frames the rig's feeder wrote into the input pipe between Play and Stop
# (a range: each end is known within the time a command takes to reach the deck).
# Neither wall time nor the feeder's count is what the deck was given: with both cores busy,
# PulseAudio drops pieces of the input now and then before it reaches the deck's buffers when
# Wine's own stream settings are in force, and no message says so: the rig's client latency
# (PULSE_LATENCY_MSEC in scripts/rig.sh; QD_PULSE_LATENCY_MSEC= turns it off) prevents that. The deck loses audio only in
# whole 100 ms buffers, and says so. With -c the input carries a frame counter instead (44.1 kHz
# WAVE, no resampling on the way) and frame_counter.py lists every gap in the file with its place
# in the deck's buffer: a gap inside a buffer happened before the deck got the audio.
#   bench/record/long_recording.sh [-m MINUTES] [-f wave|mp3] [-c]   (default 10 minutes, mp3)
# Needs both builds (scripts/build.sh) and, for -c, python3.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
minutes=10 format=mp3 counter=0
while [ $# -gt 0 ]; do
  case "$1" in
    -m) minutes=$2; shift ;;
    -f) format=$2; shift ;;
    -c) counter=1 format=wave ;;
    *) echo "usage: long_recording.sh [-m MINUTES] [-f wave|mp3] [-c]" >&2; exit 2 ;;
  esac
  shift
done
bin="$top/build/windows/bin"
rig="$top/build/long-rec-rig"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-wineprefix"
# shellcheck disable=SC1091
. "$top/scripts/wine-prefix.sh"
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
prepare_prefix --keys || exit 1
export QD_USB_SIM="$rig/usb-host.txt"
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null
rate=48000 lock=5  # input locked at 48 kHz
[ $counter = 1 ] && rate=44100 lock=6
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" reg 7 $lock >/dev/null
rec="$rig/rec"
rm -rf "$rec" && mkdir -p "$rec"
kind=0 && [ "$format" = mp3 ] && kind=3
for v in "RecFileName REG_SZ $(winepath -w "$rec")\\S-" "RecAutoRecording REG_DWORD 0" "Mp3Bitrate REG_DWORD 128" \
  "RecordFormat REG_DWORD $kind" "RecLimit REG_DWORD 0" \
  "LastYear REG_DWORD $(date +%Y)" "LastMonth REG_DWORD $(date +%-m)" "LastDay REG_DWORD $(date +%-d)"; do
  read -r name type data <<<"$v"
  wine reg add "$settings" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
done
# The signal, fed continuously for the whole run plus a margin (the feeder plays queued files in
# real time, silence after them).
seconds=$((minutes * 60 + 30))
if [ $counter = 1 ]; then
  nice python3 "$top/bench/record/frame_counter.py" make "$seconds" "$rig/feed/tone.part" || exit 1
else
  sox -n -r 44100 -c 2 -b 16 -e signed -t raw "$rig/feed/tone.part" synth "$seconds" sine 997 vol 0.4 || exit 1
fi
mv "$rig/feed/tone.part" "$rig/feed/tone.raw"
feeder=$(awk '$2 == "feeder" { print $1 }' "$rig/pids")
fed() {  # frames the feeder has written so far (it answers SIGUSR1 with a line in feeder.log)
  local before
  before=$(grep -c '^written' "$rig/feeder.log")
  kill -USR1 "$feeder" || return 1
  until [ "$(grep -c '^written' "$rig/feeder.log")" -gt "$before" ]; do sleep 0.01; done
  grep '^written' "$rig/feeder.log" | tail -n 1 | awk '{ print $2 }'
}

wine "$bin/Movello.exe" >"$rig/deck.log" 2>&1 &
deck=$!
wine "$wintool" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null || exit 1
sleep 2
for _ in 1 2; do
  nice -n 19 sh -c 'while :; do :; done' >/dev/null 2>&1 &
  loaders+=($!)
done
command 2023  # Record
fed_before_play=$(fed)
command 2016  # Play
start=$(date +%s.%N)
fed_after_play=$(fed)
printf 'recording %s at %s Hz for %s min with both cores loaded...\n' "$format" "$rate" "$minutes"
sleep $((minutes * 60))
# The recording ends somewhere while the Stop command is on its way: the span is known within the
# time that command takes (a Wine process start under load).
before_stop=$(date +%s.%N)
fed_before_stop=$(fed)
command 2018  # Stop
after_stop=$(date +%s.%N)
fed_after_stop=$(fed)
ran=$(awk -v a="$start" -v b="$before_stop" 'BEGIN { printf "%.1f", b - a }')
ran_max=$(awk -v a="$start" -v b="$after_stop" 'BEGIN { printf "%.1f", b - a }')
for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
loaders=()
sleep 2
boxes=$(wine "$wintool" boxes 2>/dev/null)
file=$(ls "$rec"/S-001.* 2>/dev/null | head -n 1)
[ -n "$file" ] || { echo "no recording in $rec" >&2; exit 1; }
# Every frame decoded, not the container's estimate (quietly: the deck's title chunk after an
# MP3's last frame is no MPEG frame).
frames=$(ffmpeg -v fatal -i "$file" -f s16le -ac 2 -ar "$rate" - | wc -c | awk '{ print int($1 / 4) }')
lost=no && case "$boxes" in *"Could not capture audio."*) lost=YES ;; esac
# The feeder writes 44.1 kHz; its frames are given here in the file's rate.
fed_min=$(awk -v a="$fed_after_play" -v b="$fed_before_stop" -v r="$rate" 'BEGIN { printf "%d", (b - a) * r / 44100 }')
fed_max=$(awk -v a="$fed_before_play" -v b="$fed_after_stop" -v r="$rate" 'BEGIN { printf "%d", (b - a) * r / 44100 }')
printf 'recording ran %s to %s s; buffers lost: %s\n' "$ran" "$ran_max" "$lost"
printf 'feeder wrote %d to %d frames (%.2f to %.2f s) between Play and Stop\n' \
  "$fed_min" "$fed_max" "$(awk -v f="$fed_min" -v r="$rate" 'BEGIN { print f / r }')" \
  "$(awk -v f="$fed_max" -v r="$rate" 'BEGIN { print f / r }')"
printf '%s holds %d frames (%.2f s)\n' "$(basename "$file")" "$frames" \
  "$(awk -v f="$frames" -v r="$rate" 'BEGIN { print f / r }')"
if [ $counter = 1 ]; then python3 "$top/bench/record/frame_counter.py" check "$file"; fi
if [ -n "$boxes" ]; then printf 'boxes at stop:\n%s\n' "$boxes"; fi

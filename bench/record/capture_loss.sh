#!/usr/bin/env bash
# Frames lost on the way in under load (run by hand, not a test): the least recorder there is
# (minwave.exe, 44.1 kHz, with 60 buffers of 100 ms queued as the deck has) records a
# frame-counter signal from the rig's input while two busy loops keep both cores loaded, and
# frame_counter.py counts every frame missing from the file. What it loses, Wine and the sound
# server lost before any program saw it (the deck's own figure: long_recording.sh -c). Runs
# alternate between Wine's own stream settings and the rig's client latency (PULSE_LATENCY_MSEC,
# see scripts/rig.sh), so both are measured side by side under the same load.
#   bench/record/capture_loss.sh [-s SECONDS] [-r RUNS] [-n]   (default 30 s, 2 runs of each)
#     -n  no load (the busy loops are left out), for the baseline
# Needs both builds (scripts/build.sh) and python3.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
secs=30 runs=2 load=1
while [ $# -gt 0 ]; do
  case "$1" in
    -s) secs=$2; shift ;;
    -r) runs=$2; shift ;;
    -n) load=0 ;;
    *) echo "usage: capture_loss.sh [-s SECONDS] [-r RUNS] [-n]" >&2; exit 2 ;;
  esac
  shift
done
rig="$top/build/capture-loss-rig"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-wineprefix"
# shellcheck disable=SC1091
. "$top/scripts/wine-prefix.sh"

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
"$top/scripts/rig.sh" start "$rig" --no-x >/dev/null || exit 1
# shellcheck disable=SC1091
. "$rig/env"
loaders=()
finish() {
  for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
  wineserver -k 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig" >/dev/null
}
trap finish EXIT
prepare_prefix || exit 1

# One signal for all runs, longer than them (the feeder plays silence once it is done): each run
# records a later stretch of the same count.
nice python3 "$top/bench/record/frame_counter.py" make $((2 * runs * (secs + 10) + 15)) "$rig/feed/counter.part" ||
  exit 1
mv "$rig/feed/counter.part" "$rig/feed/counter.raw"
rig_latency=$PULSE_LATENCY_MSEC
declare -A frames_of missing_of
for run in $(seq "$runs"); do
  for setting in wine rig; do
    latency=""
    [ $setting = rig ] && latency=$rig_latency
    if [ $load = 1 ]; then
      for _ in 1 2; do nice -n 19 sh -c 'while :; do :; done' >/dev/null 2>&1 & loaders+=($!); done
    fi
    out="$rig/minwave-$setting-$run.wav"
    PULSE_LATENCY_MSEC=$latency wine "$top/build/windows/bin/minwave.exe" rec 44100 "$secs" "$(winepath -w "$out")" \
      60 100 >/dev/null 2>&1
    for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
    loaders=()
    report=$(python3 "$top/bench/record/frame_counter.py" check "$out") || exit 1
    frames=$(awk 'NR == 1 { print $2 }' <<<"$report")
    missing=$(awk 'NR == 2 { print $4 }' <<<"$report")
    printf 'run %d, %-4s (PULSE_LATENCY_MSEC=%s): %s frames recorded, %s missing\n' "$run" "$setting" "$latency" \
      "$frames" "$missing"
    frames_of[$setting]=$(( ${frames_of[$setting]:-0} + frames ))
    missing_of[$setting]=$(( ${missing_of[$setting]:-0} + missing ))
  done
done
printf 'frames lost on the way in (%s, load: %s):\n' "$(wine --version)" \
  "$([ $load = 1 ] && echo 'two busy loops at nice 19' || echo none)"
for setting in wine rig; do
  printf '  %-34s %9d recorded %7d missing  %s\n' \
    "$([ $setting = wine ] && echo "Wine's own stream settings" || echo "rig (PULSE_LATENCY_MSEC=$rig_latency)")" \
    "${frames_of[$setting]}" "${missing_of[$setting]}" \
    "$(awk -v m="${missing_of[$setting]}" -v f="${frames_of[$setting]}" 'BEGIN { printf "%.3f %%", 100 * m / (m + f) }')"
done

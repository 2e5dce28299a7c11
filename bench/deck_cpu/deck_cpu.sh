#!/usr/bin/env bash
# The deck's CPU share under Wine (run by hand, not a test): idle, playing an MP3, and recording
# WAVE and MP3 at 48 kHz from the rig's input. Each stretch samples the deck's process and the Wine
# server; the figures are shares of one core. What plays and what the input hears is music-like
# material made with sox (see make_music). Give several program folders (each with Movello.exe,
# tavply.dll, tavenc.dll) to compare builds side by side in one run.
# The floors are minwave.exe (bench/deck_cpu/minwave_win32.cpp) in the same prefix: a recorder
# (waveIn, 10 ms buffers, 48 kHz, nothing kept), a recorder that also encodes MP3 through
# tavenc.dll as the deck's MP3 recording does (layer III, 128 kbit/s, into a file), a WAVE
# player (waveOut, 44.1 kHz, no decoding), and a program that only sleeps, for what Wine itself
# costs while a program idles. Each figure of the deck is also given as a ratio to
# its floor (deck + wineserver against minwave + wineserver): playing MP3 against the WAVE
# player, recording WAVE against the recorder, recording MP3 against both the recorder and the
# recorder with the encoder. The machine may be shared: every round runs each deck and then the
# floors, so deck and floor are measured close together, and the ratios of each round are given
# beside their mean.
#   bench/deck_cpu/deck_cpu.sh [-s SECONDS] [-r ROUNDS] [BIN_DIR...]
#                                       (default: build/windows/bin, 20 s, 1 round)
# Needs both builds (scripts/build.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
secs=20
rounds=1
while [ $# -gt 0 ]; do
  case "$1" in
    -s) secs=$2; shift 2 ;;
    -r) rounds=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || set -- "$top/build/windows/bin"
tools="$top/build/native/bin"
rig="$top/build/bench-rig"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/bench-wineprefix"
# shellcheck disable=SC1091
. "$top/scripts/wine-prefix.sh"
settings='HKCU\Software\Kelvara\Vornex USB\Deck Controller\Settings'
wintool="$top/build/windows/bin/wintool.exe"
# shellcheck disable=SC1091
. "$top/bench/support/cpu_share.sh"

# shares DECK SERVER: "deck all" percent of one core over $secs seconds (all = deck + server)
shares() {
  local d0 s0 d1 s1
  d0=$(cpu_ticks "$1"); s0=$(cpu_ticks "$2")
  sleep "$secs"
  d1=$(cpu_ticks "$1"); s1=$(cpu_ticks "$2")
  awk -v d=$((d1 - d0)) -v s=$((s1 - s0)) -v hz="$bench_hz" -v t="$secs" \
    'BEGIN { printf "%.2f %.2f", 100 * d / hz / t, 100 * (d + s) / hz / t }'
}
command() { wine "$wintool" send Vornex_Deck_Controller 0x0111 "$1" 0 >/dev/null 2>&1; }
lost_box() {  # presses every open box; says whether audio was lost
  local out hwnd
  out=$(wine "$wintool" boxes 2>/dev/null)
  for hwnd in $(cut -f1 <<<"$out"); do wine "$wintool" press "$hwnd" OK >/dev/null 2>&1; done
  case "$out" in *"Could not capture audio."*) echo " (buffers lost)" ;; esac
}

"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
"$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
# shellcheck disable=SC1091
. "$rig/env"
deck=""
feeding=""
finish() {
  [ -n "$feeding" ] && kill "$feeding" 2>/dev/null
  [ -n "$deck" ] && wine "$wintool" close Vornex_Deck_Controller >/dev/null 2>&1
  sleep 1
  wineserver -k 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig" >/dev/null
}
trap finish EXIT
prepare_prefix --keys || exit 1
export QD_USB_SIM="$rig/usb-host.txt"
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null
"$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" reg 7 5 >/dev/null  # input locked at 48 kHz
# The material is music-like, not a tone: the decoder and the encoder work as hard as on what
# users play and record. Plucked notes with noise bursts (the transients) over a pink-noise bed,
# 90 s, played as a layer III MP3 at 128 kbit/s and fed to the input while recording.
make_music() {
  local d=$rig/music n=0 note
  mkdir -p "$d"
  for note in "0.3 A2 E4" "0.2 C3 G4" "0.4 F2 A4"; do
    read -r len a b <<<"$note"
    sox -n -r 44100 -c 2 -b 16 "$d/n$((n += 1)).wav" synth "$len" pluck "$a" pluck "$b" || return 1
  done
  sox -n -r 44100 -c 2 -b 16 "$d/burst.wav" synth 0.1 noise fade 0 0.1 0.09 vol 0.5 &&
    sox "$d/n1.wav" "$d/n2.wav" "$d/burst.wav" "$d/n3.wav" "$d/n2.wav" "$d/burst.wav" "$d/bar.wav" &&
    sox "$d/bar.wav" "$d/notes.wav" repeat 60 trim 0 90 2>/dev/null &&
    sox -n -r 44100 -c 2 -b 16 "$d/bed.wav" synth 90 pinknoise vol 0.08 &&
    sox -m "$d/notes.wav" "$d/bed.wav" "$rig/long.wav" &&
    sox "$rig/long.wav" -t raw "$rig/long.raw" &&
    "$tools/taven" -l 3 -b 128 "$rig/long.wav" "$rig/long.mp3" >/dev/null
}
make_music || { echo "deck_cpu: cannot make the music (sox, taven)" >&2; exit 1; }
# The input hears the music throughout: the feeder plays queued raw files in name order and
# deletes each once written, so one is queued whenever the queue runs dry.
feed_music() {
  local n=0
  while :; do
    # copied under another name first: the feeder must never read a half-written file
    compgen -G "$rig/feed/*.raw" >/dev/null ||
      { cp "$rig/long.raw" "$rig/feed/next" && mv "$rig/feed/next" "$rig/feed/$(printf '%06d' $((n += 1))).raw"; }
    sleep 5
  done
}
feed_music &
feeding=$!
mkdir -p "$rig/rec"
now_y=$(date +%Y) now_m=$(date +%-m) now_d=$(date +%-d)
for v in "RecFileName REG_SZ $(winepath -w "$rig/rec")\\S-" "RecAutoRecording REG_DWORD 0" "Mp3Bitrate REG_DWORD 128" \
  "LastYear REG_DWORD $now_y" "LastMonth REG_DWORD $now_m" "LastDay REG_DWORD $now_d"; do
  read -r name type data <<<"$v"
  wine reg add "$settings" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
done

# One deck: "idle|play|wave|mp3", each "deck all [note]".
measure_deck() {
  local bin=$1 idle play wave mp3 wave_lost mp3_lost pid server
  wine reg add "$settings" /v RecordFormat /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine "$bin/Movello.exe" >"$rig/deck.log" 2>&1 &
  deck=$!
  wine "$wintool" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null || return 1
  sleep 3  # start-up work settles
  pid=$(of_prefix 'Movello.exe')  # of this prefix: other decks may run on the machine
  server=$(of_prefix wineserver)
  [ -n "$pid" ] && [ -n "$server" ] || { echo "deck_cpu: deck or Wine server not found" >&2; return 1; }
  idle=$(shares "$pid" "$server")
  wine "$bin/Movello.exe" "$(winepath -w "$rig/long.mp3")" >/dev/null 2>&1
  sleep 2
  play=$(shares "$pid" "$server")
  command 2018  # Stop
  command 2023; command 2016  # Record, Play: WAVE
  sleep 2
  wave=$(shares "$pid" "$server")
  command 2018; sleep 1
  wave_lost=$(lost_box)
  command 2013  # MP3
  command 2023; command 2016
  sleep 2
  mp3=$(shares "$pid" "$server")
  command 2018; sleep 1
  mp3_lost=$(lost_box)
  kill -0 "$pid" 2>/dev/null || { echo "deck_cpu: the deck ended (see $rig/deck.log)" >&2; return 1; }
  wine "$wintool" close Vornex_Deck_Controller >/dev/null 2>&1
  wait "$deck"
  deck=""
  rm -f "$rig/rec"/*
  echo "$idle|$play|$wave$wave_lost|$mp3$mp3_lost"
}

# The floor: the same states without the deck.
floor() {  # floor MODE RATE [ARGS...]: "program all" share of minwave alone
  local w pid mode=$1 rate=$2
  shift 2
  wine "$top/build/windows/bin/minwave.exe" "$mode" "$rate" $((secs + 5)) "$@" >"$rig/minwave-$mode.log" 2>&1 &
  w=$!
  sleep 2
  pid=$(of_prefix 'minwave.exe')
  shares "$pid" "$(of_prefix wineserver)"
  wait "$w"
  rm -f "$rig/rec"/*
}
ratio() { awk -v a="${1#* }" -v b="${2#* }" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
fmt() { local a b rest; read -r a b rest <<<"$1"; printf '%5s %% / %5s %%%s' "$a" "$b" "${rest:+ $rest}"; }
name() { echo "$(basename "$(dirname "$1")")/$(basename "$1")"; }

declare -A cell ratios
for round in $(seq "$rounds"); do
  for bin in "$@"; do
    r=$(measure_deck "$bin") || exit 1
    IFS='|' read -r idle play wave mp3 <<<"$r"
    cell[$round,$bin]=$r
  done
  idle_floor=$(floor idle 48000)
  rec_floor=$(floor rec 48000)
  mp3_floor=$(floor mp3 48000 128 "$(winepath -w "$rig/rec")\\floor.mp3")
  play_floor=$(floor play 44100)
  cell[$round,floor]="$idle_floor|$play_floor|$rec_floor|$mp3_floor"
  for bin in "$@"; do
    IFS='|' read -r idle play wave mp3 <<<"${cell[$round,$bin]}"
    ratios[$round,$bin]="$(ratio "$play" "$play_floor") $(ratio "${wave%% (*}" "$rec_floor") $(ratio "${mp3%% (*}" "$rec_floor") $(ratio "${mp3%% (*}" "$mp3_floor")"
  done
done

printf 'deck CPU share of one core over %s s per figure, %s round(s) (Wine %s); each cell: deck / deck + wineserver\n' \
  "$secs" "$rounds" "$(wine --version)"
printf '  %-22s %-18s %-18s %-30s %-30s\n' "" idle "playing MP3" "recording WAVE 48k" "recording MP3 48k"
for round in $(seq "$rounds"); do
  for bin in "$@"; do
    IFS='|' read -r idle play wave mp3 <<<"${cell[$round,$bin]}"
    printf '  %-22s %-18s %-18s %-30s %-30s\n' "$round: $(name "$bin")" "$(fmt "$idle")" "$(fmt "$play")" "$(fmt "$wave")" "$(fmt "$mp3")"
  done
  IFS='|' read -r idle_floor play_floor rec_floor mp3_floor <<<"${cell[$round,floor]}"
  printf '  %-22s %-18s %-18s %-30s %-30s\n' "$round: floor (minwave)" "$(fmt "$idle_floor")" "$(fmt "$play_floor") wave" \
    "$(fmt "$rec_floor") rec" "$(fmt "$mp3_floor") rec+enc"
done
echo "ratio to the floor (deck + wineserver / minwave + wineserver); floors: playing MP3 against the WAVE player,"
echo "recording WAVE against the recorder, recording MP3 against the recorder and against the recorder + encoder"
echo "(idle has no ratio: its goal is a share of a core, and the floor row shows what Wine costs around a program"
echo "that only sleeps):"
printf '  %-22s %-18s %-18s %-30s %-30s\n' "" "" "playing MP3" "recording WAVE 48k" "recording MP3 48k (rec / rec+enc)"
for bin in "$@"; do
  sums="0 0 0 0"
  for round in $(seq "$rounds"); do
    read -r p w m e <<<"${ratios[$round,$bin]}"
    printf '  %-22s %-18s %-18s %-30s %-30s\n' "$round: $(name "$bin")" "" "${p}x" "${w}x" "${m}x / ${e}x"
    sums=$(awk -v s="$sums" -v r="${ratios[$round,$bin]}" 'BEGIN { split(s, a); split(r, b); for (i = 1; i <= 4; ++i) printf "%s ", a[i] + b[i] }')
  done
  read -r p w m e <<<"$(awk -v s="$sums" -v n="$rounds" 'BEGIN { split(s, a); for (i = 1; i <= 4; ++i) printf "%.2f ", a[i] / n }')"
  printf '  %-22s %-18s %-18s %-30s %-30s\n' "mean: $(name "$bin")" "" "${p}x" "${w}x" "${m}x / ${e}x"
done

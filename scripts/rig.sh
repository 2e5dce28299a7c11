#!/usr/bin/env bash
# The headless rig for running the deck under Wine: a virtual X display, a private PulseAudio
# server whose devices carry the interface's name, a drainer that keeps the input pipe flowing
# and a real-time feeder. Everything it starts is recorded by PID in the rig folder and stopped
# again one by one.
#
#   scripts/rig.sh start DIR [--no-x] [--no-pulse] [--display :N] [--depth BITS] [--dpi N]
#       Makes DIR and prints the environment to use (also written to DIR/env, sourceable):
#       DISPLAY, XDG_RUNTIME_DIR, PULSE_SERVER, PULSE_LATENCY_MSEC, RIG_DIR. --depth sets the virtual display's
#       colour depth (8, 16 or 24; 24 when not given), --dpi its resolution (96 when not given).
#   scripts/rig.sh stop DIR
#
# Devices (44100 Hz, s16le, stereo):
#   "Kelvara Vornex USB": source vin  (pipe source fed from DIR/vin.fifo), sink vout (null sink)
#   "Generic USB Audio":  source vin2 (pipe source, DIR/vin2.fifo),       sink vout2 (null sink)
# The feeder writes silence in real time, and the contents of any DIR/feed/*.raw file in name
# order (each removed once played): tests drop PCM there to "play" into the deck's input.
# Record what the deck plays with: parec -d vout.monitor --latency-msec=20 --raw --format=s16le --rate=44100
# --channels=2, and start playing only once its file has data (the recorder takes a moment to go live).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

die() { echo "rig: $*" >&2; exit 1; }

# Each process is recorded with its start time, so a stop never signals a stranger that took
# over a PID of a long-gone rig.
record_pid() { echo "$2 $1 $(start_time "$2")" >>"$dir/pids"; }

start_time() {  # the 22nd field of /proc/PID/stat, counted after the command's parentheses
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  set -- $stat
  echo "${20}"
}

# A process counts as running while it is not a zombie: the rig's processes outlive the shell
# that started them, and whoever adopts them may never reap them, so kill -0 alone would still
# succeed on one that has ended.
running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ] && [ "${stat%% *}" != X ]
}

wait_for() {  # wait_for TIMEOUT_S COMMAND...: polls until the command succeeds
  local limit=$(( $(date +%s%N) / 1000000 + $1 * 1000 )); shift
  until "$@" >/dev/null 2>&1; do
    [ $(( $(date +%s%N) / 1000000 )) -lt $limit ] || return 1
    sleep 0.05
  done
}

free_display() {
  local n
  for n in $(seq 77 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo ":$n"; return; }
  done
  return 1
}

find_feeder() {
  local c
  for c in "${QD_FEEDER:-}" "$top/build/native/tests/e2e/qd_rig_feeder" "$top"/build/*/tests/e2e/qd_rig_feeder; do
    [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return; }
  done
  return 1
}

start() {
  local use_x=1 use_pulse=1 display="" depth=24 dpi=96
  while [ $# -gt 0 ]; do
    case "$1" in
      --no-x) use_x=0 ;;
      --no-pulse) use_pulse=0 ;;
      --display) display="$2"; shift ;;
      --depth) depth="$2"; shift ;;
      --dpi) dpi="$2"; shift ;;
      *) die "unknown option $1" ;;
    esac
    shift
  done
  mkdir -p "$dir" "$dir/feed" && : >"$dir/pids" || die "cannot make $dir"
  mkdir -p -m700 "$dir/xdg"
  local xdisplay="${DISPLAY:-}"
  if [ $use_x = 1 ]; then
    # Another rig may take the same free number at the same moment: then our server dies and
    # the next number is tried.
    local attempt xpid up=0
    for attempt in 1 2 3 4 5; do
      xdisplay=${display:-$(free_display)} || die "no free display"
      Xvfb "$xdisplay" -screen 0 "1280x1024x$depth" -dpi "$dpi" -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
      xpid=$!
      if wait_for 10 xdpyinfo -display "$xdisplay" && kill -0 "$xpid" 2>/dev/null; then
        record_pid xvfb "$xpid"; up=1; break
      fi
      kill "$xpid" 2>/dev/null
      [ -z "$display" ] || break
    done
    [ $up = 1 ] || die "Xvfb did not come up"
    # A desktop's session loads X resources; a bare Xvfb has none, and then Xlib looks for
    # ~/.Xdefaults again at every lookup (Wine's font rendering makes two per text drawn). One
    # resource nobody reads gives it a database to keep; -noreset keeps it (and the server's
    # state) when the last client has gone.
    xprop -display "$xdisplay" -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "QuaverlyRig.display: virtual
" >/dev/null 2>&1
  fi
  local pulse_server="unix:/nonexistent"
  if [ $use_pulse = 1 ]; then
    cat >"$dir/rig.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/xdg/pulse/native
load-module module-pipe-source source_name=vin file=$dir/vin.fifo format=s16le rate=44100 channels=2 source_properties="device.description='Kelvara Vornex USB'"
load-module module-null-sink sink_name=vout rate=44100 channels=2 sink_properties="device.description='Kelvara Vornex USB'"
load-module module-pipe-source source_name=vin2 file=$dir/vin2.fifo format=s16le rate=44100 channels=2 source_properties="device.description='Generic USB Audio'"
load-module module-null-sink sink_name=vout2 rate=44100 channels=2 sink_properties="device.description='Generic USB Audio'"
set-default-source vin
set-default-sink vout
PA
    mkdir -p -m700 "$dir/xdg/pulse"
    XDG_RUNTIME_DIR="$dir/xdg" HOME="$dir" pulseaudio -n -F "$dir/rig.pa" --exit-idle-time=-1 --daemonize=no \
      --use-pid-file=no --disallow-module-loading=no --log-target=file:"$dir/pulse.log" >/dev/null 2>&1 &
    record_pid pulseaudio $!
    pulse_server="unix:$dir/xdg/pulse/native"
    wait_for 15 env PULSE_SERVER="$pulse_server" pactl info || die "PulseAudio did not come up (see $dir/pulse.log)"
    wait_for 5 test -p "$dir/vin.fifo" || die "input pipe missing"
    # Keep both pipe sources draining, so no stale audio waits for the first recorder.
    for src in vin vin2; do
      PULSE_SERVER="$pulse_server" parec -d "$src" --raw >/dev/null 2>&1 &
      record_pid "parec-$src" $!
    done
    local feeder
    if feeder=$(find_feeder); then
      "$feeder" "$dir/vin.fifo" "$dir/feed" >"$dir/feeder.log" 2>&1 &
      record_pid feeder $!
      "$feeder" "$dir/vin2.fifo" "" >"$dir/feeder2.log" 2>&1 &
      record_pid feeder2 $!
    else
      echo "rig: no feeder built; the input devices deliver nothing" >&2
    fi
  fi
    # Wine 8 asks the sound server to hold no more than 100 ms of recorded audio for it and 30 ms
  # of audio to play. With both cores busy its audio thread is now and then late by more than
  # that: the server then drops input (0.4-2 % of a run) and the output runs dry. A client
  # latency lifts the input limit (the server then holds what a late reader has not taken yet)
  # and gives the output 60 ms in hand. QD_PULSE_LATENCY_MSEC overrides it; empty: Wine's own.
  local latency="${QD_PULSE_LATENCY_MSEC-60}"
  cat >"$dir/env" <<ENV
export RIG_DIR='$dir'
export DISPLAY='$xdisplay'
export XDG_RUNTIME_DIR='$dir/xdg'
export PULSE_SERVER='$pulse_server'
export PULSE_LATENCY_MSEC='$latency'
ENV
  cat "$dir/env"
}

stop() {
  [ -f "$dir/pids" ] || return 0
  # Newest first: feeders and drainers are asked before the sound server, the sound server before X.
  # All are asked at once and then waited for together (2 s at most), so a stop takes as long
  # as the slowest process rather than the sum of them.
  local pid name started asked=()
  while read -r pid name started; do
    running "$pid" || continue
    [ -z "$started" ] || [ "$(start_time "$pid")" = "$started" ] || continue
    kill "$pid" 2>/dev/null && asked+=("$pid")
  done < <(tac "$dir/pids")
  local limit=$(( $(date +%s%N) / 1000000 + 2000 )) left
  while :; do
    left=()
    for pid in "${asked[@]}"; do running "$pid" && left+=("$pid"); done
    [ ${#left[@]} -gt 0 ] && [ $(( $(date +%s%N) / 1000000 )) -lt $limit ] || break
    sleep 0.05
  done
  for pid in "${left[@]}"; do kill -9 "$pid" 2>/dev/null; done
  : >"$dir/pids"
}

cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || die "usage: rig.sh start|stop DIR [options]"
shift 2
dir=$(mkdir -p "$dir" && cd "$dir" && pwd)
case "$cmd" in
  start) start "$@" ;;
  stop) stop ;;
  *) die "unknown command $cmd" ;;
esac

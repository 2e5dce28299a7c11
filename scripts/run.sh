#!/usr/bin/env bash
# Builds the deck and runs it under Wine with a private sound server whose devices carry the
# interface's name, on $DISPLAY when set, otherwise on a virtual display (a screenshot of the
# running deck is taken and its path printed). The deck keeps running until it is closed:
# Ctrl+C here closes it and stops everything this script started.
#
#   scripts/run.sh [--demo] [FILE...] [/DOCKING]
#     FILE    sound or playlist files to open; Unix paths are handed over as Windows paths
#     --demo  open the demo list made at build time (two tones and a short MP3)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
log="$top/build/run-build.log"
mkdir -p "$top/build"

# Setup and build, with the compiler's output in a log and one progress line here.
build() {
  : >"$log"
  printf 'run: checking packages...'
  if ! "$top/scripts/setup.sh" >>"$log" 2>&1; then
    printf '\nrun: package setup failed; the end of %s:\n' "$log"; tail -n 20 "$log"; return 1
  fi
  "$top/scripts/build.sh" --run 2>&1 | tee -a "$log" | while IFS= read -r line; do
    case "$line" in \[*/*\]*) printf '\rrun: building %-12s' "${line%%]*}]" ;; esac
  done
  if [ "${PIPESTATUS[0]}" -ne 0 ]; then
    printf '\nrun: the build failed; the end of %s:\n' "$log"; grep -E 'error|FAILED' "$log" | tail -n 20
    return 1
  fi
  printf '\rrun: build up to date (log: %s)\n' "$log"
}
build || exit 1

bin="$top/build/windows/bin"
demo="$top/build/native/demo"
rig="$top/build/run-rig"
shot="$top/build/run-rig/deck.png"
export QD_FEEDER="$top/build/native/tests/e2e/qd_rig_feeder"
export WINEPREFIX="$top/build/run-wineprefix"
# shellcheck disable=SC1091
. "$top/scripts/wine-prefix.sh"

# Ctrl+C in the terminal goes to every process of its foreground group, and the sound server,
# the X server and every Wine process (the Wine server too) end on it, taking the deck down before
# it could save its list. So everything started from here runs in a session of its own, away from
# the terminal, and only this script sees Ctrl+C: it then asks the deck to close, as a user would.
detached() { setsid -w "$@" </dev/null; }

# What an earlier run may have left behind: its rig, and Wine processes of our prefix (a deck
# still running there would take our files and end our start at once).
"$top/scripts/rig.sh" stop "$rig" >/dev/null 2>&1
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
virtual=1
if [ -n "${DISPLAY:-}" ]; then
  virtual=0
  detached "$top/scripts/rig.sh" start "$rig" --no-x >/dev/null || exit 1
else
  detached "$top/scripts/rig.sh" start "$rig" >/dev/null || exit 1
fi
# shellcheck disable=SC1091
. "$rig/env"
deck=""
finish() {
  trap '' INT TERM
  if [ -n "$deck" ] && kill -0 "$deck" 2>/dev/null; then
    # Stop first (a deck refuses to close while it records), then close: the deck saves its
    # list and settings on the way out.
    wine "$bin/wintool.exe" send Vornex_Deck_Controller 0x0111 2018 0 >/dev/null 2>&1
    wine "$bin/wintool.exe" close Vornex_Deck_Controller >/dev/null 2>&1
    for _ in $(seq 100); do kill -0 "$deck" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$deck" 2>/dev/null; then
      echo "run: the deck did not close within 10 s; ending it (its list was not saved)"
      wine "$bin/wintool.exe" boxes 2>/dev/null | sed 's/^/run:   open box: /'
      kill "$deck" 2>/dev/null
    else
      echo "run: the deck closed; its list and settings are saved"
    fi
  fi
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  "$top/scripts/rig.sh" stop "$rig" >/dev/null
}
trap finish EXIT
trap 'echo; echo "run: closing the deck"; exit 130' INT TERM

# The prefix as the installer leaves it (the deck's registry keys as ordinary keys, so settings
# last), set for the display in use: on the virtual display no window manager runs.
prefix_options=(--keys)
[ $virtual = 1 ] || prefix_options+=(--managed)
detached "$top/scripts/wine-prefix.sh" "${prefix_options[@]}" || exit 1
# One Wine server for the whole run, started here in its own session, so no Wine program
# started later ties it to the terminal (once the one that set the prefix up has gone).
wineserver -w 2>/dev/null
detached wineserver -p
# Arguments: host paths become Windows paths (Z:\...); switches and Windows paths pass as given.
# (winepath would make a missing prefix silently, so this comes after the prefix is made.)
args=()
for a in "$@"; do
  if [ "$a" = "--demo" ]; then
    for f in "$demo"/*; do [ -f "$f" ] && args+=("$(winepath -w "$f" 2>/dev/null)"); done
  elif [ -e "$a" ]; then
    args+=("$(winepath -w "$(realpath "$a")" 2>/dev/null)")
  else
    args+=("$a")
  fi
done

# Wine has no USB host-controller interface: the deck talks to a simulated host with a Vornex
# device attached (edit it while the deck runs with build/native/cli/vornexsim/vornexsim).
export QD_USB_SIM="${QD_USB_SIM:-$top/build/run-usb-host.txt}"
[ -f "$QD_USB_SIM" ] || "$top/build/native/cli/vornexsim/vornexsim" "$QD_USB_SIM" init >/dev/null

setsid wine "$bin/Movello.exe" "${args[@]}" </dev/null >"$rig/deck.log" 2>&1 &
deck=$!
if ! wine "$bin/wintool.exe" wait Vornex_Deck_Controller "Quaverly Deck" 60000 visible >/dev/null; then
  echo "run: the deck did not show its window (see $rig/deck.log)" >&2
  wine "$bin/wintool.exe" boxes >&2
  exit 1
fi
if [ $virtual = 1 ]; then
  sleep 1  # let the face paint once before the picture is taken
  import -display "$DISPLAY" -window root "$shot" && echo "run: screenshot of the running deck: $shot"
fi
# The sound server is the rig's own, whatever the display: the deck's output goes to its
# virtual device whether or not anything plays.
echo "run: the deck's sound goes to the rig's virtual device \"Kelvara Vornex USB\"; to hear it:"
echo "     PULSE_SERVER=$PULSE_SERVER parec -d vout.monitor | aplay -f cd"
[ $# -eq 0 ] && echo "run: no files given; try: scripts/run.sh --demo"
echo "run: Quaverly Deck is running. Press Ctrl+C to close it."
echo "run: drive it from another terminal with: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX wine $bin/qdctl.exe status"
wait "$deck"
code=$?
deck=""
echo "run: Quaverly Deck ended with code $code"
exit $code

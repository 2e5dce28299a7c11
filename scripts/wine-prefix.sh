#!/usr/bin/env bash
# Prepares the Wine prefix the deck runs in (WINEPREFIX from the environment): made once with
# wineboot (or upgraded, when it was made before Wine's 32-bit half was installed), Wine's own
# fonts copied in, and the window-manager setting for the display in use. The one place that
# does this: for scripts/run.sh, scripts/wine-run.sh (ctest's Windows tests), the end-to-end rig
# (tests/e2e/rig.cpp) and the benchmarks.
#   scripts/wine-prefix.sh [--managed] [--keys]
#     --managed  a real desktop with a window manager (the default is the rig's bare display)
#     --keys     also what the installer does (scripts/wine-install.sh --keys)
# Sourced, it exports the Wine environment every program of the rig runs with and defines
# prepare_prefix, which takes the same options.
export WINEDEBUG="${WINEDEBUG:--all}"
# Stops wineboot from offering to install Mono and Gecko.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

prepare_prefix() {
  local managed=0 keys=0 top
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  while [ $# -gt 0 ]; do
    case "$1" in
      --managed) managed=1 ;;
      --keys) keys=1 ;;
      *) echo "wine-prefix: unknown option $1" >&2; return 2 ;;
    esac
    shift
  done
  [ -n "${WINEPREFIX:-}" ] || { echo "wine-prefix: WINEPREFIX is not set" >&2; return 2; }
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix: making $WINEPREFIX (once, about a minute)" >&2
    mkdir -p "$WINEPREFIX"
    # In a session of its own: a Ctrl+C meant for the caller must not cut the prefix in half.
    setsid -w wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w 2>/dev/null
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: wineboot failed" >&2; return 1; }
  elif [ -x /usr/lib/wine/wine ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    # Made by a 64-bit-only Wine: once the 32-bit half (wine32) is installed, Wine starts every
    # program with its 32-bit loader, which fails with "could not load kernel32.dll" until the
    # prefix has its 32-bit system folder (syswow64). An update by the 64-bit loader adds it and
    # keeps the rest; without the time stamp Wine would take the prefix for up to date.
    echo "wine-prefix: adding the 32-bit half to $WINEPREFIX (once, about a minute)" >&2
    # A server left by a failed 32-bit start would serve the update too, and it then adds nothing.
    wineserver -w 2>/dev/null
    rm -f "$WINEPREFIX/.update-timestamp"
    local wine64=/usr/lib/wine/wine64
    [ -x "$wine64" ] || wine64=wine64
    setsid -w "$wine64" wineboot -u </dev/null >/dev/null 2>&1
    wineserver -w 2>/dev/null
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] ||
      { echo "wine-prefix: wineboot -u did not add syswow64" >&2; return 1; }
  fi
  # Wine finds its own fonts (fonts-wine) only in the prefix: Marlett draws the caption buttons.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" &&
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # The rig's display has no window manager: Wine must not wait for one (a hidden window would
  # otherwise hold the deck's exit for two seconds). On a real desktop the manager takes over.
  # The setting is read from the saved registry first: starting Wine only to find it there
  # already costs every test and run a few seconds on a loaded machine.
  local x11='HKCU\Software\Wine\X11 Driver' now
  now=$(awk '/^\[/ { inkey = ($0 ~ /^\[Software\\\\Wine\\\\X11 Driver\]/) }
             inkey && /^"Managed"=/ { print; exit }' "$WINEPREFIX/user.reg" 2>/dev/null)
  if [ $managed = 1 ]; then
    [ -z "$now" ] || wine reg delete "$x11" /v Managed /f </dev/null >/dev/null 2>&1
  elif [ "$now" != '"Managed"="N"' ]; then
    wine reg add "$x11" /v Managed /d N /f </dev/null >/dev/null 2>&1 ||
      { echo "wine-prefix: could not set $x11 Managed" >&2; return 1; }
  fi
  [ $keys = 0 ] || "$top/scripts/wine-install.sh" --keys </dev/null
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  prepare_prefix "$@"
fi

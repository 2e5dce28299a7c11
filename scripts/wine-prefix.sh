#!/usr/bin/env bash
# Prepares the Wine prefix the deck runs in (WINEPREFIX from the environment): made once with
# wineboot, Wine's own fonts copied in, and the window-manager setting for the display in use.
# The one place that does this for scripts/run.sh and the benchmarks.
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
  fi
  # Wine finds its own fonts (fonts-wine) only in the prefix: Marlett draws the caption buttons.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" &&
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # The rig's display has no window manager: Wine must not wait for one (a hidden window would
  # otherwise hold the deck's exit for two seconds). On a real desktop the manager takes over.
  local x11='HKCU\Software\Wine\X11 Driver'
  if [ $managed = 1 ]; then
    wine reg delete "$x11" /v Managed /f </dev/null >/dev/null 2>&1
  else
    wine reg add "$x11" /v Managed /d N /f </dev/null >/dev/null 2>&1
  fi
  [ $keys = 0 ] || "$top/scripts/wine-install.sh" --keys </dev/null
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  prepare_prefix "$@"
fi

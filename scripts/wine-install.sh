#!/usr/bin/env bash
# What the deck's installer does to a Wine prefix (WINEPREFIX from the environment). With
# --keys: creates the deck's two registry keys as ordinary keys when they are missing (a key the
# program creates itself would be volatile, and Wine drops volatile keys when its server ends),
# parents first. The deck itself needs no installation: it runs from a plain folder.
set -euo pipefail
reg() { wine reg "$@" >/dev/null 2>&1; }
if [ "${1:-}" = "--keys" ]; then
  base='HKCU\SOFTWARE\Kelvara\Vornex USB\Deck Controller'
  for key in 'HKCU\SOFTWARE\Kelvara' 'HKCU\SOFTWARE\Kelvara\Vornex USB' "$base" "$base\\Settings" "$base\\ListInformation"; do
    reg query "$key" || reg add "$key" /f
  done
fi

#!/usr/bin/env bash
# What the deck's installer does to a Wine prefix (WINEPREFIX from the environment):
#  - registers the extension of the silence files ("$$$") as wave audio for MCI, so the
#    track-space window can open them;
#  - with --keys: creates the deck's two registry keys as ordinary keys when they are missing
#    (a key the program creates itself would be volatile, and Wine drops volatile keys when its
#    server ends), parents first.
set -euo pipefail
reg() { wine reg "$@" >/dev/null 2>&1; }
mci='HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI Extensions'
reg query "$mci" /v '$$$' || reg add "$mci" /v '$$$' /t REG_SZ /d WaveAudio /f
if [ "${1:-}" = "--keys" ]; then
  base='HKCU\SOFTWARE\Kelvara\Vornex USB\Deck Controller'
  for key in 'HKCU\SOFTWARE\Kelvara' 'HKCU\SOFTWARE\Kelvara\Vornex USB' "$base" "$base\\Settings" "$base\\ListInformation"; do
    reg query "$key" || reg add "$key" /f
  done
fi

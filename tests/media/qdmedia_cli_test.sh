#!/bin/sh
# qdmedia end to end on files made by sox and lame: output keys, round trips and exit codes.
# usage: qdmedia_cli_test.sh path/to/qdmedia
set -u
Q=$1
T=$(mktemp -d)
trap 'umount "$T/full" 2>/dev/null; rm -rf "$T"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() {  # expect "output" "line"
  printf '%s\n' "$1" | grep -qxF -- "$2" || fail "missing '$2' in: $1"
}

sox -n -r 48000 -b 16 -c 1 "$T/a.wav" synth 2 sine 440 || fail "sox"
out=$("$Q" probe "$T/a.wav") || fail "probe exit"
expect "$out" "kind=0"
expect "$out" "sample_rate=48000"
expect "$out" "length_ms=2000"
expect "$out" "play_kind=1"
expect "$out" "title_container=1"
expect "$out" "format_text= PCM, 48kHz, 16bit, Mono "

"$Q" set "$T/a.wav" title "Back\\slash é" >/dev/null || fail "set title"
out=$("$Q" get "$T/a.wav" title) || fail "get title"
expect "$out" 'value=Back\\slash \xC3\xA9'
out=$("$Q" get "$T/a.wav" album); rc=$?
[ $rc -eq 1 ] || fail "absent field should exit 1, got $rc"
expect "$out" "found=0"

sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet - "$T/b.mp3" || fail "lame"
"$Q" id3-set "$T/b.mp3" artist "Someone" >/dev/null || fail "id3-set"
out=$("$Q" id3-get "$T/b.mp3" artist) || fail "id3-get"
expect "$out" "value=Someone"
ffprobe -v error -show_entries format_tags=artist -of default=nw=1:nk=1 "$T/b.mp3" | grep -qx Someone || fail "ffprobe artist"
"$Q" set-raw "$T/b.mp3" status 00160000 >/dev/null || fail "set-raw status"
out=$("$Q" get "$T/b.mp3" status 2)
expect "$out" 'value=\x00\x16\x00\x00'
# The status went into a trailer before the tag, so the tag still reads and the trailer reduces.
out=$("$Q" id3-get "$T/b.mp3" artist) || fail "id3-get after the status"
expect "$out" "value=Someone"
"$Q" reduce-trailer "$T/b.mp3" >/dev/null || fail "reduce-trailer"
out=$("$Q" get "$T/b.mp3" status 2)
expect "$out" 'value=\x00\x16\x00\x00'
"$Q" reduce-trailer "$T/b.mp3" >/dev/null || fail "reduce-trailer again"
sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet - "$T/c.mp3" || fail "lame"
"$Q" id3-set "$T/c.mp3" title "Tagged" >/dev/null || fail "id3-set"
out=$("$Q" reduce-trailer "$T/c.mp3"); [ $? -eq 1 ] || fail "reduce-trailer without a trailer before the tag should exit 1"
expect "$out" "failure=refused"

# divide and combine: the new name gets the source's extension, the messages come as text.
out=$("$Q" divide "$T/a.wav" "$T/part.mp3" 500 1500) || fail "divide exit"
expect "$out" "$T/part.wav created."
"$Q" probe "$T/part.wav" | grep -qx "length_ms=1000" || fail "divided length"
err=$("$Q" divide "$T/a.wav" "$T/part.wav" 500 1500 2>&1 >/dev/null); [ $? -eq 1 ] || fail "existing destination should exit 1"
expect "$err" "$T/part.wav This file already exists. Continue? [no]"
"$Q" divide "$T/a.wav" "$T/part.wav" 0 1500 --yes >/dev/null 2>&1 || fail "divide --yes over an existing file"
"$Q" probe "$T/part.wav" | grep -qx "length_ms=1000" || fail "overwritten length"
err=$("$Q" divide "$T/a.wav" "$T/x.wav" 900 900 2>&1); [ $? -eq 1 ] || fail "empty cut should exit 1"
expect "$err" "The file size setting is not correct."
out=$("$Q" combine "$T/a.wav" "$T/part.wav" "$T/both") || fail "combine exit"
expect "$out" "$T/both.wav created."
"$Q" probe "$T/both.wav" | grep -qx "length_ms=3000" || fail "combined length"
err=$("$Q" combine "$T/a.wav" "$T/b.mp3" "$T/mixed.wav" 2>&1); [ $? -eq 1 ] || fail "mixed formats should exit 1"
expect "$err" "The combined file has to be the same format."
[ ! -e "$T/mixed.wav" ] || fail "a refused combine wrote a file"
"$Q" divide "$T/a.wav" "$T/y.wav" 1 >/dev/null 2>&1; [ $? -eq 2 ] || fail "divide without Out should exit 2"

# Under a file-size limit a title that moves the audio fails and is undone: the tool is not
# killed, the file is as it was and nothing is left beside it. A copy left by a write that
# died is cleared by the next write to the folder.
mkdir "$T/lim" && sox -n -r 8000 -b 16 -c 1 "$T/lim/f.wav" synth 4 sine 440 || fail "sox"
"$Q" set "$T/lim/f.wav" artist "B" >/dev/null || fail "set artist"
"$Q" set "$T/lim/f.wav" title "A" >/dev/null || fail "set title behind the artist"
cp "$T/lim/f.wav" "$T/orig.wav"
out=$(ulimit -f 40; "$Q" set "$T/lim/f.wav" artist "A far longer artist name"); rc=$?
[ $rc -eq 3 ] || fail "a write past the size limit should exit 3 (no room), got $rc"
expect "$out" "failure=no_room"
cmp -s "$T/lim/f.wav" "$T/orig.wav" || fail "the limited write changed the file"
[ "$(ls "$T/lim")" = "f.wav" ] || fail "files left beside: $(ls "$T/lim")"
printf 'half a copy' >"$T/lim/~qdtitle00.tmp"
"$Q" set "$T/lim/f.wav" artist "A far longer artist name" >/dev/null || fail "set after a dead write"
[ "$(ls "$T/lim")" = "f.wav" ] || fail "the dead write's copy stayed: $(ls "$T/lim")"
# Divide and combine say why they failed, with an exit code for each reason.
err=$(ulimit -f 40; "$Q" divide "$T/lim/f.wav" "$T/lim/part.wav" 0 4000 2>&1); rc=$?
[ $rc -eq 3 ] || fail "a divide past the size limit should exit 3, got $rc"
expect "$err" "Error. (no room)"
[ "$(ls "$T/lim")" = "f.wav" ] || fail "the failed divide left: $(ls "$T/lim")"
{ head -c 12 "$T/a.wav"; printf 'LIST\004\000\000\000INFO'; tail -c +13 "$T/a.wav"; } >"$T/listfirst.wav"
err=$("$Q" combine "$T/listfirst.wav" "$T/a.wav" "$T/odd.wav" 2>&1); rc=$?
[ $rc -eq 6 ] || fail "a join of a file laid out otherwise should exit 6, got $rc"
expect "$err" "Error. (not a sound file)"
"$Q" 2>&1 | grep -q "3 no room" || fail "the exit codes are not in the usage"

# A full file system (a small tmpfs; only where this test may mount one): a title that needs
# one more block and a divide both fail with "no room", leaving everything as it was.
if [ "$(id -u)" = 0 ] && mkdir "$T/full" && mount -t tmpfs -o size=1m tmpfs "$T/full" 2>/dev/null; then
  sox -n -r 8000 -b 16 -c 1 "$T/full/f.wav" synth 0.50925 sine 440 || fail "sox"  # 8192 bytes: whole blocks
  [ "$(wc -c <"$T/full/f.wav")" -eq 8192 ] || fail "not 8192 bytes"
  cp "$T/full/f.wav" "$T/f8k.wav"
  cat /dev/zero >"$T/full/filler" 2>/dev/null
  out=$("$Q" set "$T/full/f.wav" title "Full"); rc=$?
  [ $rc -eq 3 ] || fail "a title on a full disk should exit 3, got $rc"
  expect "$out" "failure=no_room"
  cmp -s "$T/full/f.wav" "$T/f8k.wav" || fail "the title on a full disk changed the file"
  err=$("$Q" divide "$T/full/f.wav" "$T/full/part.wav" 0 400 2>&1); rc=$?
  [ $rc -eq 3 ] || fail "a divide on a full disk should exit 3, got $rc"
  expect "$err" "Error. (no room)"
  [ "$(ls "$T/full")" = "$(printf 'f.wav\nfiller')" ] || fail "the full disk holds: $(ls "$T/full")"
  umount "$T/full"
fi

"$Q" probe "$T/missing.wav" >/dev/null; [ $? -eq 1 ] || fail "missing file should exit 1"
"$Q" get "$T/a.wav" nosuchfield >/dev/null 2>&1; [ $? -eq 2 ] || fail "bad field should exit 2"
"$Q" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments should exit 2"
echo "qdmedia cli: ok"

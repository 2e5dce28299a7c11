#!/usr/bin/env bash
# Mutation check: puts plausible one-line faults (scripts/mutations.txt) into a scratch copy of
# the tree one at a time, rebuilds the native build incrementally and runs the native unit tests
# (not the end-to-end ones, which need Wine). A fault that every test lets through "survives":
# a place where a real bug would reach users unnoticed.
#
#   scripts/mutate.sh [-n] [-r REV] [-b SUITES] [-l LIST] [-k WORD]
#     -r  mutate the tree as committed at REV (say, to score the tests of an older commit)
#     -b  also score the tests without the GoogleTest suites SUITES (a filter such as
#         "NewSuite*:OtherSuite*"): what new tests add, measured in one run
#     -k  only the mutations whose line contains WORD
#     -n  only check that every mutation's text is still found once (no build)
#
# The scratch copy and its build live in $QD_MUTATE_DIR (default /tmp/qd-mutate-<user>-<tree>)
# and are kept between runs, so a second run only rebuilds what changed. CPU-heavy: run it with
# nice on a shared machine. Exit status: 0 when every mutation was caught, 1 otherwise, 2 when a
# line is stale (its text is not found exactly once: checked for every line before any build).
set -uo pipefail
# Everything runs from main, read whole before it starts, so editing this script or the list
# while a run is under way does not disturb the run.
main() {
top=$(cd "$(dirname "$0")/.." && pwd)
list="$top/scripts/mutations.txt"
only=""
dry=0
rev=""
newer=""
while getopts "nr:b:l:k:" opt; do
  case $opt in
  b) newer=$OPTARG ;;
  r) rev=$OPTARG ;;
  n) dry=1 ;;
  l) list=$OPTARG ;;
  k) only=$OPTARG ;;
  *) echo "usage: $0 [-n] [-r REV] [-b SUITES] [-l LIST] [-k WORD]" >&2; exit 2 ;;
  esac
done
scratch=${QD_MUTATE_DIR:-/tmp/qd-mutate-$(id -un)-$(basename "$top")}
# A check of the list alone must not disturb a run that uses the scratch copy.
if [ "$dry" = 1 ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
fi
tree="$scratch/tree"
# Inside the copy, where the tree's own build would be, so ccache finds what the tree's build
# compiled already.
build="$tree/build/native"
report="$scratch/report.txt"
jobs=$(nproc)
# End-to-end tests drive Movello.exe under Wine: slow, and they need the Windows build.
unit_tests_exclude='e2e|wine'

mkdir -p "$scratch"
cp "$list" "$scratch/mutations.txt"
list="$scratch/mutations.txt"
# The tree as it stands (committed or not), or as committed at REV, copied over the scratch copy
# of the last run. Only files whose bytes differ are written, so the build below stays
# incremental from one run to the next and never trusts an object built from a mutated file.
stage="$scratch/stage"
rm -rf "$stage"
mkdir -p "$stage" "$tree"
if [ -n "$rev" ]; then
  git -C "$top" archive "$rev" | tar -xf - -C "$stage"
else
  (cd "$top" && git ls-files -co --exclude-standard -z | tar --null --ignore-failed-read -T - -cf - 2>/dev/null) |
    tar -xf - -C "$stage"
fi
python3 - "$stage" "$tree" <<'EOF'
import filecmp, os, shutil, sys
stage, tree = sys.argv[1:3]
for root, dirs, files in os.walk(tree, topdown=True):
    rel = os.path.relpath(root, tree)
    if rel == ".":
        dirs[:] = [d for d in dirs if d != "build"]
    for name in files:
        if not os.path.exists(os.path.join(stage, rel, name)):
            os.remove(os.path.join(root, name))
for root, dirs, files in os.walk(stage):
    out = os.path.join(tree, os.path.relpath(root, stage))
    os.makedirs(out, exist_ok=True)
    for name in files:
        src, dst = os.path.join(root, name), os.path.join(out, name)
        if not os.path.exists(dst) or not filecmp.cmp(src, dst, shallow=False):
            shutil.copyfile(src, dst)
            shutil.copymode(src, dst)
EOF
rm -rf "$stage"

# Applies or reverts one mutation with plain text replacement (no regular expressions).
# apply: exit 0 done, 3 the text is missing or not unique (stale).
edit() {
  python3 - "$@" <<'EOF'
import sys
mode, path, old, new, keep = sys.argv[1:6]
if mode == "revert":
    open(path, "wb").write(open(keep, "rb").read())
    sys.exit(0)
old = old.replace("\\n", "\n")
new = new.replace("\\n", "\n")
text = open(path, "rb").read().decode("utf-8")
if text.count(old) != 1:
    sys.exit(3)
open(keep, "wb").write(text.encode("utf-8"))
open(path, "wb").write(text.replace(old, new).encode("utf-8"))
EOF
}

# Fields of a list line: file, text, replacement, what a user would see.
field() { awk -F ' @@ ' -v n="$2" '{print $n}' <<<"$1"; }
selected() {
  case "$1" in '' | '#'*) return 1 ;; esac
  [ -z "$only" ] || [[ "$1" == *"$only"* ]]
}

# Every selected line must still find its text exactly once before anything is built: a stale
# line would otherwise count as neither caught nor survived and the score would look better
# than it is. Fix the line (the code moved), never the check.
stale=0
while IFS= read -r line <&3 || [ -n "$line" ]; do
  selected "$line" || continue
  file=$(field "$line" 1)
  if edit apply "$tree/$file" "$(field "$line" 2)" "$(field "$line" 3)" "$scratch/original"; then
    edit revert "$tree/$file" "" "" "$scratch/original"
    [ "$dry" = 1 ] && printf 'found     %-34s %s\n' "$file" "$(field "$line" 4)"
  else
    stale=$((stale + 1))
    printf 'STALE     %-34s %s\n' "$file" "$(field "$line" 4)" >&2
  fi
done 3<"$list"
if [ "$stale" -gt 0 ]; then
  echo "$stale stale mutation(s): the text is no longer found exactly once" >&2
  exit 2
fi
[ "$dry" = 1 ] && exit 0

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$tree" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# lld links the many test programs of each round several times faster than the default linker.
linker=()
command -v ld.lld >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
cmake -S "$tree" -B "$build" -G Ninja -DQD_BENCH=OFF "${launcher[@]}" "${linker[@]}" >"$scratch/configure.log" 2>&1 ||
  { echo "configure failed: $scratch/configure.log" >&2; exit 2; }

# Builds, then names in $scratch/changed the tests whose programs (or the files their command
# lines name) the build rewrote: the tests are deterministic, so the others cannot change their
# verdict.
build_all() {
  touch "$scratch/built-after"
  sleep 1
  cmake --build "$build" -j "$jobs" </dev/null >"$scratch/build.log" 2>&1 || return 1
  ctest --test-dir "$build" -E "$unit_tests_exclude" --show-only=json-v1 </dev/null |
    python3 -c '
import json, os, sys
since = os.path.getmtime(sys.argv[1])
for t in json.load(sys.stdin)["tests"]:
    if any(os.path.isfile(a) and os.path.getmtime(a) > since for a in t.get("command", [])):
        print(t["name"])
' "$scratch/built-after" >"$scratch/changed"
}
# All the unit tests (the first time), or only those the last build changed; $2 a GoogleTest
# filter.
run_tests() {
  local only=()
  if [ "${1:-}" = changed ]; then
    [ -s "$scratch/changed" ] || { echo "no test program changed" >"$scratch/test.log"; return 0; }
    only=(-R "^($(paste -sd'|' "$scratch/changed"))\$")
  fi
  GTEST_FILTER="${2:-*}" ctest --test-dir "$build" -E "$unit_tests_exclude" "${only[@]}" -j "$jobs" --timeout 300 --stop-on-failure \
    </dev/null >"$scratch/test.log" 2>&1
}

echo "building the unmutated tree in $build ..."
build_all || { echo "the unmutated tree does not build: $scratch/build.log" >&2; exit 2; }
run_tests || { echo "the unmutated tree fails its tests: $scratch/test.log" >&2; exit 2; }


: >"$report"
total=0 caught=0 survived=0 stale=0 broken=0 caught_before=0
# The list comes in on its own descriptor: the build and ctest must not eat its lines.
while IFS= read -r line <&3 || [ -n "$line" ]; do
  selected "$line" || continue
  file=$(field "$line" 1)
  old=$(field "$line" 2)
  new=$(field "$line" 3)
  what=$(field "$line" 4)
  if ! edit apply "$tree/$file" "$old" "$new" "$scratch/original"; then
    stale=$((stale + 1))
    printf 'STALE     %-34s %s\n' "$file" "$what" | tee -a "$report"
    continue
  fi
  if ! build_all; then
    broken=$((broken + 1))
    printf 'NO BUILD  %-34s %s\n' "$file" "$what" | tee -a "$report"
  else
    total=$((total + 1))
    verdict=SURVIVED
    if [ -n "$newer" ]; then
      if ! run_tests changed "-$newer"; then
        verdict=caught
        caught_before=$((caught_before + 1))
      elif ! run_tests changed "$newer"; then
        verdict="caught+"  # only by the newer suites
      fi
    elif ! run_tests changed; then
      verdict=caught
    fi
    if [ "$verdict" = SURVIVED ]; then
      survived=$((survived + 1))
      printf 'SURVIVED  %-34s %s\n' "$file" "$what" | tee -a "$report"
    else
      caught=$((caught + 1))
      by=$(grep -m1 -E 'Test +#[0-9]+: [A-Za-z0-9_]+ .*\*\*\*' "$scratch/test.log" | sed -E 's/.*: ([A-Za-z0-9_]+) .*/\1/')
      printf '%-9s %-34s %s  [%s]\n' "$verdict" "$file" "$what" "${by:-?}" | tee -a "$report"
    fi
  fi
  edit revert "$tree/$file" "" "" "$scratch/original"
done 3<"$list"

# Leave the scratch build matching the tree again for the next run.
build_all >/dev/null 2>&1 || true
summary="caught $caught of $total mutations"
[ "$total" -gt 0 ] && summary="$summary ($((100 * caught / total))%)"
[ -n "$newer" ] && summary="$summary; without $newer: $caught_before (caught+ marks the difference)"
[ "$stale" -gt 0 ] && summary="$summary; $stale stale (text not found once)"
[ "$broken" -gt 0 ] && summary="$summary; $broken did not build"
echo "$summary" | tee -a "$report"
echo "report: $report"
[ "$survived" -eq 0 ] && [ "$stale" -eq 0 ] && [ "$broken" -eq 0 ]
}
main "$@"
exit

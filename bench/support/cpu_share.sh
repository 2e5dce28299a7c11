# The benchmark scripts' timer (sourced): CPU used by processes under Wine, read from /proc, as
# a share of one core. bench/support/bench_timer.h is the same for the benchmark programs.

bench_hz=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks (fields 14 and 15 of its stat line); 0 when gone
  local s
  { [ -n "$1" ] && s=$(cat "/proc/$1/stat" 2>/dev/null); } || { echo 0; return; }
  s=${s##*) }  # the name in field 2 may hold blanks and parentheses: count from after it
  # shellcheck disable=SC2086
  set -- $s
  echo $((${12} + ${13}))
}

# The first process whose command line matches $1 and that runs in $WINEPREFIX. Wine starts a
# program given by its Unix path through "start.exe /exec", which waits for a console program:
# that launcher matches too and is passed over.
of_prefix() {
  local p
  for p in $(pgrep -f "$1"); do
    case "$(tr '\0' ' ' 2>/dev/null <"/proc/$p/cmdline")" in start.exe*) continue ;; esac
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}

# share SECONDS PID...: percent of one core the processes use together over SECONDS
share() {
  local secs=$1 before=0 after=0 p
  shift
  for p in "$@"; do before=$((before + $(cpu_ticks "$p"))); done
  sleep "$secs"
  for p in "$@"; do after=$((after + $(cpu_ticks "$p"))); done
  awk -v t=$((after - before)) -v hz="$bench_hz" -v s="$secs" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

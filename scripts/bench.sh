#!/usr/bin/env bash
# Runs the benchmark of a build twice: on Qt's offscreen platform, and on a real X server (the one
# in DISPLAY, or an Xvfb started here on a free display when DISPLAY is unset and Xvfb is
# installed); then times whole runs of the command line with no display against the same floors
# measured as whole processes, their peak memory taken by /usr/bin/time (Debian package time). The full-size set is made once in BUILD_DIR/bench-set.
# Extra arguments name the cases to run (all by default). Exits 1 when a figure misses its target,
# 2 when a run failed.
# Usage: scripts/bench.sh BUILD_DIR [CASE...]
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [CASE...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
bench="$build/bench/tarvik_bench"
if [ ! -x "$bench" ]; then
  echo "$bench is not built (run make build)" >&2
  exit 1
fi
set_dir="$build/bench-set"
tarvik="$build/tarvik"
worst=0

# Keeps the worst exit status.
at_least() {
  [ "$1" -gt "$worst" ] && worst=$1
  return 0
}

# Runs the bench with the given environment settings and keeps the worst exit status.
run_bench() {
  local status=0
  env "$@" "$bench" "$set_dir" ${cases[@]+"${cases[@]}"} || status=$?
  at_least "$status"
}

# The command line's cases, timed as whole runs: their floors and the most times their floor.
cli_cases=(cli-check cli-apply-aircraft-id cli-dry-run-aircraft-id)
declare -A cli_floor=([cli-check]=scan [cli-apply-aircraft-id]=scan+write [cli-dry-run-aircraft-id]=scan)
declare -A cli_target=([cli-check]=6 [cli-apply-aircraft-id]=3 [cli-dry-run-aircraft-id]=6)
cli_runs=5
memory_factor=1.25

# Sets args to the arguments of command-line case $1 on the set in folder $2.
cli_arguments() {
  local rule=(--if "Home AirPort=" --then "Aircraft ID=N###&&")
  case $1 in
    cli-check) args=(check "$2") ;;
    cli-apply-aircraft-id) args=(apply "${rule[@]}" "$2") ;;
    cli-dry-run-aircraft-id) args=(apply "${rule[@]}" --dry-run "$2") ;;
  esac
}

# The median of the numbers on standard input, in ms from ns.
median_ms() {
  sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] / 1e6 }'
}

# The peak memory of one run of "$@" with no display, in kB, taken by /usr/bin/time in a run of its
# own: a run under it takes longer, by more the more the program does, so no run is timed under it.
peak_kb() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/time -f %M -o "$work/kb" "$@" \
    >/dev/null 2>>"$work/err" || return 1
  tail -n 1 "$work/kb"
}

# Times "$@" as a whole process cli_runs times, its output to /dev/null, and prints the fastest
# run in ms (a floor is the best the machine did).
time_process() {
  local times=() i start end
  for i in $(seq "$cli_runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>>"$work/err" || return 1
    end=$(date +%s%N)
    times+=("$((end - start))")
  done
  printf '%s\n' "${times[@]}" | sort -n | head -n 1 | median_ms
}

# The floors, as whole processes on the same file: wc -l (scan); its bytes written to a new file
# beside it and pushed to the disk (write).
measure_cli_floors() {
  work=$(mktemp -d "$build/bench-cli.XXXXXX")
  cp "$set_dir/FlightPlans.txt" "$work/"
  scan_ms=$(time_process wc -l "$work/FlightPlans.txt")
  write_ms=$(time_process dd if="$work/FlightPlans.txt" of="$work/copy.txt" bs=1M conv=fsync status=none)
  base_kb=$(peak_kb "$tarvik" --version) || base_kb=0
  rm -rf "$work"
  echo "floors: scan (wc -l) $scan_ms ms, write (dd conv=fsync) $write_ms ms; tarvik --version $((base_kb / 1024)) MB"
}

# Runs command-line case $1 cli_runs times with no display on a copy of the set, its flight plans
# copied anew before each run, and prints "case: R.Rx target T x (M ms; floor F ms)"; for check,
# what the set adds to the peak memory of tarvik --version, against memory_factor times the
# flight-plan file.
run_cli_case() {
  local name=$1 times=() peak=0 start end i args
  work=$(mktemp -d "$build/bench-cli.XXXXXX")
  cp "$set_dir/Aircraft.txt" "$set_dir/Airports.txt" "$work/"
  cli_arguments "$name" "$work"
  for i in $(seq "$cli_runs"); do
    cp "$set_dir/FlightPlans.txt" "$work/FlightPlans.txt"
    sync # the copy's writing is not the run's
    start=$(date +%s%N)
    if ! env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
      "$tarvik" "${args[@]}" >/dev/null 2>"$work/err"; then
      echo "$name: tarvik ${args[*]} failed:" >&2
      cat "$work/err" >&2
      rm -rf "$work"
      at_least 2
      return 0
    fi
    end=$(date +%s%N)
    times+=("$((end - start))")
  done
  [ "$name" = cli-check ] &&
    peak=$(peak_kb "$tarvik" "${args[@]}")
  rm -rf "$work"
  local ms floor ratio target=${cli_target[$name]}
  ms=$(printf '%s\n' "${times[@]}" | median_ms)
  case ${cli_floor[$name]} in
    scan) floor=$scan_ms ;;
    scan+write) floor=$(awk -v a="$scan_ms" -v b="$write_ms" 'BEGIN { printf "%.1f", a + b }') ;;
  esac
  ratio=$(awk -v a="$ms" -v b="$floor" 'BEGIN { printf "%.1f", a / b }')
  if awk -v a="$ratio" -v b="$target" 'BEGIN { exit !(a <= b) }'; then
    echo "$name: ${ratio}x target ${target}x ($ms ms; floor $floor ms)"
  else
    echo "$name: ${ratio}x target ${target}x ($ms ms; floor $floor ms)  MISSED"
    at_least 1
  fi
  [ "$name" = cli-check ] || return 0
  local added
  added=$(awk -v kb="$((peak - base_kb))" -v b="$(stat -c %s "$set_dir/FlightPlans.txt")" \
    'BEGIN { printf "%.2f", kb * 1024 / b }')
  if awk -v a="$added" -v b="$memory_factor" 'BEGIN { exit !(a <= b) }'; then
    echo "$name-memory: ${added}x target ${memory_factor}x ($(((peak - base_kb) / 1024)) MB added)"
  else
    echo "$name-memory: ${added}x target ${memory_factor}x ($(((peak - base_kb) / 1024)) MB added)  MISSED"
    at_least 1
  fi
}

xvfb_pid=
xvfb_dir=
runtime_dir=
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
  [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
  xvfb_dir=
}
clean_up() {
  stop_xvfb
  [ -n "$runtime_dir" ] && rm -rf "$runtime_dir"
  return 0
}
trap clean_up EXIT

# Qt wants a private runtime folder; a session without one gets a temporary one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime_dir=$(mktemp -d)
  chmod 700 "$runtime_dir"
  export XDG_RUNTIME_DIR="$runtime_dir"
fi

# Starts Xvfb on the first free display number, which it writes to a file once it takes
# connections; sets display, or fails after 10 s.
start_xvfb() {
  xvfb_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_dir/display" \
    >"$xvfb_dir/log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    if [ -s "$xvfb_dir/display" ]; then
      display=":$(tr -d '[:space:]' <"$xvfb_dir/display")"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start:" >&2
  cat "$xvfb_dir/log" >&2
  return 1
}

# The cases named: the command line's, and the bench program's.
cases=()
chosen_cli=()
for name in "$@"; do
  if [ -n "${cli_target[$name]:-}" ]; then
    chosen_cli+=("$name")
  else
    cases+=("$name")
  fi
done
[ $# -eq 0 ] && chosen_cli=("${cli_cases[@]}")

if [ $# -gt 0 ] && [ ${#cases[@]} -eq 0 ]; then
  echo "== the set, made if missing (load-traffic timed on the way)"
  cases=(load-traffic)
  run_bench QT_QPA_PLATFORM=offscreen
else
  echo "== offscreen"
  run_bench QT_QPA_PLATFORM=offscreen

  echo "== X server"
  if [ -n "${DISPLAY:-}" ]; then
    echo "(the X server of DISPLAY=$DISPLAY)"
    run_bench QT_QPA_PLATFORM=xcb DISPLAY="$DISPLAY"
  elif command -v Xvfb >/dev/null 2>&1; then
    if start_xvfb; then
      echo "(Xvfb on $display)"
      run_bench QT_QPA_PLATFORM=xcb DISPLAY="$display"
    else
      worst=2
    fi
    stop_xvfb
  else
    echo "skipped: DISPLAY is unset and Xvfb is not installed (apt-get install xvfb)"
  fi
fi

if [ ${#chosen_cli[@]} -gt 0 ]; then
  echo "== command line (no display; $cli_runs runs per case)"
  if [ -x "$tarvik" ] && [ -x /usr/bin/time ] && [ -s "$set_dir/FlightPlans.txt" ]; then
    measure_cli_floors
    for name in "${chosen_cli[@]}"; do
      run_cli_case "$name"
    done
  else
    echo "needs $tarvik, /usr/bin/time (apt-get install time) and the set in $set_dir" >&2
    at_least 2
  fi
fi
exit "$worst"

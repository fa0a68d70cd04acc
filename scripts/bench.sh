#!/usr/bin/env bash
# Runs the benchmark of a build (bench/Bench.cpp, which does all the timing) twice: on Qt's
# offscreen platform with the command line's cases, and on a real X server: the one in DISPLAY,
# or an Xvfb started here on a free display when DISPLAY is unset and Xvfb is installed. The
# full-size set is made once in BUILD_DIR/bench-set. Extra arguments name the cases to run (all by
# default). Exits 1 when a figure misses its target, 2 when a run failed.
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
worst=0

# Runs the bench with the given environment settings and keeps the worst exit status.
run_bench() {
  local status=0
  env "$@" "$bench" ${more+"$more"} "$build/bench-set" ${cases[@]+"${cases[@]}"} || status=$?
  [ "$status" -gt "$worst" ] && worst=$status
  return 0
}

xvfb_pid=
work=$(mktemp -d)
clean_up() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap clean_up EXIT

# Qt wants a private runtime folder; a session without one gets a temporary one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work"
  chmod 700 "$work"
fi

# Starts Xvfb on the first free display number, which it writes to a file once it takes
# connections; sets display, or fails after 10 s.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    if [ -s "$work/display" ]; then
      display=":$(tr -d '[:space:]' <"$work/display")"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  return 1
}

cases=("$@")
echo "== offscreen, and the command line with no display"
run_bench QT_QPA_PLATFORM=offscreen

echo "== X server"
more=--no-command-line
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
else
  echo "skipped: DISPLAY is unset and Xvfb is not installed (apt-get install xvfb)"
fi
exit "$worst"

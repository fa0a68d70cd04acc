#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for SECONDS seconds each, starting from a copy of its seed
# corpus (fuzz/corpus/<target>) in BUILD_DIR/fuzz-work/<target>, and prints per target the number
# of executions and whether it found a crash. Exits non-zero when any target crashed.
# Usage: scripts/fuzz-all.sh BUILD_DIR SECONDS
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz-work"

failed=0
for seeds in "$root"/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  exe="$build/fuzz/$name"
  if [ ! -x "$exe" ]; then
    printf '%-22s not built (%s)\n' "$name:" "$exe"
    failed=1
    continue
  fi
  dir="$work/$name"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$seeds"* "$dir/corpus/"
  log="$dir/fuzz.log"

  "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$log" 2>&1
  rc=$?

  # libFuzzer's final statistics, or its "Done N runs" line, or the last status line on a crash.
  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
  artifact=$(find "$dir/artifacts" -type f | head -n 1)

  if [ "$rc" -eq 0 ] && [ -z "$artifact" ]; then
    printf '%-22s %10s executions, no crash\n' "$name:" "${runs:-?}"
  else
    failed=1
    why=$(grep -m 1 -E '^(property failed:|SUMMARY:|==[0-9]+==ERROR:)' "$log")
    printf '%-22s %10s executions, CRASH (exit %s) %s\n' "$name:" "${runs:-?}" "$rc" "${why:-}"
    printf '%-22s input: %s; log: %s\n' "" "${artifact:-none}" "$log"
  fi
done
exit "$failed"

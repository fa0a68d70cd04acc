#!/usr/bin/env bash
# Runs the load and save benchmark of a build; the full-size set is made once in BUILD_DIR/bench-set.
# Usage: scripts/bench.sh BUILD_DIR
set -eu
if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
bench="$build/bench/tarvik_bench"
if [ ! -x "$bench" ]; then
  echo "$bench is not built (run make build)" >&2
  exit 1
fi
exec "$bench" "$build/bench-set"

#!/usr/bin/env bash
# Starts the program in the sample folder, so that the Open dialog starts there.
set -eu
program=$(readlink -f "$1")
cd "$(dirname "$0")/../samples"
if [ ! -x "$program" ]; then
  echo "The window is not built yet." >&2
  exit 1
fi
exec "$program"

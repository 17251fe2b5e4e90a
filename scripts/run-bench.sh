#!/usr/bin/env bash
# Runs every benchmark program of a build folder in turn.
set -euo pipefail
BUILD="${1:-build-bench}"
shopt -s nullglob
for b in "$BUILD"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  case "$b" in
    */bench_window) "$(dirname "$0")/xvfb-test.sh" "$b" ;;  # needs a display
    *) "$b" ;;
  esac
done

#!/usr/bin/env bash
# Runs every benchmark program of a build folder in turn.
set -euo pipefail
BUILD="${1:-build-bench}"
shopt -s nullglob
for b in "$BUILD"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  case "$b" in
    */bench_window | */bench_options_sheet | */bench_add) "$(dirname "$0")/xvfb-test.sh" "$b" ;;  # need a display
    *) "$b" ;;
  esac
done

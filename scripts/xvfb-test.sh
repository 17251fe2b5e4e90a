#!/usr/bin/env bash
# Runs a window test program on a virtual display unless one is already there.
set -eu
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"

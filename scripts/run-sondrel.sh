#!/usr/bin/env bash
# Starts Sondrel; without a display it starts on a virtual one so that the command still works.
set -eu
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then exec "$@"; fi
echo "run-sondrel: no display found; starting on a virtual display (xvfb-run)" >&2
exec xvfb-run -a "$@"

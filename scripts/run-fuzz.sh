#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan+UBSan+libFuzzer) and runs each for
# the given number of seconds (default 60) on a copy of its seed corpus.
#   scripts/run-fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
shift || true
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSONDREL_FUZZ=ON -DSONDREL_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do
    n="$(basename "$f" _fuzz.cpp)"
    targets+=("$n")
  done
fi
status=0
for n in "${targets[@]}"; do
  work="build-fuzz/corpus/$n"
  mkdir -p "$work"
  if [ -d "fuzz/corpus/$n" ]; then cp -r "fuzz/corpus/$n/." "$work/"; fi
  echo "== fuzz_$n for ${SECONDS_EACH}s"
  if ! "build-fuzz/fuzz/fuzz_$n" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/fuzz-$n-" "$work" 2>"build-fuzz/fuzz-$n.log"; then
    echo "fuzz_$n: FINDING, see build-fuzz/fuzz-$n.log"; status=1
  fi
  grep -E '^(#[0-9]+\s+DONE|Done [0-9]+ runs)' "build-fuzz/fuzz-$n.log" | tail -1 || true
done
exit $status

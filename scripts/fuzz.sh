#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 30) from its committed seed corpus. New inputs go to
# a scratch folder; a crash stops the script with the reproducer's path.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-30}
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$(nproc)"
work=$(mktemp -d "${TMPDIR:-/tmp}/saftpt-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
for t in settings desencripta postalcode formatnumber windows1252 validate; do
  mkdir -p "$work/$t"
  echo "fuzz_$t: ${SECONDS_EACH}s" >&2
  build-fuzz/fuzz/fuzz_$t -max_total_time="$SECONDS_EACH" -print_final_stats=0 \
      -artifact_prefix="$work/" "$work/$t" fuzz/corpus/$t 2>"$work/$t.log" || {
    tail -40 "$work/$t.log" >&2
    echo "fuzz_$t found a crash; reproducer kept in fuzz-crash-$t" >&2
    cp "$work"/crash-* "fuzz-crash-$t" 2>/dev/null || true
    exit 1
  }
done
echo "fuzz: no crash" >&2

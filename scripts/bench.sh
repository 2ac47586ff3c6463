#!/usr/bin/env bash
# The export benchmark end to end: builds, starts a private MariaDB and, for
# each size (default 20,000 and 100,000 documents, about five lines each),
# generates a billing database once, then three times exports it, checks the
# file as the export does and measures the floor; prints each run's figures
# and a Markdown table of the medians (the README's "Performance" section).
# Extra arguments go to saftpt_bench: --sizes N,N..., --size N (repeatable),
# --seed N, --schema 1.03_01|1.04_01, --output FILE, --keep.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target saftpt_bench
eval "$(scripts/test-db.sh start)"
trap 'scripts/test-db.sh stop "$SAFTPT_TEST_DB_DIR"' EXIT
"$BUILD/bench/saftpt_bench" --output "${TMPDIR:-/tmp}/saftpt-bench.xml" "$@"

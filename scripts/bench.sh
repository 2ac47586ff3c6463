#!/usr/bin/env bash
# The export benchmark end to end: builds, starts a private MariaDB, generates
# a billing database (default 20,000 documents, about 100,000 lines), exports
# it, checks the file as the export does, and prints the figures of both.
# Extra arguments go to saftpt_bench (--size N...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target saftpt_bench
eval "$(scripts/test-db.sh start)"
trap 'scripts/test-db.sh stop "$SAFTPT_TEST_DB_DIR"' EXIT
"$BUILD/bench/saftpt_bench" --output "${TMPDIR:-/tmp}/saftpt-bench.xml" "$@"

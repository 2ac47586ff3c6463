#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, starts a private
# MariaDB, runs every test with ctest, and stops the server (also when a test
# fails). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

BUILD=${BUILD_DIR:-build}
GEN=()
command -v ninja >/dev/null && [ ! -f "$BUILD/CMakeCache.txt" ] && GEN=(-G Ninja)
cmake -S . -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

eval "$(scripts/test-db.sh start)"
trap 'scripts/test-db.sh stop "$SAFTPT_TEST_DB_DIR"' EXIT

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"

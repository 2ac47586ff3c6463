#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, starts a private
# MariaDB, runs every test with ctest, checks the names with clang-tidy; then
# the command line built for Windows and checked under Wine
# (tests/windows/wine_test.sh); then the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/); then each
# libFuzzer target for a bounded time (scripts/fuzz.sh). The server is stopped
# at the end, also when a test fails. Exits non-zero on any failure.
#
#   scripts/test.sh           everything (CI)
#   scripts/test.sh --quick   the normal build, tests and names only (also SAFTPT_TEST_QUICK=1)
set -euo pipefail
cd "$(dirname "$0")/.."

QUICK=${SAFTPT_TEST_QUICK:-0}
for arg in "$@"; do
  case "$arg" in
    --quick) QUICK=1 ;;
    *) echo "uso: scripts/test.sh [--quick]" >&2; exit 2 ;;
  esac
done

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

# The README's naming rule (.clang-tidy) over every source file of the
# program, with the build's compile_commands.json: after the build, as the
# window's files include Qt's generated headers. Any finding fails the run.
echo "== clang-tidy: names ==" >&2
find src -name '*.cpp' -print0 |
  xargs -0 -P"$(nproc)" -n8 clang-tidy -p "$BUILD" --quiet --warnings-as-errors='*'
[ "$QUICK" = 1 ] && exit 0

# The command line cross-built for Windows (scripts/windows.sh, its libraries
# cached in build-windows/) and run under Wine beside this build.
echo "== Windows (MinGW-w64, Wine) ==" >&2
stage_start=$SECONDS
windows_zip=$(scripts/windows.sh | tail -1)
tests/windows/wine_test.sh "$BUILD" "$windows_zip"
echo "== Windows: $((SECONDS - stage_start)) s ==" >&2

echo "== AddressSanitizer + UndefinedBehaviorSanitizer ==" >&2
cmake --preset sanitize >/dev/null
cmake --build build-sanitize -j"$(nproc)"
# Leaks are checked everywhere; only those reached through Qt's own libraries
# (fonts, platform plugin caches kept until exit) are suppressed.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-qt.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

echo "== libFuzzer ==" >&2
FUZZ_SECONDS=${FUZZ_SECONDS:-20} scripts/fuzz.sh

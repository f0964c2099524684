#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers into
# build-asan/ and runs the whole test suite there; then runs the window tests
# under Valgrind memcheck (build/, as scripts/test.sh made it). Any sanitizer
# report or memcheck error fails the run.
#
#   scripts/sanitize.sh [--no-memcheck]
set -euo pipefail
cd "$(dirname "$0")/.."

memcheck=true
[ "${1:-}" = "--no-memcheck" ] && memcheck=false

# shellcheck source=lib.sh
. scripts/lib.sh
scripts/setup.sh
if $memcheck; then
    need_packages valgrind
fi

export QT_QPA_PLATFORM=offscreen
cmake --preset asan >/dev/null
cmake --build build-asan -j "$(nproc)"
# Leaks are reported too, except the toolkit's own (scripts/lsan.supp says which).
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

$memcheck || exit 0
[ -x build/tests/ui/ui_window_tests ] || { echo "sanitize: build/ first (scripts/test.sh)" >&2; exit 1; }
echo "sanitize: window tests under valgrind memcheck"
# Qt's regular expressions run code compiled at run time, which memcheck cannot
# see into (its 16-byte reads past a string's end look invalid): interpreted here.
QT_ENABLE_REGEXP_JIT=0 valgrind --tool=memcheck --error-exitcode=1 --errors-for-leak-kinds=definite \
    --leak-check=full --show-leak-kinds=definite --num-callers=30 \
    --suppressions=scripts/valgrind.supp --gen-suppressions=all \
    build/tests/ui/ui_window_tests --gtest_brief=1 >build/memcheck.log 2>&1 ||
    { tail -n 80 build/memcheck.log; echo "sanitize: memcheck found errors (build/memcheck.log)" >&2; exit 1; }
grep -E "ERROR SUMMARY|definitely lost|tests? (ran|PASSED)" build/memcheck.log | tail -n 4

#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
# Usage: scripts/test.sh            normal build and tests
#        scripts/test.sh --sanitize the same under AddressSanitizer and UndefinedBehaviorSanitizer
#        scripts/test.sh --tsan     the tests that run the acquisition thread (engine, command line,
#                                   the windows) under ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
[ "${1:-}" = "--sanitize" ] && dir=build-asan
[ "${1:-}" = "--tsan" ] && dir=build-tsan

bash scripts/setup.sh
bash scripts/build.sh "$@"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt is not built with ThreadSanitizer: the hand-overs inside it (posted events, its thread pool)
# synchronise through its own futex-based locks, which the sanitizer cannot see. Memory calls made
# from inside Qt are therefore not checked; every access of the program's own code still is.
export TSAN_OPTIONS=suppressions=$PWD/scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1:print_suppressions=0:ignore_noninstrumented_modules=1
if [ "$dir" = build-tsan ]; then
  # Every test that runs the acquisition thread: the engine, the command line and the windows.
  for tests in engine cli mainwindow setup scalar app; do
    ctest --test-dir "$dir/tests/$tests" --output-on-failure -j"$(nproc)" --timeout 600
  done
  exit 0
fi
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600

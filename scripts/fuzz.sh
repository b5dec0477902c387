#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in build-fuzz/
# and runs each target in turn for SECONDS (default 60) at low priority, starting from the committed
# corpus in fuzz/corpus/<target>/. New inputs are kept in build-fuzz/corpus/<target>/; a finding is
# written to build-fuzz/<target>-crash-* and ends that target's run with a non-zero status.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]      targets: record replies deviceconfig profile
#        scripts/fuzz.sh --merge TARGET             shrink the new inputs of TARGET into fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."

all=(record replies deviceconfig profile)
merge=""
if [ "${1:-}" = "--merge" ]; then
  merge=1
  shift
  seconds=0
else
  seconds=${1:-60}
  [ $# -gt 0 ] && shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

bash scripts/setup.sh >/dev/null
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DZAVO_FUZZ=ON -DZAVO_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz-}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ -n "$merge" ]; then
  for t in "${targets[@]}"; do
    nice -n 19 "build-fuzz/fuzz/fuzz-$t" -merge=1 "fuzz/corpus/$t" "build-fuzz/corpus/$t"
  done
  exit 0
fi

status=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "== $t: $seconds s"
  if ! nice -n 19 "build-fuzz/fuzz/fuzz-$t" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/$t-" "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"build-fuzz/$t.log" 2>&1; then
    status=1
    grep -E "^(==|SUMMARY|property failed)" "build-fuzz/$t.log" || tail -20 "build-fuzz/$t.log"
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build-fuzz/$t.log" | sed "s/^/   /"
done
exit $status

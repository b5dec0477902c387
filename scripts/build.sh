#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [--sanitize] [extra cmake -D options...]
# The normal build goes to build/, the sanitizer build to build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-asan
  opts=(-DCMAKE_BUILD_TYPE=Debug -DZAVO_SANITIZE=ON -DZAVO_BENCHMARKS=OFF)
fi

cmake -S . -B "$dir" "${opts[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"

#!/usr/bin/env bash
# Configures and builds the project.
# Usage: scripts/build.sh [--sanitize | --tsan] [extra cmake -D options...]
# The normal build goes to build/, the AddressSanitizer and UndefinedBehaviorSanitizer build to
# build-asan/, the ThreadSanitizer build to build-tsan/.
# All are built for the Debian package's prefix /usr (the program looks for its data there once
# installed).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=(all)
case "${1:-}" in
--sanitize)
  shift
  dir=build-asan
  opts=(-DCMAKE_BUILD_TYPE=Debug -DZAVO_SANITIZE=ON -DZAVO_BENCHMARKS=OFF)
  ;;
--tsan)
  shift
  dir=build-tsan
  opts=(-DCMAKE_BUILD_TYPE=Debug -DZAVO_TSAN=ON -DZAVO_BENCHMARKS=OFF)
  ;;
esac

cmake -S . -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr "${opts[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

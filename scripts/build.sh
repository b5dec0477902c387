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

# ccache, where installed, keeps the objects of earlier builds: a second tree or a clean clone of the
# same sources (CI) compiles only what changed. Paths below the checkout's parent folder are taken as
# relative, so clones in other places share the cache.
if command -v ccache >/dev/null; then
  opts+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros,include_file_mtime,include_file_ctime}"
fi

cmake -S . -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr "${opts[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

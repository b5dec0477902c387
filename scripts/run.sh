#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it on the built-in simulated apparatus.
# Without a display it runs a headless demo scan instead and says where the files went.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zavo-driver zavo-apparatus-sim

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/zavo-driver --simulate "$@"
fi
echo "No display found: running a demo scan on the simulated apparatus instead."
exec build/app/zavo-driver demo "$@"

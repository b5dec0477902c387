#!/usr/bin/env bash
# Builds the Debian package build/zavo-driver_VERSION_ARCH.deb from the normal build folder
# (installed under /usr, dependencies from dpkg-shlibdeps). Check it with: lintian build/zavo-driver_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh
rm -f build/zavo-driver_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/zavo-driver_*.deb

#!/usr/bin/env bash
# Builds the Debian package in build-package/: a Release build configured for /usr, the
# prefix the package installs in (the programs look for the watcher below it).
#
#   scripts/package.sh      then: sudo apt install ./build-package/uninstaller-zembra_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DZEMBRA_BUILD_TESTS=OFF -DZEMBRA_BUILD_BENCH=OFF > /dev/null
cmake --build build-package -j2
(cd build-package && cpack -G DEB > /dev/null)
ls build-package/uninstaller-zembra_*.deb

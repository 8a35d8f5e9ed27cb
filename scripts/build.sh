#!/usr/bin/env bash
# Configures and builds into build/ (tests included unless ZEMBRA_BUILD_TESTS=OFF).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMBRA_WERROR=ON \
  -DZEMBRA_BUILD_TESTS="${ZEMBRA_BUILD_TESTS:-ON}" -DZEMBRA_BUILD_BENCH="${ZEMBRA_BUILD_BENCH:-ON}" > /dev/null
cmake --build build -j2

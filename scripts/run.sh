#!/usr/bin/env bash
# Installs what is missing, builds, and runs zembra. Where no macOS folders exist it runs
# on the demo tree (made in demo-tree/ on first use); otherwise on /Applications and $HOME.
#
#   scripts/run.sh                     list the applications, then what Sketchpad left behind
#   scripts/run.sh leftovers APP_PATH  any zembra command, with the grants filled in
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
ZEMBRA_BUILD_TESTS=OFF ZEMBRA_BUILD_BENCH=OFF scripts/build.sh > /dev/null

if [ -d /Applications ] && [ -d "$HOME/Library" ]; then
  grants=(--applications /Applications --home "$HOME")
  example=""
else
  demo="$PWD/demo-tree"
  [ -e "$demo/.zembra-demo" ] || scripts/make-demo-tree.sh "$demo" > /dev/null
  grants=(--applications "$demo/Applications" --home "$demo/Users/$(id -un)" --root "$demo")
  example="$demo/Applications/Sketchpad.app"
fi

if [ $# -gt 0 ]; then
  exec build/src/zembra "${grants[@]}" "$@"
fi
build/src/zembra apps "${grants[@]}"
if [ -n "$example" ]; then
  echo
  build/src/zembra leftovers "$example" --related "${grants[@]}"
fi

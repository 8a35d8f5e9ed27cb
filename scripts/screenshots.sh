#!/usr/bin/env bash
# Renders every screen, sheet and popover of the desktop program into docs/screenshots/
# (the README's pictures): offscreen, on a fresh demo tree, with settings of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
ZEMBRA_BUILD_TESTS=OFF ZEMBRA_BUILD_BENCH=OFF scripts/build.sh > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/make-demo-tree.sh "$work/tree" > /dev/null
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen build/src/uninstaller-zembra \
  --applications "$work/tree/Applications" --home "$work/tree/Users/$(id -un)" --root "$work/tree" \
  --settings-dir "$work/settings" --screenshots docs/screenshots

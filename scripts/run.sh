#!/usr/bin/env bash
# Installs what is missing, builds, and runs Uninstaller zembra. Where no macOS folders
# exist it runs on the demo tree (made in demo-tree/ on first use, with its own settings
# in demo-tree/.settings); otherwise on /Applications and $HOME.
#
#   scripts/run.sh                     the desktop program when a display is available;
#                                      otherwise the command line lists the applications,
#                                      then what Sketchpad left behind
#   scripts/run.sh leftovers APP_PATH  any zembra command, with the grants filled in
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
ZEMBRA_BUILD_TESTS=OFF ZEMBRA_BUILD_BENCH=OFF scripts/build.sh > /dev/null

gui_settings=()
if [ -d /Applications ] && [ -d "$HOME/Library" ]; then
  grants=(--applications /Applications --home "$HOME")
  example=""
else
  demo="$PWD/demo-tree"
  [ -e "$demo/.zembra-demo" ] || scripts/make-demo-tree.sh "$demo" > /dev/null
  grants=(--applications "$demo/Applications" --home "$demo/Users/$(id -un)" --root "$demo")
  gui_settings=(--settings-dir "$demo/.settings")
  example="$demo/Applications/Sketchpad.app"
fi

if [ $# -gt 0 ]; then
  exec build/src/zembra "${grants[@]}" "$@"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/uninstaller-zembra "${grants[@]}" "${gui_settings[@]}"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the command line instead." >&2
echo >&2
build/src/zembra apps "${grants[@]}"
if [ -n "$example" ]; then
  echo
  build/src/zembra leftovers "$example" --related "${grants[@]}"
fi

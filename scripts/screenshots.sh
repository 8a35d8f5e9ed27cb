#!/usr/bin/env bash
# Renders every screen, sheet and popover of the desktop program into docs/screenshots/
# (the README's pictures), or into the folder given: offscreen, on a fresh demo tree, with
# settings of its own.
set -euo pipefail
out=$(realpath -m "${1:-docs/screenshots}")
cd "$(dirname "$0")/.."
scripts/install-deps.sh
ZEMBRA_BUILD_TESTS=OFF ZEMBRA_BUILD_BENCH=OFF scripts/build.sh > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/make-demo-tree.sh "$work/tree" > /dev/null
# An application removed by hand, as the background watcher remembers it, whose files
# are still in the home folder: the removed-applications screen lists it.
lib="$work/tree/Users/$(id -un)/Library"
mkdir -p "$lib/Application Support/Driftwood" "$work/settings"
printf '{"shelves": 3}' > "$lib/Application Support/Driftwood/library.json"
head -c 4000 /dev/zero > "$lib/Preferences/com.driftwood.reader.plist"
cat > "$work/settings/remembered-applications.json" <<EOF
{"applications_folder": "$work/tree/Applications", "applications": [
 {"label": "Driftwood", "label_name": "Driftwood", "url": "$work/tree/Applications/Driftwood.app",
  "bundle": "com.driftwood.reader", "bundle_name": "reader", "bundle_name_info": "Driftwood",
  "executable_info": "Driftwood", "company_name": "driftwood", "installed": false,
  "gone_since": "2026-12-01T10:00:00Z"}]}
EOF
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen build/src/uninstaller-zembra \
  --applications "$work/tree/Applications" --home "$work/tree/Users/$(id -un)" --root "$work/tree" \
  --settings-dir "$work/settings" --screenshots "$out"

#!/usr/bin/env bash
# Times `zembra leftovers APP --json` on a large generated tree against the floor: `find`
# over the same folders (listing folders one level deep, the others whole, packages not
# entered where the search does not enter them) plus `du -sb` over the entries found.
# Warm cache, median of RUNS runs; prints peak memory and, last, the ratio.
#
#   bench/leftovers-bench.sh [TREE_DIR] [RUNS]      (build first: scripts/build.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-/tmp/zembra-bench-tree}
runs=${2:-7}
zembra="$here/build/src/zembra"
maketree="$here/build/bench/zembra-bench-make-tree"
[ -x "$zembra" ] && [ -x "$maketree" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "needs GNU time: apt-get install time" >&2; exit 2; }

[ -e "$tree/.zembra-bench-tree" ] || "$maketree" "$tree" bench
home="$tree/Users/bench"
app="$tree/Applications/Benchmark Editor.app"
args=(leftovers "$app" --json --applications "$tree/Applications" --home "$home" --root "$tree")

lib="$home/Library"
listing=("$lib/Preferences" "$lib/Containers" "$lib/Saved Application State" "$lib/Caches" "$lib/Cookies"
  "$lib/Application Scripts" "$lib/Group Containers" "$lib" "$lib/LaunchAgents"
  "$lib/Application Support/CrashReporter" "$lib/Logs/CSXS" "$lib/WebKit" "$lib/Address Book Plug-Ins"
  "$lib/Services" "$home/Desktop" "$tree/Users/Shared" "$tree/Library/Application Support"
  "$tree/Library/LaunchAgents" "$tree/Library/LaunchDaemons" "$tree/Library/PrivilegedHelperTools"
  "$tree/var/run" "$app/Contents/Library/LoginItems")
deep=("$lib/Caches/com.apple.helpd" "$lib/Logs" "$tree/Library/Logs" "$tree/var/folders" "$tree/var/db")
packages=(-name '*.app' -o -name '*.appex' -o -name '*.bundle' -o -name '*.component' -o -name '*.framework'
  -o -name '*.kext' -o -name '*.mdimporter' -o -name '*.photoslibrary' -o -name '*.plugin' -o -name '*.prefPane'
  -o -name '*.qlgenerator' -o -name '*.rtfd' -o -name '*.saver' -o -name '*.webplugin' -o -name '*.wdgt'
  -o -name '*.xpc')

"$zembra" "${args[@]}" > /tmp/zembra-bench.json
mapfile -t found < <(grep -o '"path": "[^"]*"' /tmp/zembra-bench.json | sed 's/^"path": "//; s/"$//')

floor() {
  find "${listing[@]}" -mindepth 1 -maxdepth 1 2>/dev/null > /dev/null || true
  find "$lib/Application Support" -mindepth 1 \( "${packages[@]}" \) -prune -o -print 2>/dev/null > /dev/null || true
  find "${deep[@]}" -mindepth 1 2>/dev/null > /dev/null || true
  du -sb "${found[@]}" > /dev/null 2>&1 || true
}
now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

floor; "$zembra" "${args[@]}" > /dev/null   # warm the cache
zt=(); ft=()
for _ in $(seq "$runs"); do
  s=$(now); "$zembra" "${args[@]}" > /dev/null; e=$(now); zt+=("$(awk "BEGIN {print $e - $s}")")
  s=$(now); floor; e=$(now); ft+=("$(awk "BEGIN {print $e - $s}")")
done
zm=$(printf '%s\n' "${zt[@]}" | median)
fm=$(printf '%s\n' "${ft[@]}" | median)
peak=$(/usr/bin/time -f '%M' "$zembra" "${args[@]}" 2>&1 > /dev/null | tail -1)

echo "tree: $(cat "$tree/.zembra-bench-tree") entries; leftovers found: ${#found[@]}"
printf 'zembra leftovers --json: %.3f s (median of %s)\n' "$zm" "$runs"
printf 'floor (find + du -sb):   %.3f s (median of %s)\n' "$fm" "$runs"
echo "peak memory: $((peak / 1024)) MB (target: under 100 MB)"
echo "ratio: $(awk "BEGIN {printf \"%.2f\", $zm / $fm}")x (target: at most 1.3x)"

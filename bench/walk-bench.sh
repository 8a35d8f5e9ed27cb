#!/usr/bin/env bash
# The leftover search's walk against its anchors, paired and interleaved in one run:
#   warm: `zembra leftovers APP --related --json` against a single-thread C getdents64
#         walk of the same folders with the same kind of name test and the sizes of what
#         matched (zembra-bench-walk-anchor): CPU time (user + system), median of the
#         per-pair ratios; also the search without --related (the related search's name
#         tests over the listing folders come on top of the walk).
#   cold: the same search against `fdfind -j8` over the same folders with the same name
#         test, the page cache dropped before every run: wall time, median of the ratios.
#         Dropping the caches needs write access to /proc/sys/vm/drop_caches (root, not
#         in a read-only container); without it the cold figure is not measured.
#
#   bench/walk-bench.sh [SIZE] [RUNS] [warm|cold|both] [TREE_DIR]
#     SIZE: 319k (the default), 250k, 1m or 3m entries      (build first: scripts/build.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-319k}
runs=${2:-7}
what=${3:-both}
tree=${4:-${TMPDIR:-/tmp}/zembra-bench-tree-$size}
zembra="$here/build/src/zembra"
maketree="$here/build/bench/zembra-bench-make-tree"
anchor="$here/build/bench/zembra-bench-walk-anchor"
for b in "$zembra" "$maketree" "$anchor"; do
  [ -x "$b" ] || { echo "build first: scripts/build.sh (missing $b)" >&2; exit 2; }
done
command -v /usr/bin/time >/dev/null || { echo "needs GNU time: apt-get install time" >&2; exit 2; }

[ -e "$tree/.zembra-bench-tree" ] || "$maketree" "$tree" bench "$size"
home="$tree/Users/bench"
app="$tree/Applications/Benchmark Editor.app"
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
search=("$zembra" leftovers "$app" --related --json --applications "$tree/Applications" --home "$home"
  --root "$tree" --settings-dir "$settings")
plain=("$zembra" leftovers "$app" --json --applications "$tree/Applications" --home "$home" --root "$tree"
  --settings-dir "$settings")

# The folders the search reads and the application's name keys.
lib="$home/Library"
listing=("$lib/Preferences" "$lib/Containers" "$lib/Saved Application State" "$lib/Caches" "$lib/Cookies"
  "$lib/Application Scripts" "$lib/Group Containers" "$lib" "$lib/LaunchAgents"
  "$lib/Application Support/CrashReporter" "$lib/Logs/CSXS" "$lib/WebKit" "$lib/Address Book Plug-Ins"
  "$lib/Services" "$home/Desktop" "$tree/Users/Shared" "$tree/Library/Application Support"
  "$tree/Library/LaunchAgents" "$tree/Library/LaunchDaemons" "$tree/Library/PrivilegedHelperTools"
  "$tree/var/run" "$app/Contents/Library/LoginItems")
deep=("$lib/Caches/com.apple.helpd" "$lib/Logs" "$tree/Library/Logs" "$tree/var/folders" "$tree/var/db")
packaged=("$lib/Application Support")
keys=("com.benchvendor.editor" "editor" "Benchmark Editor" "Benchmark_Editor" "benchvendor")

anchor_args=()
for k in "${keys[@]}"; do anchor_args+=(-k "$k"); done
for f in "${listing[@]}"; do anchor_args+=(-l "$f"); done
for f in "${deep[@]}"; do anchor_args+=(-d "$f"); done
for f in "${packaged[@]}"; do anchor_args+=(-p "$f"); done
pattern=$(printf '%s|' "${keys[@]}" | sed 's/|$//; s/\./\\./g')
existing() { for f in "$@"; do [ -d "$f" ] && printf '%s\0' "$f"; done; }
fd_walk() {
  existing "${listing[@]}" | xargs -0 fdfind -j8 -i --no-ignore --one-file-system --max-depth 1 "$pattern" > /dev/null
  existing "${deep[@]}" "${packaged[@]}" | xargs -0 fdfind -j8 -i --no-ignore --one-file-system "$pattern" > /dev/null
}

# Runs a command under GNU time; prints "cpu wall" in seconds.
measure() {
  local out
  out=$(mktemp)
  /usr/bin/time -f '%U %S %e' -o "$out" "$@" > /dev/null 2>&1 || true
  awk '{printf "%.4f %.4f\n", $1 + $2, $3}' "$out"
  rm -f "$out"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
drop_caches() { sync; echo 3 > /proc/sys/vm/drop_caches; }

echo "tree: $(cat "$tree/.zembra-bench-tree") entries ($size) at $tree"
echo "leftovers found: $("${search[@]}" | grep -o '"path"' | wc -l); anchor: $("$anchor" "${anchor_args[@]}")"

if [ "$what" = warm ] || [ "$what" = both ]; then
  "${search[@]}" > /dev/null; "$anchor" "${anchor_args[@]}" > /dev/null   # warm the cache
  ratios=(); alone=(); zs=(); ss=(); as=()
  for _ in $(seq "$runs"); do
    read -r zc _ < <(measure "${search[@]}")
    read -r ac _ < <(measure "$anchor" "${anchor_args[@]}")
    read -r sc _ < <(measure "${plain[@]}")
    zs+=("$zc"); as+=("$ac"); ss+=("$sc")
    ratios+=("$(awk "BEGIN {print $zc / ($ac > 0 ? $ac : 0.0001)}")")
    alone+=("$(awk "BEGIN {print $sc / ($ac > 0 ? $ac : 0.0001)}")")
  done
  printf 'warm, CPU: zembra %.3f s, without --related %.3f s, C getdents64 walk %.3f s (medians of %s)\n' \
    "$(printf '%s\n' "${zs[@]}" | median)" "$(printf '%s\n' "${ss[@]}" | median)" \
    "$(printf '%s\n' "${as[@]}" | median)" "$runs"
  echo "warm ratio to the C walk, search without --related: $(printf '%s\n' "${alone[@]}" | median | xargs printf '%.2f')x"
  echo "warm ratio to the C walk: $(printf '%s\n' "${ratios[@]}" | median | xargs printf '%.2f')x (target: at most 1.15x)"
fi

if [ "$what" = cold ] || [ "$what" = both ]; then
  if ! command -v fdfind > /dev/null; then
    echo "cold: not measured: needs fd (Debian/Ubuntu: apt-get install -y fd-find)"
  elif ! (drop_caches) 2> /dev/null; then
    echo "cold: not measured here: /proc/sys/vm/drop_caches is not writable (run as root, outside a read-only container)"
  else
    ratios=(); zs=(); fs=()
    for _ in $(seq "$runs"); do
      drop_caches; read -r _ zw < <(measure "${search[@]}")
      drop_caches; read -r _ fw < <(measure bash -c "$(declare -f existing fd_walk); $(declare -p listing deep packaged pattern); fd_walk")
      zs+=("$zw"); fs+=("$fw")
      ratios+=("$(awk "BEGIN {print $zw / ($fw > 0 ? $fw : 0.0001)}")")
    done
    printf 'cold, wall: zembra %.3f s, fdfind -j8 %.3f s (medians of %s)\n' \
      "$(printf '%s\n' "${zs[@]}" | median)" "$(printf '%s\n' "${fs[@]}" | median)" "$runs"
    echo "cold ratio to fdfind -j8: $(printf '%s\n' "${ratios[@]}" | median | xargs printf '%.2f')x (target: at most 1.0x)"
  fi
fi

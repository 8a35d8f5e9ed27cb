#!/usr/bin/env bash
# What one removal costs the watcher with APPS applications installed (each with a
# preferences file in the home Library): for each of RUNS rounds, a watcher is started,
# one bundle is moved to the Trash, and this measures
#   - notice:  from the move to the notice arriving at a stand-in notification service on
#     a private session bus (the first removal of a burst is told at once: the watcher's
#     settle wait, one scan and the weighing of its leftovers), against 300 ms,
#   - noticed: from the move to the remembered applications being written with it gone
#     (written after the notice),
#   - CPU:     the watcher's CPU time (all threads) from the move to the notice and the
#     write, whichever comes last,
# once for the watcher as it runs and once with --reread-all (every bundle read again on
# each change, the way it used to work), in turns, and prints medians.
# Identifiers, names and executables are zero-padded and differ, so that no application's
# name holds another's (com.bench.app1 would otherwise find the preferences of app10 to
# app1999 as its own, and a shared executable name ties every application to them).
#
#   bench/spider-removal-bench.sh [APPS] [RUNS]      (build first: scripts/build.sh)
#   BEFORE=path/to/zembra-spider   compares against that build instead of --reread-all
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
apps=${1:-10000}
runs=${2:-5}
spider="${SPIDER:-$here/build/src/zembra-spider}"
service="$here/build/tests/fake-notification-service"
[ -x "$spider" ] && [ -x "$service" ] || { echo "build first (with the tests): scripts/build.sh" >&2; exit 2; }
command -v dbus-run-session >/dev/null || { echo "needs dbus-run-session (Debian: dbus)" >&2; exit 2; }
[ "$apps" -gt "$((2 * runs))" ] || { echo "needs more applications than 2 x RUNS" >&2; exit 2; }

if [ -z "${ZEMBRA_SPIDER_BENCH_INNER:-}" ]; then
  exec env ZEMBRA_SPIDER_BENCH_INNER=1 dbus-run-session -- "$0" "$@" 2> >(grep -v "fd limit" >&2)
fi

tree=$(mktemp -d)
watcher=; fake=
keep=
trap 'kill $watcher $fake 2>/dev/null || true; exec 3>&- 5>&-; [ -n "$keep" ] || rm -rf "$tree"' EXIT
home="$tree/home"
trash="$home/.local/share/Trash/files"
mkdir -p "$tree/Applications" "$home/Library/Preferences" "$trash" "$tree/settings"
# Made with shell built-ins (one mkdir for all): thousands of bundles in a few seconds.
seq -w 1 "$apps" | sed "s|.*|$tree/Applications/Bench &.app/Contents/MacOS|" | tr '\n' '\0' | xargs -0 mkdir -p
pad=$(printf '%4096s' '')
for i in $(seq -w 1 "$apps"); do
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>\n<key>CFBundleIdentifier</key><string>com.bench.app%s</string>\n<key>CFBundleName</key><string>Bench %s</string>\n<key>CFBundleExecutable</key><string>Bench%s</string>\n</dict></plist>\n' \
    "$i" "$i" "$i" > "$tree/Applications/Bench $i.app/Contents/Info.plist"
  printf '%s' "$pad" > "$home/Library/Preferences/com.bench.app$i.plist"
done
# Older than the watcher's window for fresh changes, as installed applications are.
find "$tree/Applications" -exec touch -d '-1 hour' {} +
sleep 3

log="$tree/notices.log"
: > "$log"
mkfifo "$tree/in"
"$service" --log "$log" --ready "$tree/ready" < "$tree/in" &
fake=$!
exec 3> "$tree/in"
for _ in $(seq 100); do [ -e "$tree/ready" ] && break; sleep 0.05; done

snapshot="$tree/settings/remembered-applications.json"
inode() { stat -c %i "$snapshot" 2>/dev/null || echo none; }
# CPU nanoseconds of every thread of the watcher.
cpu() { cat /proc/$watcher/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
# The wait below uses shell built-ins only (no process per look), so that the measuring
# takes no CPU from the watcher: the clock in microseconds, a read that times out on a pipe
# nobody writes as the pause, a hard link to the old snapshot to tell when it is replaced.
mkfifo "$tree/tick"
exec 5<> "$tree/tick"
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

declare -A noticed notice cputime
for r in $(seq 1 "$runs"); do
  for mode in incremental reread; do
    program=$spider; extra=()
    [ "$mode" = reread ] && { if [ -n "${BEFORE:-}" ]; then program=$BEFORE; else extra=(--reread-all); fi; }
    before=$(inode)
    HOME="$home" "$program" --applications "$tree/Applications" --home "$home" \
      --settings-dir "$tree/settings" "${extra[@]}" &
    watcher=$!
    for _ in $(seq 1200); do [ "$(inode)" != "$before" ] && break; sleep 0.05; done
    [ "$(inode)" != "$before" ] || { echo "the watcher did not take its first look within a minute" >&2; exit 1; }
    sleep 1.5 # the first look done and settled
    exec 4< "$log"
    while IFS= read -r -u 4 _; do :; done
    ln -f "$snapshot" "$tree/old-snapshot"
    name=$(ls "$tree/Applications" | sed -n 1p)
    c0=$(cpu)
    start=${EPOCHREALTIME//[!0-9]/}
    mv "$tree/Applications/$name" "$trash/"
    seen=; end=
    while [ -z "$seen" ] || [ -z "$end" ]; do
      t=${EPOCHREALTIME//[!0-9]/}
      [ -n "$seen" ] || [ "$snapshot" -ef "$tree/old-snapshot" ] || seen=$t
      if [ -z "$end" ]; then
        IFS= read -r -u 4 more && end=$t
      fi
      [ $(( (t - start) / 1000 )) -lt 60000 ] || { echo "no notice within 60 s (round $r, $mode, $name)" >&2; keep=1; echo "tree kept in $tree" >&2; exit 1; }
      read -r -t 0.002 -u 5 _ || true
    done
    c1=$(cpu)
    exec 4<&-
    noticed[$mode]+="$(( (seen - start) / 1000 )) "
    notice[$mode]+="$(( (end - start) / 1000 )) "
    cputime[$mode]+="$(( (c1 - c0) / 1000000 )) "
    kill "$watcher"; wait "$watcher" 2>/dev/null || true; watcher=
  done
done

echo "applications installed: $apps; rounds: $runs (median of each, in ms)"
for mode in incremental reread; do
  label="--reread-all   "
  [ -n "${BEFORE:-}" ] && label="before         "
  [ "$mode" = incremental ] && label="as it runs     "
  a=$(median ${noticed[$mode]}); b=$(median ${notice[$mode]}); c=$(median ${cputime[$mode]})
  echo "$label notice $b ms (target 300: $(awk -v v="$b" 'BEGIN {printf "%.2f", v / 300}')x)  noticed $a ms  watcher CPU $c ms  [notice: ${notice[$mode]}; CPU: ${cputime[$mode]}]"
done
ci=$(median ${cputime[incremental]}); cr=$(median ${cputime[reread]})
other=--reread-all; [ -n "${BEFORE:-}" ] && other="the other build"
echo "CPU for the removal, as it runs / $other: $(awk -v a="$ci" -v b="$cr" 'BEGIN {printf "%.3f", (b ? a / b : 0)}')"

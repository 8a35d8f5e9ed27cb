#!/usr/bin/env bash
# The watcher's costs on a generated tree of APPS applications (each with a preferences
# file in the home Library): resident memory once idle, CPU used over IDLE seconds of
# idling, and the time from moving a bundle to the Trash to the notice arriving at a
# stand-in notification service on a private session bus (median of RUNS removals, each
# a burst of its own).
#
#   bench/spider-bench.sh [APPS] [IDLE] [RUNS]      (build first: scripts/build.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
apps=${1:-300}
idle=${2:-10}
runs=${3:-5}
spider="$here/build/src/zembra-spider"
service="$here/build/tests/fake-notification-service"
[ -x "$spider" ] && [ -x "$service" ] || { echo "build first (with the tests): scripts/build.sh" >&2; exit 2; }
command -v dbus-run-session >/dev/null || { echo "needs dbus-run-session (Debian: dbus)" >&2; exit 2; }

if [ -z "${ZEMBRA_SPIDER_BENCH_INNER:-}" ]; then
  exec env ZEMBRA_SPIDER_BENCH_INNER=1 dbus-run-session -- "$0" "$@" 2> >(grep -v "fd limit" >&2)
fi

tree=$(mktemp -d)
watcher=; fake=
trap 'kill $watcher $fake 2>/dev/null || true; exec 3>&-; rm -rf "$tree"' EXIT
home="$tree/home"
mkdir -p "$tree/Applications" "$home/Library/Preferences" "$home/.local/share/Trash/files" "$tree/settings"
for i in $(seq 1 "$apps"); do
  c="$tree/Applications/Bench $i.app/Contents"
  mkdir -p "$c/MacOS"
  cat > "$c/Info.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.bench.app$i</string>
<key>CFBundleName</key><string>Bench $i</string>
<key>CFBundleExecutable</key><string>Bench</string>
</dict></plist>
PLIST
  head -c 4096 /dev/zero > "$home/Library/Preferences/com.bench.app$i.plist"
done

log="$tree/notices.log"
: > "$log"
# The service ends when its input closes: keep a writer open on a pipe until we exit.
mkfifo "$tree/in"
"$service" --log "$log" --ready "$tree/ready" < "$tree/in" &
fake=$!
exec 3> "$tree/in"
for _ in $(seq 100); do [ -e "$tree/ready" ] && break; sleep 0.05; done

HOME="$home" "$spider" --applications "$tree/Applications" --home "$home" --settings-dir "$tree/settings" &
watcher=$!
for _ in $(seq 200); do [ -e "$tree/settings/remembered-applications.json" ] && break; sleep 0.05; done
sleep 1

ticks() { awk '{print $14 + $15}' "/proc/$watcher/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$idle"
after=$(ticks)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$watcher/status")
echo "applications watched:      $apps"
anon=$(awk '/^RssAnon/ {print $2}' "/proc/$watcher/status")
echo "idle resident memory:      $((rss / 1024)) MB ($rss kB; $anon kB of it private, the rest shared libraries)"
echo "CPU over ${idle} s idle:       $(( (after - before) * 1000 / hz )) ms"

times=()
for r in $(seq 1 "$runs"); do
  count=$(wc -l < "$log")
  start=$(date +%s%N)
  mv "$tree/Applications/Bench $r.app" "$home/.local/share/Trash/files/"
  while [ "$(wc -l < "$log")" -le "$count" ]; do
    sleep 0.005
    [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 10000 ] || { echo "no notice within 10 s" >&2; exit 1; }
  done
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
  # Past the burst window: the next removal is a burst of its own, told at once.
  sleep 1.2
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "removal noticed (ms):      ${times[*]}  median ${sorted[$((runs / 2))]}"
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$watcher/status")
anon=$(awk '/^RssAnon/ {print $2}' "/proc/$watcher/status")
echo "resident memory after:     $((rss / 1024)) MB ($rss kB; $anon kB of it private)"

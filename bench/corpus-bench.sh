#!/usr/bin/env bash
# Prints what the review ticks and finds on real applications' layouts (bench/corpus),
# per set: development and held-out. Extra arguments go to the program (--misses).
#
#   bench/corpus-bench.sh [--misses]      (build first: scripts/build.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bench="$here/build/bench/zembra-bench-corpus"
[ -x "$bench" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
exec "$bench" "$here/bench/corpus" "$@"

#!/usr/bin/env bash
# Runs every real-window test N times in a row with two busy loops beside them, as on a
# machine that is building something else: the real-window tests must not fail by chance.
# Each run's ctest output goes to BUILD/window-load/run-K.log; one line a run is printed.
# Stops at the first failing run (its log says what failed) and exits 1 then.
# Usage: scripts/window-load.sh BUILD [N]   (N defaults to 10)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
runs=${2:-10}
logs=$build/window-load
mkdir -p "$logs"
yes >/dev/null &
hog1=$!
yes >/dev/null &
hog2=$!
trap 'kill "$hog1" "$hog2" 2>/dev/null' EXIT
for i in $(seq 1 "$runs"); do
    load=$(cut -d' ' -f1 /proc/loadavg)
    start=$(date +%s)
    (cd "$build" && ctest -R 'e2e_|window' -j2 --timeout 600 --output-on-failure) >"$logs/run-$i.log" 2>&1
    rc=$?
    echo "run $i of $runs: $(grep -E 'tests passed|tests failed' "$logs/run-$i.log" | tail -n 1)," \
        "$(($(date +%s) - start)) s, load average $load at its start"
    [ "$rc" -eq 0 ] || exit 1
done

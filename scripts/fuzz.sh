#!/usr/bin/env bash
# Runs every fuzzer in BUILD/fuzz for SECONDS seconds over its seed corpus in
# fuzz/<name>/corpus (new inputs go to a scratch folder, the committed seeds stay).
# An input may take up to a minute: the largest archive entry (64 MiB) takes seconds
# to decode in this instrumented build on a busy machine; an endless loop still shows.
# Usage: scripts/fuzz.sh BUILD SECONDS [NAME]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
only=${3:-}
for exe in "$build"/fuzz/*; do
    [ -f "$exe" ] && [ -x "$exe" ] || continue # skips CMake's folders
    name=$(basename "$exe")
    [ -z "$only" ] || [ "$only" = "$name" ] || continue
    seeds=fuzz/${name#fuzz_}/corpus
    work=$build/fuzz-work/$name
    mkdir -p "$work"
    echo "-- $name for ${seconds}s"
    args=("$work")
    [ -d "$seeds" ] && args+=("$seeds")
    "$exe" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 "${args[@]}" 2>"$work.log" ||
        { tail -n 40 "$work.log"; exit 1; }
    grep -E 'stat::number_of_executed_units' "$work.log" || true
done

#!/usr/bin/env bash
# Without any OpenGL context (Qt's offscreen platform) the game still runs, drawing
# with the software renderer, and says so on standard error.
# Usage: software_fallback.sh PATH/TO/himawari
set -euo pipefail
exe=$1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$exe" 2>"$log" &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    echo "the game stopped:"; cat "$log"; exit 1
fi
kill "$pid"
wait "$pid" || true
grep -q "drawing with the software renderer instead of OpenGL" "$log" || { echo "no notice:"; cat "$log"; exit 1; }
echo "software fallback: ok"

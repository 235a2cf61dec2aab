#!/usr/bin/env bash
# Installs what is missing (scripts/setup.sh), builds the game and starts it.
# Arguments are passed to the game.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh

GEN=()
if command -v ninja >/dev/null 2>&1; then GEN=(-G Ninja); fi
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$(nproc)" --target himawari
exec build/himawari "$@"

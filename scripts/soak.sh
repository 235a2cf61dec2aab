#!/usr/bin/env bash
# The soak: the game tests' bot plays BOARDS boards headless (game after game, all
# three stages, apples and bites included) in the AddressSanitizer + UBSan build with
# leak checking; prints the run's time and peak memory. The suite runs 100 boards.
# Usage: scripts/soak.sh [BUILD] [BOARDS]   (default build-asan, 1000 boards)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
boards=${2:-1000}
exe=$build/tests/game_tests
[ -x "$exe" ] || { echo "no $exe: build the sanitizer build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build/tests"
HIMAWARI_SOURCE_DIR=$OLDPWD HIMAWARI_BUILD_DIR=$OLDPWD/$build HIMAWARI_SOAK_BOARDS=$boards \
    ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    /usr/bin/time -f "soak: %e s wall, %U s user, peak memory %M KiB" -o "$work/time" \
    "./game_tests" --gtest_filter=BotTest.ABotKeepsPlayingBoardAfterBoard
cat "$work/time"

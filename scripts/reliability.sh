#!/usr/bin/env bash
# The saves under fire: KILLS saves of "record.dat" and "Settei.ini", then KILLS saves of
# the top ten "scores.ini", killed with SIGKILL at random moments (each file must stay
# whole: the old or the new one), then a save
# onto a full file system (a 64 KiB tmpfs, mounted in a private mount namespace when
# not root) that must fail with the reason and keep the old files byte for byte.
# Usage: scripts/reliability.sh [BUILD] [KILLS]   (default build, 200 kills)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
kills=${2:-200}
exe=$PWD/$build/tests/save_kill
[ -x "$exe" ] || { echo "no $exe: build the save_kill target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== kill during a save, $kills times"
"$exe" kill "$work" "$kills"
echo "== full disk"
mkdir -p "$work/full"
full='mount -t tmpfs -o size=64k tmpfs "$1" && "$2" full "$1"; s=$?; umount "$1"; exit $s'
if [ "$(id -u)" = 0 ]; then
    sh -c "$full" full "$work/full" "$exe"
else
    unshare -Urm sh -c "$full" full "$work/full" "$exe"
fi

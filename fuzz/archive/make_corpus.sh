#!/usr/bin/env bash
# Makes the fuzzer's seed archives with qdapack: small compressed and stored archives
# holding text, a run, every byte value (two blocks) and a one-byte entry.
# Usage: fuzz/archive/make_corpus.sh [BUILD]   (BUILD holds qdapack; default build)
set -euo pipefail
cd "$(dirname "$0")"
qdapack=../../${1:-build}/qdapack
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN { for (i = 0; i < 60; i++) printf "hamster sunflower seed cat " }' >"$work/Title.bmp"
printf 'A' >"$work/a"
head -c 700 /dev/zero >"$work/zeros.bmp"
# 210 byte values in the first 4 KiB, then 46 more: the first new one ends the first
# block, and the second block has no value free for a pair.
LC_ALL=C awk 'BEGIN { for (i = 0; i < 4400; i++) printf "%c", i < 4096 ? i * 11 % 210 : 210 + i % 46 }' >"$work/all.bin"

mkdir -p corpus
"$qdapack" corpus/compressed.qda "$work/Title.bmp" "$work/a" "$work/zeros.bmp" >/dev/null
"$qdapack" --stored corpus/stored.qda "$work/Title.bmp" "$work/a" >/dev/null
"$qdapack" corpus/blocks.qda "$work/all.bin" "$work/a" >/dev/null
"$qdapack" corpus/one.qda "$work/a" >/dev/null
ls -l corpus

#!/usr/bin/env bash
# Rebuilds every picture, sound and piece of music of the game from its sources in
# assets/, deterministically (the same bytes on every run):
#   Data/data.qda (sprites and banners, packed by qdapack), Data/haikei.jpg, Data/*.wav,
#   Data/*.mp3, assets/music/*.mid, app/resources/*.png, tests/fixtures/music/,
#   docs/assets-contact-sheet.png.
# Needs the packages of scripts/setup-assets.sh and a build of qdapack (made here in
# build/ when it is missing). Intermediate files go to build-assets/.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/setup-assets.sh
PY=/usr/bin/python3 # Debian's python3, which has Pillow and NumPy
WORK=build-assets
rm -rf "$WORK"
mkdir -p "$WORK" Data

QDAPACK=build/qdapack
if [ ! -x "$QDAPACK" ]; then
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build build -j2 --target qdapack >/dev/null
fi

echo "assets: pictures"
"$PY" tools/assets/pictures.py . "$WORK"
echo "assets: sounds"
"$PY" tools/assets/sounds.py . Data
echo "assets: music"
"$PY" tools/assets/music.py . "$WORK"

echo "assets: archive"
rm -f Data/data.qda
# Sorted by name so that the directory order never depends on the file system.
mapfile -t pictures < <(find "$WORK/bmp" -name '*.bmp' | LC_ALL=C sort)
"$QDAPACK" Data/data.qda "${pictures[@]}"
# The pictures with words in each other language, under the same names, in an archive of
# their own (Data/data_<language>.qda): data.qda keeps its entries as they are.
for folder in "$WORK"/bmp-*; do
    [ -d "$folder" ] || continue
    language=${folder##*/bmp-}
    mapfile -t translated < <(find "$folder" -name '*.bmp' | LC_ALL=C sort)
    rm -f "Data/data_${language}.qda"
    "$QDAPACK" "Data/data_${language}.qda" "${translated[@]}"
done
echo "assets: done"

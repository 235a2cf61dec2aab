#!/usr/bin/env bash
# Seeds for fuzz_saveimage: saved games laid out as the game writes them (a board left
# in play, a cleared board, a lost board, the last food of a game next to the
# hamster), a short file and an empty image. Each may carry key bytes after the image.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p corpus
python3 - <<'PY'
import struct

def image(game_over=0, board_clear=0, foods=14, stage=2, hamster=(0, 0), food=(9, 6), keys=b""):
    b = bytearray(3416)
    xs = [20 + 40 * i for i in range(10)] + [620]
    ys = [20 + 40 * i for i in range(7)] + [420]
    cats = [(5, 3), (7, 1), (3, 5)]
    struct.pack_into("<iii", b, 0, len(xs), len(ys), len(cats))
    b[12], b[13] = game_over, board_clear
    struct.pack_into("<i3i", b, 16, 50, 4000, 100000, 100000)
    for i, x in enumerate(xs): struct.pack_into("<i", b, 32 + 4 * i, x)
    for i, y in enumerate(ys): struct.pack_into("<i", b, 236 + 4 * i, y)
    def obj(off, col, row, d, alive):
        struct.pack_into("<iiiBB", b, off, col, row, d, alive, 0)
    obj(440, hamster[0], hamster[1], 0, 0)
    for i, (c, r) in enumerate(cats):
        obj(468 + 28 * i, c, r, 0, 1)
        b[748 + 51 * c + r] = 1
    obj(3352, food[0], food[1], 0, 0)
    struct.pack_into("<I", b, 3380, 12345)
    struct.pack_into("<iiii", b, 3388, 15000, 20000, foods, stage)
    struct.pack_into("<ii", b, 3408, 9000, 40)
    return bytes(b) + keys

seeds = {
    "in_play": image(keys=bytes([0x40, 8, 8, 2, 2, 0x38, 8, 2])),
    "board_clear": image(board_clear=1, keys=bytes([0x40, 0x88, 0x82])),
    "game_over": image(game_over=1, keys=bytes([0x40, 8, 2, 0x80])),
    "last_food": image(foods=29, stage=3, hamster=(8, 6), keys=bytes([0x40, 8])),
    "short": image()[:100],
    "zeros": bytes(3416),
}
for name, data in seeds.items():
    open("corpus/" + name, "wb").write(data)
PY

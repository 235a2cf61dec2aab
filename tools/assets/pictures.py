#!/usr/bin/python3
"""Builds every picture of the game from the drawings in assets/pictures.

  pictures.py SOURCE_DIR WORK_DIR

Writes the sprite and banner BMPs into WORK_DIR/bmp (packed into Data/data.qda
afterwards), Data/haikei.jpg, the version dialog pictures and the icons under
app/resources, and the contact sheet docs/assets-contact-sheet.png.

Every output depends only on the sources, rsvg-convert and Pillow: the same
bytes on every run.
"""
import json
import math
import os
import random
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image, ImageDraw, ImageFont

KEYS = {"white": (255, 255, 255), "black": (0, 0, 0), "red": (255, 0, 0)}
# What a visible pixel that happens to be the key colour becomes instead.
KEY_STAND_INS = {"white": (246, 246, 246), "black": (16, 16, 16), "red": (236, 24, 24)}
OUTLINE = (16, 16, 16)


def rsvg(svg_text, width, height):
    """Renders SVG text at width x height into straight-alpha RGBA (uint8 array)."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.svg")
        out = os.path.join(tmp, "out.png")
        with open(src, "w", encoding="utf-8") as f:
            f.write(svg_text)
        subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", out, src], check=True)
        img = Image.open(out).convert("RGBA")
        if img.size != (width, height):
            raise SystemExit(f"rsvg-convert gave {img.size}, wanted {(width, height)}")
        return np.array(img)


def key_composite(rgba, key_name):
    """Hard-edged sprite: covered pixels (alpha >= 50%) keep their colour, made opaque
    by blending the uncovered part against the outline colour; the rest become the
    key colour. A covered pixel that equals the key colour is nudged off it."""
    key = np.array(KEYS[key_name], dtype=np.uint8)
    a = rgba[:, :, 3:4].astype(np.float64) / 255.0
    rgb = rgba[:, :, :3].astype(np.float64)
    solid = np.rint(rgb * a + np.array(OUTLINE, dtype=np.float64) * (1.0 - a)).astype(np.uint8)
    covered = rgba[:, :, 3] >= 128
    out = np.where(covered[:, :, None], solid, key[None, None, :])
    clash = covered & np.all(out == key[None, None, :], axis=2)
    out[clash] = np.array(KEY_STAND_INS[key_name], dtype=np.uint8)
    return out


def fill_holes(rgb, key_name):
    """Key-coloured pockets that do not reach the border (the insides of letters such as
    O and A) take the outline colour, so lettering reads as a solid sticker."""
    key = np.array(KEYS[key_name], dtype=np.uint8)
    free = np.all(rgb == key[None, None, :], axis=2)
    h, w = free.shape
    outside = np.zeros_like(free)
    stack = [(y, x) for y in range(h) for x in (0, w - 1) if free[y, x]]
    stack += [(y, x) for x in range(w) for y in (0, h - 1) if free[y, x]]
    for y, x in stack:
        outside[y, x] = True
    while stack:
        y, x = stack.pop()
        for ny, nx in ((y + 1, x), (y - 1, x), (y, x + 1), (y, x - 1)):
            if 0 <= ny < h and 0 <= nx < w and free[ny, nx] and not outside[ny, nx]:
                outside[ny, nx] = True
                stack.append((ny, nx))
    out = rgb.copy()
    out[free & ~outside] = np.array(OUTLINE, dtype=np.uint8)
    return out


def write_bmp(path, rgb):
    """A bottom-up 24-bit BMP with a BITMAPINFOHEADER."""
    h, w, _ = rgb.shape
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):
        row = rgb[y, :, ::-1].tobytes()
        body += row + b"\0" * (stride - len(row))
    header = b"BM" + (54 + len(body)).to_bytes(4, "little") + b"\0\0\0\0" + (54).to_bytes(4, "little")
    info = b"".join([
        (40).to_bytes(4, "little"), w.to_bytes(4, "little", signed=True), h.to_bytes(4, "little", signed=True),
        (1).to_bytes(2, "little"), (24).to_bytes(2, "little"), (0).to_bytes(4, "little"),
        len(body).to_bytes(4, "little"), (2835).to_bytes(4, "little"), (2835).to_bytes(4, "little"),
        (0).to_bytes(4, "little"), (0).to_bytes(4, "little")])
    with open(path, "wb") as f:
        f.write(header + info + bytes(body))


def save_png(path, rgb_or_rgba):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    Image.fromarray(rgb_or_rgba).save(path, format="PNG", optimize=False, compress_level=9)


def svg_inner(path):
    """The content of an SVG file with its outer element's viewBox, for nesting."""
    text = open(path, encoding="utf-8").read()
    start = text.index("<svg")
    head_end = text.index(">", start)
    head = text[start:head_end]
    vb = head.split('viewBox="')[1].split('"')[0]
    body = text[head_end + 1:text.rindex("</svg>")]
    return vb, body


def sunflower(cx, cy, r):
    """A sunflower head: two rings of petals around a seeded brown centre."""
    parts = [f'<g transform="translate({cx} {cy}) scale({r / 50:.4f})">']
    for ring, (count, length, colour, edge, turn) in enumerate(
            [(14, 48, "#f7b21a", "#c7800a", 12.8), (14, 44, "#ffd43a", "#d99a10", 0.0)]):
        parts.append(f'<g fill="{colour}" stroke="{edge}" stroke-width="2">')
        for i in range(count):
            angle = turn + 360.0 * i / count
            parts.append(f'<ellipse cx="0" cy="-{length / 2 + 10:.1f}" rx="8.5" ry="{length / 2 - 4:.1f}" '
                         f'transform="rotate({angle:.2f})"/>')
        parts.append("</g>")
    parts.append('<circle r="23" fill="#6b3d12" stroke="#101010" stroke-width="3"/>')
    parts.append('<circle r="16" fill="#83501c"/>')
    for i in range(10):
        angle = math.radians(36 * i + 18)
        parts.append(f'<circle cx="{11 * math.cos(angle):.2f}" cy="{11 * math.sin(angle):.2f}" r="2.3" fill="#4a2808"/>')
    parts.append('<circle r="4" fill="#4a2808"/></g>')
    return "".join(parts)


def banner_svg(desc, font, src_dir):
    w, h = desc["size"]
    defs, body = [], []
    if desc.get("background", "none") != "none":
        body.append(f'<rect width="{w}" height="{h}" fill="{desc["background"]}"/>')
    for item in desc.get("decor", []):
        if "sunflower" in item:
            body.append(sunflower(*item["sunflower"]))
        else:
            vb, inner = svg_inner(os.path.join(src_dir, item["sprite"]))
            x, y, bw, bh = item["box"]
            body.append(f'<svg x="{x}" y="{y}" width="{bw}" height="{bh}" viewBox="{vb}">{inner}</svg>')
    for n, line in enumerate(desc["lines"]):
        gid = f"fill{n}"
        stops = line["fill"]
        defs.append(f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">' + "".join(
            f'<stop offset="{i / max(1, len(stops) - 1):.3f}" stop-color="{c}"/>' for i, c in enumerate(stops))
            + "</linearGradient>")
        attrs = (f'x="{line["x"]}" y="{line["y"]}" font-family="{font}" font-size="{line["size"]}" '
                 f'text-anchor="middle" stroke-linejoin="round" stroke-linecap="round"')
        text = line["text"].replace("&", "&amp;")
        body.append(f'<text {attrs} fill="#101010" stroke="#101010" stroke-width="{line["outline"]}">{text}</text>')
        if line["rim"] > 0:
            body.append(f'<text {attrs} fill="{line["rim_colour"]}" stroke="{line["rim_colour"]}" '
                        f'stroke-width="{line["rim"]}">{text}</text>')
        body.append(f'<text {attrs} fill="url(#{gid})" stroke="url(#{gid})" stroke-width="1.2">{text}</text>')
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">'
            f'<defs>{"".join(defs)}</defs>{"".join(body)}</svg>')


def translated_banners(banners, src, work):
    """The banners with words once more for each language of banners["languages"], their
    Japanese lines replaced, each language's BMPs in <work>/bmp-<language>/ under the same
    entry names (they are packed into the language's own archive beside data.qda)."""
    for language, wording in sorted(banners.get("languages", {}).items()):
        out_dir = os.path.join(work, "bmp-" + language)
        os.makedirs(out_dir, exist_ok=True)
        for b in banners["banners"]:
            if not any(line["text"] in wording["texts"] for line in b["lines"]):
                continue
            translated = dict(b, lines=[dict(line, text=wording["texts"].get(line["text"], line["text"]))
                                        for line in b["lines"]])
            w, h = b["size"]
            rgb = fill_holes(key_composite(rsvg(banner_svg(translated, banners["font"], src), w, h), "black"),
                             "black")
            write_bmp(os.path.join(out_dir, b["out"]), rgb)


def board_line(desc, vertical):
    t = desc["thickness"]
    length = (desc["vertical"] if vertical else desc["horizontal"])["length"] + t
    colours = np.array([[int(c[i:i + 2], 16) for i in (1, 3, 5)] for c in desc["colours"]], dtype=np.uint8)
    if vertical:
        return np.repeat(colours[None, :, :], length, axis=0)
    return np.repeat(colours[:, None, :], length, axis=1)


def turn(rgb, how):
    if how == "mirror":
        return rgb[:, ::-1]
    if how == "cw":
        return np.rot90(rgb, k=-1)
    if how == "ccw":
        return np.rot90(rgb, k=1)
    return rgb


def background_svg(desc):
    w, h = desc["size"]
    rnd = random.Random(desc["seed"])
    sky0, sky1 = desc["sky"]
    hz = desc["horizon"]
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">',
             '<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
             f'<stop offset="0" stop-color="{sky0}"/><stop offset="1" stop-color="{sky1}"/></linearGradient>'
             '<linearGradient id="field" x1="0" y1="0" x2="0" y2="1">'
             '<stop offset="0" stop-color="#7cb85a"/><stop offset="1" stop-color="#3f7a2c"/></linearGradient></defs>',
             f'<rect width="{w}" height="{h}" fill="url(#sky)"/>']
    for i in range(5):  # soft clouds
        cx, cy = rnd.randint(40, w - 40), rnd.randint(25, hz - 60)
        parts.append(f'<g fill="#ffffff" opacity="0.85"><ellipse cx="{cx}" cy="{cy}" rx="46" ry="13"/>'
                     f'<ellipse cx="{cx - 18}" cy="{cy - 8}" rx="22" ry="13"/>'
                     f'<ellipse cx="{cx + 16}" cy="{cy - 10}" rx="26" ry="15"/></g>')
    hill0, hill1 = desc["hills"]
    parts.append(f'<path d="M0 {hz - 10} C150 {hz - 45} 260 {hz - 20} 380 {hz - 32} C520 {hz - 48} 640 {hz - 18} '
                 f'{w} {hz - 36} L{w} {h} L0 {h} Z" fill="{hill0}"/>')
    parts.append(f'<path d="M0 {hz} C120 {hz - 16} 300 {hz + 4} 420 {hz - 10} C560 {hz - 24} 680 {hz} '
                 f'{w} {hz - 8} L{w} {h} L0 {h} Z" fill="{hill1}"/>')
    parts.append(f'<rect y="{hz + 4}" width="{w}" height="{h - hz - 4}" fill="url(#field)"/>')
    for row in desc["rows"]:
        size, step, jit = row["size"], row["step"], row["jitter"]
        x = -rnd.randint(0, step)
        while x < w + step:
            cx = x + rnd.randint(-jit, jit)
            cy = row["y"] + rnd.randint(-jit, jit) // 2
            stem = size * 1.8
            parts.append(f'<path d="M{cx} {cy} L{cx} {cy + stem:.1f}" stroke="#3d7a24" '
                         f'stroke-width="{max(1.0, size / 7):.1f}"/>')
            leaf = size * 0.55
            parts.append(f'<ellipse cx="{cx + leaf * 0.7:.1f}" cy="{cy + stem * 0.55:.1f}" rx="{leaf:.1f}" '
                         f'ry="{leaf * 0.38:.1f}" fill="#4f9a30" transform="rotate(-25 {cx} {cy + stem * 0.55:.1f})"/>')
            parts.append(sunflower(cx, cy, size))
            x += step
    v = desc["board_veil"]
    bx, by, bw, bh = v["rect"]
    p = desc["panel_veil"]
    # Dark everywhere but the board, then pale over the board.
    parts.append(f'<path fill-rule="evenodd" fill="{p["colour"]}" opacity="{p["opacity"]}" '
                 f'd="M0 0 H{w} V{h} H0 Z M{bx} {by} H{bx + bw} V{by + bh} H{bx} Z"/>')
    parts.append(f'<rect x="{bx}" y="{by}" width="{bw}" height="{bh}" rx="{v["radius"]}" fill="{v["colour"]}" '
                 f'opacity="{v["opacity"]}"/>')
    parts.append(f'<rect x="{bx + 1}" y="{by + 1}" width="{bw - 2}" height="{bh - 2}" rx="{v["radius"]}" '
                 f'fill="none" stroke="#6e4a1e" stroke-width="2" opacity="0.8"/>')
    parts.append("</svg>")
    return "".join(parts)


def contact_sheet(items, path):
    """Every picture on a checkerboard (transparent parts shown as the board), labelled."""
    font = ImageFont.truetype("/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf", 12)
    pad, width = 10, 1560
    x = y = pad
    row_h = 0
    placed = []
    for name, img in items:
        w, h = img.size
        if x + w + pad > width:
            x, y, row_h = pad, y + row_h + 20 + pad, 0
        placed.append((name, img, x, y))
        x += max(w, 90) + pad
        row_h = max(row_h, h)
    sheet = Image.new("RGB", (width, y + row_h + 20 + pad), (250, 250, 245))
    draw = ImageDraw.Draw(sheet)
    for name, img, px, py in placed:
        w, h = img.size
        checker = Image.new("RGB", (w, h), (200, 200, 200))
        cd = ImageDraw.Draw(checker)
        for cy in range(0, h, 8):
            for cx in range(0, w, 8):
                if (cx // 8 + cy // 8) % 2:
                    cd.rectangle([cx, cy, cx + 7, cy + 7], fill=(150, 150, 150))
        checker.paste(img, (0, 0), img)
        sheet.paste(checker, (px, py))
        draw.text((px, py + h + 3), name, fill=(20, 20, 20), font=font)
    sheet.save(path, format="PNG", optimize=False, compress_level=9)


def mock_screen(background, keyed, title):
    """The window as the game composes it: a sample board with the sprites centred in their
    cells, the status panel in its colours and, when title is set, the title screen's pictures.
    Only for looking at the pictures together; the board is not one the game would make."""
    img = background.copy()
    rnd = random.Random(5)
    xs, ys = [20], [20]
    while xs[-1] < 570:
        xs.append(xs[-1] + rnd.randint(20, 69))
    xs[-1] = 620
    while ys[-1] < 370:
        ys.append(ys[-1] + rnd.randint(20, 69))
    ys[-1] = 420
    for y in ys:
        img.alpha_composite(keyed["YokoLine.bmp"], (20, y))
    for x in xs:
        img.alpha_composite(keyed["TateLine.bmp"], (x, 20))

    def centre(name, col, row):
        sprite = keyed[name]
        cw, ch = xs[col + 1] - xs[col], ys[row + 1] - ys[row]
        img.alpha_composite(sprite, (xs[col] + (cw - sprite.width) // 2, ys[row] + (ch - sprite.height) // 2))

    centre("himawari_tane0.bmp", len(xs) - 2, len(ys) - 2)
    centre("apple.bmp", len(xs) - 4, len(ys) - 3)
    centre("cat_R.bmp", 5, 4)
    centre("cat_down.bmp", 7, 2)
    centre("cat_up.bmp", 3, 5)
    centre("cat_L.bmp", 9, 3)
    centre("kuro_R.bmp", 0, 0)
    centre("kuro_Up.bmp", 2, 1)
    draw = ImageDraw.Draw(img)
    font = ImageFont.truetype("/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf", 21)
    panel = [(630, 10, "TIME:", "#27DA33"), (640, 46, '012"03', "#FFFFFF"), (630, 81, "RECORD:", "#27DA33"),
             (640, 112, '034"50(1)', "#3339D6"), (640, 138, '100"00(2)', "#EFDC07"),
             (640, 164, '100"00(3)', "#EFDC07"), (630, 300, "SCORE:", "#27DA33"), (640, 326, "001200", "#E30880"),
             (630, 352, "HIGH SCORE:", "#27DA33"), (640, 378, "004500", "#E68AD2"), (630, 404, "FOODS:", "#27DA33"),
             (640, 430, "03", "#36CDF3"), (22, 467, "050", "#E30880"),
             (248, 467, "Enter:ゲームスタート Space:ハムスター回転", "#E3F5E4")]
    for x, y, text, colour in panel:
        draw.text((x, y), text, fill=colour, font=font)
    draw.rectangle([64, 467, 64 + 168, 467 + 24], fill=(214, 214, 214), outline=(120, 120, 120))
    draw.rectangle([65, 468, 65 + 42, 467 + 23], fill=(48, 168, 64))
    if title:
        t = keyed["Title.bmp"]
        img.alpha_composite(t, ((img.width - t.width) // 2, 150))
        logo = keyed["2008rogo.bmp"].copy()
        logo.putalpha(logo.getchannel("A").point(lambda a: a * 0xBB // 255))
        img.alpha_composite(logo, (400, 350))
    return img


def keyed_rgba(rgb, key_name):
    key = np.array(KEYS[key_name], dtype=np.uint8)
    alpha = np.where(np.all(rgb == key[None, None, :], axis=2), 0, 255).astype(np.uint8)
    return Image.fromarray(np.dstack([rgb, alpha]), "RGBA")


def main():
    root, work = sys.argv[1], sys.argv[2]
    src = os.path.join(root, "assets", "pictures")
    bmp_dir = os.path.join(work, "bmp")
    os.makedirs(bmp_dir, exist_ok=True)
    sheet = []

    sprites = json.load(open(os.path.join(src, "sprites.json"), encoding="utf-8"))
    lines = sprites["lines"]
    for vertical in (True, False):
        rgb = board_line(lines, vertical)
        name = (lines["vertical"] if vertical else lines["horizontal"])["out"]
        write_bmp(os.path.join(bmp_dir, name), rgb)
        sheet.append((name, keyed_rgba(rgb, "black")))
    rendered = {}
    for s in sprites["sprites"]:
        w, h = s["size"]
        cache_key = (s["svg"], w, h, s["key"])
        if cache_key not in rendered:
            text = open(os.path.join(src, s["svg"]), encoding="utf-8").read()
            rendered[cache_key] = key_composite(rsvg(text, w, h), s["key"])
        rgb = np.ascontiguousarray(turn(rendered[cache_key], s["turn"]))
        write_bmp(os.path.join(bmp_dir, s["out"]), rgb)
        sheet.append((s["out"], keyed_rgba(rgb, s["key"])))

    banners = json.load(open(os.path.join(src, "banners.json"), encoding="utf-8"))
    for b in banners["banners"]:
        w, h = b["size"]
        rgb = fill_holes(key_composite(rsvg(banner_svg(b, banners["font"], src), w, h), "black"), "black")
        write_bmp(os.path.join(bmp_dir, b["out"]), rgb)
        sheet.append((b["out"], keyed_rgba(rgb, "black")))
    translated_banners(banners, src, work)
    for p in banners["pngs"]:
        w, h = p["size"]
        rgba = rsvg(banner_svg(p, banners["font"], src), w, h)
        rgb = rgba[:, :, :3]  # opaque: the picture has its own background
        save_png(os.path.join(root, p["out"]), np.ascontiguousarray(rgb))
        sheet.append((os.path.basename(p["out"]), Image.fromarray(np.ascontiguousarray(rgb)).convert("RGBA")))
    icon_text = open(os.path.join(src, "icon.svg"), encoding="utf-8").read()
    for icon in banners["icons"]:
        rgba = rsvg(icon_text, icon["size"], icon["size"])
        save_png(os.path.join(root, icon["out"]), rgba)
        sheet.append((os.path.basename(icon["out"]), Image.fromarray(rgba, "RGBA")))

    bg = json.load(open(os.path.join(src, "background.json"), encoding="utf-8"))
    w, h = bg["size"]
    rgb = np.ascontiguousarray(rsvg(background_svg(bg), w, h)[:, :, :3])
    os.makedirs(os.path.join(root, "Data"), exist_ok=True)
    Image.fromarray(rgb).save(os.path.join(root, "Data", "haikei.jpg"), format="JPEG",
                              quality=bg["jpeg_quality"], optimize=False, progressive=False, subsampling=0)
    background = Image.open(os.path.join(root, "Data", "haikei.jpg")).convert("RGBA")
    keyed = dict(sheet)
    small = [(f"{name} x3", img.resize((img.width * 3, img.height * 3), Image.NEAREST))
             for name, img in sheet if img.width <= 64 and img.height <= 64]
    sheet = [("mock-up: play", mock_screen(background, keyed, False)),
             ("mock-up: title", mock_screen(background, keyed, True)),
             ("haikei.jpg", background)] + small + [item for item in sheet if "Line" not in item[0]] \
        + [item for item in sheet if "Line" in item[0]]

    os.makedirs(os.path.join(root, "docs"), exist_ok=True)
    contact_sheet(sheet, os.path.join(root, "docs", "assets-contact-sheet.png"))


if __name__ == "__main__":
    main()

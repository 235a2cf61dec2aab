#!/usr/bin/python3
"""Reads the game's note files (assets/music/*.notes) and writes Standard MIDI files.

The note format, one statement per line ('#' at the start or after a space starts a comment):

  title TEXT                 the track name stored in the MIDI file
  tempo BPM                  quarter notes per minute
  meter N/D                  the bar, checked at every '|'
  tail BEATS                 silence added after the song (room for the last notes to ring out)
  track NAME program=P channel=C volume=V pan=P [reverb=R] [velocity=V] [style=S] [octave=O]
  NAME: TOKENS...            notes of a track; several lines of one track are joined

Tokens of a plain track (style=notes, the default):
  C5:4  F#4:8.  Bb3:2        a note: name, octave, ':' and length (1 whole, 2 half, 4 quarter,
                             8 eighth, 16 sixteenth; a trailing '.' adds half; '3' after the
                             number makes a triplet, e.g. 8t)
  [F4 A4 C5]:2               a chord
  r:4                        a rest
  v90                        velocity from here on
  |                          bar line: the bar so far must be exactly one bar long

Tokens of an accompaniment track (style=arp, pad, bass or waltz): chord symbols such as
F, C/E, Dm, Gm7, C7, Bbmaj7, Csus4, each lasting one bar unless a length follows
(Dm:2 G7:2). The style turns every chord into notes: 'arp' rolls the chord in eighth notes,
'pad' holds it, 'bass' plays root and fifth in half notes.
"""
import re
import struct
import sys

NOTE_BASE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
PPQ = 480


class NoteError(Exception):
    pass


def pitch(name):
    m = re.fullmatch(r"([A-G])([#b]?)(-?\d)", name)
    if not m:
        raise NoteError(f"bad note '{name}'")
    p = NOTE_BASE[m.group(1)] + {"#": 1, "b": -1, "": 0}[m.group(2)]
    return 12 * (int(m.group(3)) + 1) + p


def length(text):
    m = re.fullmatch(r"(1|2|4|8|16|32)(t?)(\.?)", text)
    if not m:
        raise NoteError(f"bad length '{text}'")
    ticks = PPQ * 4 // int(m.group(1))
    if m.group(2):
        ticks = ticks * 2 // 3
    if m.group(3):
        ticks += ticks // 2
    return ticks


CHORD_SHAPES = {"": [0, 4, 7], "m": [0, 3, 7], "7": [0, 4, 7, 10], "m7": [0, 3, 7, 10],
                "maj7": [0, 4, 7, 11], "sus4": [0, 5, 7], "add9": [0, 4, 7, 14], "dim": [0, 3, 6]}


def chord(symbol):
    """(root pitch class, intervals, bass pitch class) of a chord symbol."""
    m = re.fullmatch(r"([A-G][#b]?)(m7|maj7|m|7|sus4|add9|dim|)(?:/([A-G][#b]?))?", symbol)
    if not m:
        raise NoteError(f"bad chord '{symbol}'")
    root = pitch(m.group(1) + "0") % 12
    bass = pitch(m.group(3) + "0") % 12 if m.group(3) else root
    return root, CHORD_SHAPES[m.group(2)], bass


def expand_style(style, symbol, ticks, octave, start):
    """Notes (start, length, pitch, velocity scale) of one chord in an accompaniment style."""
    root, shape, bass = chord(symbol)
    base = 12 * (octave + 1) + root
    tones = [base + i for i in shape]
    notes = []
    if style == "pad":
        for p in tones[:4]:
            notes.append((start, ticks, p, 1.0))
    elif style == "bass":
        low = 12 * (octave + 1) + bass
        half = PPQ * 2
        t = 0
        while t < ticks:
            p = low if (t // half) % 2 == 0 else 12 * (octave + 1) + (root + 7) % 12
            if p - low > 7:
                p -= 12
            notes.append((start + t, min(half, ticks - t), p, 1.0 if t % (PPQ * 4) == 0 else 0.85))
            t += half
    elif style in ("arp", "waltz"):
        pattern = [0, 2, 4, 5, 4, 2, 4, 2] if style == "arp" else [0, 2, 4, 5, 4, 2]
        ladder = [tones[0], tones[1], tones[2], tones[0] + 12, tones[1] + 12, tones[2] + 12]
        step = PPQ // 2
        t, i = 0, 0
        while t < ticks:
            p = ladder[pattern[i % len(pattern)]]
            notes.append((start + t, min(step * 2, ticks - t), p, 1.0 if i % 4 == 0 else 0.8))
            t += step
            i += 1
    else:
        raise NoteError(f"unknown style '{style}'")
    return notes


class Track:
    def __init__(self, name, opts):
        self.name = name
        self.program = int(opts.get("program", 0))
        self.channel = int(opts.get("channel", 0))
        self.volume = int(opts.get("volume", 100))
        self.pan = int(opts.get("pan", 64))
        self.reverb = int(opts.get("reverb", 40))
        self.velocity = int(opts.get("velocity", 90))
        self.style = opts.get("style", "notes")
        self.octave = int(opts.get("octave", 3))
        self.notes = []  # (start tick, length, pitch, velocity)
        self.time = 0
        self.bar_start = 0


def parse(text):
    song = {"title": "", "tempo": 120.0, "bar": PPQ * 4, "tail": 0, "tracks": {}}
    for lineno, raw in enumerate(text.splitlines(), start=1):
        line = re.split(r"(?:^|\s)#", raw, maxsplit=1)[0].strip()
        if not line:
            continue
        try:
            parse_line(song, line)
        except (NoteError, ValueError, KeyError) as e:
            raise NoteError(f"line {lineno}: {e}") from None
    for t in song["tracks"].values():
        if t.time != t.bar_start:
            raise NoteError(f"track {t.name} ends in the middle of a bar")
    return song


def parse_line(song, line):
    word, _, rest = line.partition(" ")
    if word == "title":
        song["title"] = rest.strip()
    elif word == "tempo":
        song["tempo"] = float(rest)
    elif word == "meter":
        n, d = rest.split("/")
        song["bar"] = PPQ * 4 * int(n) // int(d)
    elif word == "tail":
        song["tail"] = int(float(rest) * PPQ)
    elif word == "track":
        name, *opts = rest.split()
        song["tracks"][name] = Track(name, dict(o.split("=", 1) for o in opts))
    elif word.endswith(":") and word[:-1] in song["tracks"]:
        track = song["tracks"][word[:-1]]
        for token in re.findall(r"\[[^\]]*\](?::\S+)?|\S+", rest):
            add_token(song, track, token)
    else:
        raise NoteError(f"unknown statement '{word}'")


def add_token(song, track, token):
    if token == "|":
        if track.time - track.bar_start != song["bar"]:
            raise NoteError(f"bar of {track.name} is {track.time - track.bar_start} ticks, not {song['bar']}")
        track.bar_start = track.time
        return
    if re.fullmatch(r"v\d+", token):
        track.velocity = int(token[1:])
        return
    if track.style != "notes":
        symbol, _, len_text = token.partition(":")
        ticks = length(len_text) if len_text else song["bar"]
        for start, ln, p, scale in expand_style(track.style, symbol, ticks, track.octave, track.time):
            track.notes.append((start, ln, p, max(1, min(127, round(track.velocity * scale)))))
        track.time += ticks
        return
    body, _, len_text = token.rpartition(":")
    if not body:
        raise NoteError(f"note without length '{token}'")
    ticks = length(len_text)
    if body != "r":
        names = body[1:-1].split() if body.startswith("[") else [body]
        for n in names:
            track.notes.append((track.time, ticks, pitch(n), track.velocity))
    track.time += ticks


def var_len(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)


def chunk(events):
    """A track chunk from (tick, order, bytes) events."""
    body = bytearray()
    now = 0
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += var_len(tick - now) + data
        now = tick
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def song_ticks(song):
    return max((t.time for t in song["tracks"].values()), default=0)


def to_midi(song):
    end = song_ticks(song) + song["tail"]
    tempo = round(60_000_000 / song["tempo"])
    title = song["title"].encode("utf-8")
    conductor = [(0, 0, b"\xff\x03" + var_len(len(title)) + title),
                 (0, 1, b"\xff\x51\x03" + tempo.to_bytes(3, "big")),
                 (end, 9, b"\xff\x2f\x00")]
    chunks = [chunk(conductor)]
    for t in song["tracks"].values():
        c = t.channel
        name = t.name.encode("ascii")
        ev = [(0, 0, b"\xff\x03" + var_len(len(name)) + name),
              (0, 1, bytes([0xC0 | c, t.program])),
              (0, 2, bytes([0xB0 | c, 7, t.volume])),
              (0, 3, bytes([0xB0 | c, 10, t.pan])),
              (0, 4, bytes([0xB0 | c, 91, t.reverb])),
              (end, 9, b"\xff\x2f\x00")]
        for start, ln, p, vel in t.notes:
            ev.append((start + ln, 5, bytes([0x80 | c, p, 0])))  # note-offs before note-ons at one tick
            ev.append((start, 6, bytes([0x90 | c, p, vel])))
        chunks.append(chunk(ev))
    return b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), PPQ) + b"".join(chunks)


def main():
    src, out = sys.argv[1], sys.argv[2]
    song = parse(open(src, encoding="utf-8").read())
    with open(out, "wb") as f:
        f.write(to_midi(song))
    # The loop length in seconds, for the renderer.
    print(f"{song_ticks(song) / PPQ * 60.0 / song['tempo']:.6f}")


if __name__ == "__main__":
    try:
        main()
    except NoteError as e:
        sys.exit(f"{sys.argv[1]}: {e}")

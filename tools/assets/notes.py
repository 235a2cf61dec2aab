#!/usr/bin/python3
"""Reads the game's note files (assets/music/*.notes) and writes Standard MIDI files.

The note format, one statement per line ('#' at the start or after a space starts a comment):

  title TEXT                 the track name stored in the MIDI file
  tempo BPM                  quarter notes per minute
  meter N/D                  the bar, checked at every '|'
  tail BEATS                 silence added after the song (room for the last notes to ring out)
  phrases BARS...            the song's phrases, bar counts in order: velocities swell and ebb
                             over each (softer at a phrase's start and end, strongest a little
                             past its middle), with a light accent on each downbeat
  arcs BARS[:PEAK]...        the song's larger arcs, bar counts in order: velocities rise to the
                             arc's PEAK-th bar (by default three quarters of the way) and fall
                             from there to its end, on top of the phrases' swells
  track NAME program=P channel=C volume=V pan=P [reverb=R] [velocity=V] [style=S] [octave=O]
        [gate=G]
                             gate: each note sounds for this fraction of its length, so that a
                             wind lead breathes between notes (1 = full length)
  NAME: TOKENS...            notes of a track; several lines of one track are joined

Tokens of a plain track (style=notes, the default):
  C5:4  F#4:8.  Bb3:2        a note: name, octave, ':' and length (1 whole, 2 half, 4 quarter,
                             8 eighth, 16 sixteenth; a trailing '.' adds half; 't' after the
                             number makes a triplet, e.g. 8t; a last '~' plays it legato, for
                             its whole length whatever the track's gate)
  [F4 A4 C5]:2               a chord
  r:4                        a rest
  v90                        velocity from here on
  R4 |                       four whole bars of rest (at a bar line, followed by one); any track
  |                          bar line: the bar so far must be exactly one bar long

Tokens of an accompaniment track (style=arp, broken, pad, bass, walk, long or waltz): chord
symbols such as F, C/E, Dm, Gm7, C7, Bbmaj7, Csus4, A7, each lasting one bar unless a length
follows (Dm:2 G7:2), and 'r' (r:2) for a rest. The style turns every chord into notes: 'arp'
rolls the chord upwards in eighth notes, 'broken' plays root, fifth, octave and tenth back and
forth in eighth notes (a guitar's pattern), 'pad' holds it, 'bass' plays root and fifth in half
notes, 'walk' walks in quarter notes (root, third, fifth, then a step into the next chord's
root), 'long' holds the bass note for the whole chord. 'style:NAME' switches the style from
there on, so that one instrument changes its pattern from section to section.

  notes.py NOTES MIDI

writes the MIDI file and prints the song's length in seconds (without its tail).
"""
import math
import re
import struct
import sys

# F major, for the steps of a walking bass.
SCALE = [0, 2, 4, 5, 7, 9, 10]
NOTE_BASE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
PPQ = 480
STYLES = ("arp", "broken", "pad", "bass", "walk", "long", "waltz")


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


def step_into(target, down):
    """The scale note a step above (down=False) or below (down=True) the target pitch;
    a half step when the target is not in the scale."""
    pc = target % 12
    if pc not in SCALE:
        return target + (1 if not down else -1)
    i = SCALE.index(pc)
    if down:
        return target - (pc - SCALE[i - 1]) % 12
    return target + (SCALE[(i + 1) % 7] - pc) % 12


def chord(symbol):
    """(root pitch class, intervals, bass pitch class) of a chord symbol."""
    m = re.fullmatch(r"([A-G][#b]?)(m7|maj7|m|7|sus4|add9|dim|)(?:/([A-G][#b]?))?", symbol)
    if not m:
        raise NoteError(f"bad chord '{symbol}'")
    root = pitch(m.group(1) + "0") % 12
    bass = pitch(m.group(3) + "0") % 12 if m.group(3) else root
    return root, CHORD_SHAPES[m.group(2)], bass


def expand_style(style, symbol, ticks, octave, start, next_symbol=None):
    """Notes (start, length, pitch, velocity scale) of one chord in an accompaniment style."""
    if symbol == "r":
        return []
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
    elif style == "long":
        notes.append((start, ticks, 12 * (octave + 1) + bass, 1.0))
    elif style == "walk":
        low = 12 * (octave + 1) + bass
        walk = [low, 12 * (octave + 1) + root + shape[1], 12 * (octave + 1) + root + 7]
        walk = [p - 12 if p - low > 9 else p for p in walk]
        beats = ticks // PPQ
        steps = walk[:max(1, beats - 1)] if beats > 1 else walk[:1]
        if beats > 1:
            if next_symbol and next_symbol != "r":
                _, _, n_bass = chord(next_symbol)
                target = 12 * (octave + 1) + n_bass
                if target - steps[-1] > 6:
                    target -= 12
                elif steps[-1] - target > 6:
                    target += 12
                steps.append(step_into(target, down=target > steps[-1]))
            else:
                steps.append(walk[2])
        for i, p in enumerate(steps):
            notes.append((start + i * PPQ, PPQ if i < len(steps) - 1 else ticks - i * PPQ, p,
                          1.0 if i == 0 else 0.85))
    elif style == "broken":
        third = shape[1]
        ladder = [base, base + 7, base + 12, base + 12 + third]
        pattern = [0, 1, 2, 3, 2, 1, 2, 1]
        step = PPQ // 2
        t, i = 0, 0
        while t < ticks:
            notes.append((start + t, min(step * 3, ticks - t), ladder[pattern[i % 8]], 1.0 if i % 4 == 0 else 0.78))
            t += step
            i += 1
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
        if self.style != "notes" and self.style not in STYLES:
            raise NoteError(f"unknown style '{self.style}'")
        self.octave = int(opts.get("octave", 3))
        self.gate = float(opts.get("gate", 1.0))
        self.chords = []  # (start, ticks, symbol, style, velocity, octave): expanded after parsing
        self.notes = []  # (start tick, length, pitch, velocity)
        self.time = 0
        self.bar_start = 0


def parse(text):
    song = {"title": "", "tempo": 120.0, "bar": PPQ * 4, "tail": 0, "tracks": {}, "phrases": [], "arcs": []}
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
    for word in ("phrases", "arcs"):
        if song[word] and sum(s[1] for s in song[word]) != song_ticks(song):
            raise NoteError(f"the {word} do not add up to the song's {song_ticks(song) // song['bar']} bars")
    for t in song["tracks"].values():
        t.notes = [(start, ln, p, clamp(shaped(song, start, vel))) for start, ln, p, vel in t.notes]
        expand_chords(song, t)
    return song


def clamp(velocity):
    return max(1, min(127, round(velocity)))


def spans(lengths, bar):
    """(first tick, ticks, peak tick) of spans of the given (bars, peak bar) in order."""
    out, at = [], 0
    for bars, peak in lengths:
        out.append((at, bars * bar, (peak - 1) * bar if peak else bars * bar * 3 // 4))
        at += bars * bar
    return out


def shaped(song, start, velocity):
    """The velocity of a note at this tick, after the song's phrases and arcs."""
    bar = song["bar"]
    for first, ticks, _ in song["phrases"]:
        if first <= start < first + ticks:
            pos = (start - first) / ticks
            velocity *= 0.86 + 0.2 * math.sin(math.pi * min(1.0, pos * 1.15))
            break
    for first, ticks, peak in song["arcs"]:
        if first <= start < first + ticks:
            t = start - first
            if t < peak:
                rise = math.sin(0.5 * math.pi * t / peak)
            else:
                rise = math.cos(0.5 * math.pi * (t - peak) / (ticks - peak))
            velocity *= 0.92 + 0.14 * rise
            break
    if song["phrases"] and start % bar == 0:
        velocity *= 1.05
    return velocity


def expand_chords(song, track):
    for k, (start, ticks, symbol, style, velocity, octave) in enumerate(track.chords):
        following = track.chords[k + 1][2] if k + 1 < len(track.chords) else track.chords[0][2]
        for begin, ln, p, scale in expand_style(style, symbol, ticks, octave, start, following):
            track.notes.append((begin, ln, p, clamp(shaped(song, begin, velocity * scale))))


def parse_line(song, line):
    word, _, rest = line.partition(" ")
    if word == "title":
        song["title"] = rest.strip()
    elif word == "tempo":
        song["tempo"] = float(rest)
    elif word == "meter":
        n, d = rest.split("/")
        song["bar"] = PPQ * 4 * int(n) // int(d)
    elif word in ("phrases", "arcs"):
        lengths = []
        for item in rest.split():
            bars, _, peak = item.partition(":")
            if int(bars) < 1 or (peak and not 1 <= int(peak) <= int(bars)):
                raise NoteError(f"bad {word[:-1]} '{item}'")
            lengths.append((int(bars), int(peak) if peak else 0))
        song[word] = spans(lengths, song["bar"])
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
    if re.fullmatch(r"R\d+", token):
        if track.time != track.bar_start:
            raise NoteError(f"{token} in the middle of a bar of {track.name}")
        bars = int(token[1:])
        if bars < 1:
            raise NoteError(f"{token}: no bars")
        track.time += bars * song["bar"]
        track.bar_start = track.time - song["bar"]  # the '|' that follows closes the last bar
        return
    if token.startswith("style:"):
        if token[6:] not in STYLES or track.style == "notes":
            raise NoteError(f"{token}: not an accompaniment style for {track.name}")
        track.style = token[6:]
        return
    if track.style != "notes":
        symbol, _, len_text = token.partition(":")
        ticks = length(len_text) if len_text else song["bar"]
        if symbol != "r":
            chord(symbol)  # reported at its line
        track.chords.append((track.time, ticks, symbol, track.style, track.velocity, track.octave))
        track.time += ticks
        return
    body, _, len_text = token.rpartition(":")
    if not body:
        raise NoteError(f"note without length '{token}'")
    legato = len_text.endswith("~")
    ticks = length(len_text.removesuffix("~"))
    if body != "r":
        names = body[1:-1].split() if body.startswith("[") else [body]
        sound = ticks if legato else max(1, round(ticks * track.gate))
        for n in names:  # the velocity is shaped once the song's phrases and arcs are known
            track.notes.append((track.time, sound, pitch(n), track.velocity))
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


def quarter_micros(song):
    """Microseconds per quarter note."""
    return round(60_000_000 / song["tempo"])


def to_midi(song, tempo):
    end = song_ticks(song) + song["tail"]
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
    tempo = quarter_micros(song)
    with open(out, "wb") as f:
        f.write(to_midi(song, tempo))
    # The loop length in seconds, for the renderer.
    print(f"{song_ticks(song) / PPQ * tempo / 1e6:.6f}")


if __name__ == "__main__":
    try:
        main()
    except NoteError as e:
        sys.exit(f"{sys.argv[1]}: {e}")

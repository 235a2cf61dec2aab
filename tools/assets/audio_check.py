#!/usr/bin/python3
"""Checks the built music and sound effects as the game plays them.

  audio_check.py SOURCE_DIR [--markdown]

Reads Data/*.mp3 (decoded by libmpg123, as the game decodes them) and Data/*.wav,
and measures:

  gap     for each looping track: the silence at its join. The mixer goes on from the
          track's last decoded sample to its first, so the gap is the digital silence
          (under -80 dBFS) the file itself ends and starts with.
  join    for each looping track: the deepest dip across its join, the level of a 5 ms
          window against the 100 ms around it (mean square of both channels), for every
          window within 50 ms of the join, measured on the track's end followed by its
          start; and the step from its last sample to its first beside the track's own
          steps (their 99.9th percentile).
  blocks  for the built-in track: the loudness of every 4 bars (bars from its note file)
          against the whole track's; the last 8 bars (the tutti) against the whole
          track and against the 8 bars before them, and whether any other 8 bars in a row
          are louder.
  level   for each effect and jingle: its loudness against the built-in track's. An
          effect sounds mono on both channels at full level. Both are integrated
          loudness, K-weighted and gated as in EBU R 128 (an effect shorter than the
          400 ms block is measured as one block), the difference in LU.
  clip    for each effect: the share of the moments it can start (every 25 ms tick
          over a whole loop of the track) at which the sum of track and effect goes
          beyond full scale somewhere.
  click   for every file: the step from silence to its first sample and from its
          last sample back to silence (the larger channel); for a looping track only
          the first, as its end goes on into its start.
  cut     for the built-in track: the step that stopping it makes (for a stage
          jingle, a menu's Stop or a track switch), at every 25 ms moment of the loop.
          The mixer fades a stopped voice out linearly over 20 ms at 48 kHz (960
          frames, its gain falling by 1/961 a frame), so the step it adds to a frame is
          that frame's level over 961; a cut without the fade would step by the level
          itself, which the check reports beside it.

The sum is formed at the track's rate, the effect brought to it by linear interpolation
as the sound layer does (the game's mixer runs at 48 kHz, but linear interpolation
never makes a peak larger). Prints a table and exits with 1 when a goal is missed. With --markdown the table
is printed for the README.
"""
import ctypes
import ctypes.util
import glob
import json
import math
import os
import sys
import wave

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import notes  # noqa: E402  (the bars of the built-in track)

GAP_MAX = 0.030  # s
DIP_MAX = 6.0  # dB: a 5 ms window at the loop join under the 100 ms around it
LEVEL_MIN, LEVEL_MAX = 3.0, 8.0  # LU above the built-in track
JINGLE_MIN, JINGLE_MAX = 1.5, 3.5  # LU above the built-in track, for the stage jingle
JINGLE = "Clear.mp3"
BLOCK_MIN = -2.5  # LU: the quietest 4 bars against the whole track
TUTTI_MIN, TUTTI_OVER_BEFORE = 1.5, 1.0  # LU: the last 8 bars over the track and the 8 before
CLIP_MAX = 0.005  # share of start moments
CLICK_MAX = 0.01  # a step of 1 % of full scale (-40 dBFS)
TICK = 0.025  # s, the game's frame tick: an effect starts on one
FADE_FRAMES = 960  # the mixer's 20 ms fade of a stopped voice at 48 kHz


def load_mpg123():
    name = ctypes.util.find_library("mpg123") or "libmpg123.so.0"
    lib = ctypes.CDLL(name)
    lib.mpg123_new.restype = ctypes.c_void_p
    lib.mpg123_new.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_int)]
    lib.mpg123_param.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_long, ctypes.c_double]
    lib.mpg123_open.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.mpg123_format_none.argtypes = [ctypes.c_void_p]
    lib.mpg123_format.argtypes = [ctypes.c_void_p, ctypes.c_long, ctypes.c_int, ctypes.c_int]
    lib.mpg123_getformat.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_long),
                                     ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    lib.mpg123_read.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t,
                                ctypes.POINTER(ctypes.c_size_t)]
    lib.mpg123_close.argtypes = [ctypes.c_void_p]
    lib.mpg123_delete.argtypes = [ctypes.c_void_p]
    if hasattr(lib, "mpg123_init"):
        lib.mpg123_init()
    return lib


MPG123_DONE, MPG123_OK, MPG123_NEW_FORMAT = -12, 0, -11
MPG123_ADD_FLAGS, MPG123_QUIET = 2, 0x20
MPG123_STEREO, MPG123_ENC_SIGNED_16 = 2, 0xD0


def decode_mp3(lib, path):
    """(stereo float samples in [-1, 1), rate): the whole file, gapless, as the game reads it."""
    err = ctypes.c_int(0)
    h = lib.mpg123_new(None, ctypes.byref(err))
    if not h:
        raise SystemExit(f"{path}: libmpg123 failed ({err.value})")
    try:
        lib.mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0)
        if lib.mpg123_open(h, path.encode()) != MPG123_OK:
            raise SystemExit(f"{path}: not an MP3 file")
        rate, channels, enc = ctypes.c_long(0), ctypes.c_int(0), ctypes.c_int(0)
        lib.mpg123_getformat(h, ctypes.byref(rate), ctypes.byref(channels), ctypes.byref(enc))
        lib.mpg123_format_none(h)
        lib.mpg123_format(h, rate.value, MPG123_STEREO, MPG123_ENC_SIGNED_16)
        pieces = []
        buf = ctypes.create_string_buffer(1 << 18)
        done = ctypes.c_size_t(0)
        while True:
            r = lib.mpg123_read(h, buf, len(buf), ctypes.byref(done))
            pieces.append(buf.raw[:done.value])
            if r == MPG123_DONE:
                break
            if r not in (MPG123_OK, MPG123_NEW_FORMAT):
                raise SystemExit(f"{path}: decoding failed ({r})")
        lib.mpg123_close(h)
    finally:
        lib.mpg123_delete(h)
    pcm = np.frombuffer(b"".join(pieces), dtype="<i2").astype(np.float64) / 32768.0
    return pcm.reshape(-1, 2), rate.value


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise SystemExit(f"{path}: expected 16-bit samples")
        pcm = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64) / 32768.0
        return pcm.reshape(-1, w.getnchannels()), w.getframerate()


def biquad_response(b, a, n, rate):
    """The filter's complex response at the frequencies of an n-point real FFT."""
    z = np.exp(-2j * np.pi * np.fft.rfftfreq(n, 1.0 / rate) / rate)
    return (b[0] + b[1] * z + b[2] * z * z) / (a[0] + a[1] * z + a[2] * z * z)


def k_weight(x, rate):
    """The K-weighting of loudness measurement (a high shelf near 1.7 kHz, a high-pass
    near 38 Hz), applied through the FFT piece by piece (overlap-save): each piece of
    CHUNK samples is filtered with the OVERLAP samples before it, long enough for the
    filters' response to have died away."""
    chunk, overlap = 1 << 18, 1 << 13
    n = chunk + overlap
    # High shelf, +4 dB.
    g, q, fc = 3.999843853973347, 0.7071752369554196, 1681.974450955533
    big_a = 10 ** (g / 40)
    w0 = 2 * math.pi * fc / rate
    alpha = math.sin(w0) / (2 * q)
    c = math.cos(w0)
    s = 2 * math.sqrt(big_a) * alpha
    b1 = [big_a * ((big_a + 1) + (big_a - 1) * c + s), -2 * big_a * ((big_a - 1) + (big_a + 1) * c),
          big_a * ((big_a + 1) + (big_a - 1) * c - s)]
    a1 = [(big_a + 1) - (big_a - 1) * c + s, 2 * ((big_a - 1) - (big_a + 1) * c), (big_a + 1) - (big_a - 1) * c - s]
    # High-pass.
    q, fc = 0.5003270373238773, 38.13547087602444
    w0 = 2 * math.pi * fc / rate
    alpha = math.sin(w0) / (2 * q)
    c = math.cos(w0)
    b2 = [(1 + c) / 2, -(1 + c), (1 + c) / 2]
    a2 = [1 + alpha, -2 * c, 1 - alpha]
    h = biquad_response(b1, a1, n, rate) * biquad_response(b2, a2, n, rate)
    channels = np.concatenate([np.zeros((x.shape[1], overlap)), x.T], axis=1)
    out = np.empty((x.shape[1], len(x)))
    for start in range(0, len(x), chunk):
        piece = channels[:, start:start + n]
        y = np.fft.irfft(np.fft.rfft(piece, n, axis=1) * h, n, axis=1)
        part = y[:, overlap:piece.shape[1]]
        out[:, start:start + part.shape[1]] = part
    return out.T


def block_powers(x, rate, pad=False):
    """Mean square of the K-weighted channels, summed, over 400 ms blocks every 100 ms."""
    if pad:  # a sound shorter than a block is measured in one block of its own
        x = np.concatenate([x, np.zeros((max(0, int(0.4 * rate) - len(x)), x.shape[1]))])
    z = k_weight(x, rate)
    energy = np.concatenate([[0.0], np.cumsum(np.sum(z * z, axis=1))])
    size, hop = int(round(0.4 * rate)), int(round(0.1 * rate))
    starts = np.arange(0, len(z) - size + 1, hop)
    return (energy[starts + size] - energy[starts]) / size


def lufs(power):
    return -0.691 + 10 * np.log10(np.maximum(power, 1e-20))


def integrated_loudness(x, rate):
    return gated(block_powers(x, rate))


def gated(p):
    p = p[lufs(p) > -70.0]
    p = p[lufs(p) > lufs(np.mean(p)) - 10.0]
    return float(lufs(np.mean(p)))


def stretch_loudness(loop, rate, stretches):
    """Integrated loudness of each (start, end) stretch of frames of a looping track,
    K-weighted as the loop plays it (the filters run in from the loop's end)."""
    warm = int(rate)
    z = k_weight(np.concatenate([loop[-warm:], loop]), rate)[warm:]
    energy = np.concatenate([[0.0], np.cumsum(np.sum(z * z, axis=1))])
    size, hop = int(round(0.4 * rate)), int(round(0.1 * rate))
    out = []
    for a, b in stretches:
        starts = np.arange(a, b - size + 1, hop)
        out.append(gated((energy[starts + size] - energy[starts]) / size))
    return out


def bar_frames(notes_path, rate):
    """Frames per bar and bars of a note file."""
    song = notes.parse(open(notes_path, encoding="utf-8").read())
    seconds = song["bar"] / notes.PPQ * notes.quarter_micros(song) / 1e6
    return seconds * rate, notes.song_ticks(song) // song["bar"]


def join_dip(loop, rate):
    """The deepest dip (dB) of a 5 ms window under the 100 ms around it, over the windows
    within 50 ms of the join, with the track's end before its start."""
    around, short = int(round(0.1 * rate)), int(round(0.005 * rate))
    half = around // 2
    x = np.concatenate([loop[-2 * around:], loop[:2 * around]])
    power = np.concatenate([[0.0], np.cumsum(np.sum(x * x, axis=1))])
    join = 2 * around
    worst = 0.0
    for a in range(join - half - short, join + half + 1):
        centre = a + short // 2
        inner = (power[a + short] - power[a]) / short
        outer = (power[centre + half] - power[centre - half]) / (2 * half)
        worst = max(worst, 10 * math.log10(max(outer, 1e-20) / max(inner, 1e-20)))
    return worst


def effect_loudness(mono, rate):
    """Integrated loudness of an effect played on both channels; one shorter than a
    block is measured as one block."""
    return gated(block_powers(np.repeat(mono, 2, axis=1), rate, pad=True))


def resample(mono, rate, out_rate):
    """The sound layer's linear interpolation from the file's rate to the output's."""
    if rate == out_rate:
        return mono
    n = int(math.ceil(len(mono) * out_rate / rate))
    return np.interp(np.arange(n) * rate / out_rate, np.arange(len(mono)), mono)


def clip_share(cycle, level, effect, rate):
    """Share of the tick-spaced start moments over the cycle at which track + effect clips.
    level is the cycle's larger channel, sample by sample. The cycle repeats, so an effect
    started near its end reaches into its start."""
    step = TICK * rate
    starts = int(len(cycle) // step)
    loud = np.nonzero(level > 1.0 - np.max(np.abs(effect)))[0]
    loud = np.concatenate([loud, len(cycle) + loud[loud < len(effect)]])
    m = cycle[loud % len(cycle)]
    room = 1.0 - level[loud % len(cycle)]  # an effect sample this large might clip here
    clipped = np.zeros(starts, dtype=bool)
    for back in range(int(math.ceil(len(effect) / step)) + 1):
        k = np.floor(loud / step).astype(np.int64) - back
        i = loud - np.round(k * step).astype(np.int64)
        ok = (i >= 0) & (i < len(effect)) & (k >= 0) & (k < starts)
        e = effect[np.where(ok, i, 0)]
        near = np.nonzero(ok & (np.abs(e) > room))[0]
        over = np.maximum(np.abs(m[near, 0] + e[near]), np.abs(m[near, 1] + e[near])) > 1.0
        clipped[k[near[over]]] = True
    return float(np.mean(clipped))


def silent_join(audio):
    """Frames of digital silence at the end and the start of a track, which a loop joins."""
    loud = np.nonzero(np.max(np.abs(audio), axis=1) >= 1e-4)[0]
    return len(audio) if len(loud) == 0 else int(loud[0] + len(audio) - 1 - loud[-1])


def cut_steps(audio, rate):
    """At each tick-spaced moment of the track: the largest step a stop there makes
    through the mixer's fade (the level of the frames it fades, over the fade's length
    plus one), and the step a cut without the fade would make (the level at the cut)."""
    level = np.max(np.abs(audio), axis=1)
    fade = int(round(FADE_FRAMES * rate / 48000))
    moments = np.round(np.arange(0, len(audio) - fade, TICK * rate)).astype(np.int64)
    faded = np.array([np.max(level[m:m + fade]) / (FADE_FRAMES + 1) for m in moments])
    return float(np.max(faded)), level[moments]


def edge_steps(x):
    return float(np.max(np.abs(x[0]))), float(np.max(np.abs(x[-1])))


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    markdown = "--markdown" in sys.argv
    root = args[0] if args else "."
    cfg = json.load(open(os.path.join(root, "assets", "music", "music.json"), encoding="utf-8"))
    lib = load_mpg123()
    rows, failures = [], []

    def row(what, value, goal, ok):
        rows.append((what, value, goal, "ok" if ok else "MISSED"))
        if not ok:
            failures.append(f"{what}: {value} (goal {goal})")

    tracks = {}
    for desc in cfg["tracks"]:
        name = os.path.basename(desc["out"])
        audio, rate = decode_mp3(lib, os.path.join(root, desc["out"]))
        tracks[name] = (audio, rate, desc)
        seconds = len(audio) / rate
        if desc["loop"]:
            gap = silent_join(audio) / rate
            row(f"{name}: silence at its loop join ({seconds:.3f} s long)", f"{gap * 1000:.0f} ms",
                f"0-{GAP_MAX * 1000:.0f} ms", 0 <= gap <= GAP_MAX)
            dip = join_dip(audio, rate)
            row(f"{name}: deepest 5 ms window across its loop join, under the 100 ms around it",
                f"{dip:.1f} dB", f"at most {DIP_MAX:.0f} dB", dip <= DIP_MAX)
            step = float(np.max(np.abs(audio[0] - audio[-1])))
            own = float(np.percentile(np.max(np.abs(np.diff(audio, axis=0)), axis=1), 99.9))
            row(f"{name}: step from its last sample to its first (its own steps' 99.9th percentile "
                f"{own:.4f})", f"{step:.4f}", "at most its own", step <= own)
    effects = {}
    for path in sorted(glob.glob(os.path.join(root, "assets", "sounds", "*.json"))):
        name = os.path.splitext(os.path.basename(path))[0] + ".wav"
        effects[name] = read_wav(os.path.join(root, "Data", name))

    builtin = os.path.basename(cfg["builtin"])
    music, rate, desc = tracks[builtin]
    music_lufs = integrated_loudness(music, rate)
    per_bar, bars = bar_frames(os.path.join(root, "assets", "music", desc["notes"]), rate)
    row(f"{builtin}: length against its {bars} bars ({len(music) / rate:.3f} s)",
        f"{(len(music) - per_bar * bars) / rate * 1000:+.1f} ms", "within 1 ms",
        abs(len(music) - per_bar * bars) <= rate / 1000)

    def bars_at(first, count):  # frames of bars first.. (from 1), count of them
        return int(round((first - 1) * per_bar)), int(round((first - 1 + count) * per_bar))

    blocks = stretch_loudness(music, rate, [bars_at(b, 4) for b in range(1, bars + 1, 4)])
    for k, value in enumerate(blocks):
        row(f"{builtin}: bars {4 * k + 1}-{4 * k + 4} against the whole", f"{value - music_lufs:+.1f} LU",
            f"at least {BLOCK_MIN:+.1f} LU", value - music_lufs >= BLOCK_MIN)
    # The tutti, and every other 8 bars in a row that do not reach into it.
    eights = stretch_loudness(music, rate, [bars_at(b, 8) for b in range(1, bars - 14)] + [bars_at(bars - 7, 8)])
    tutti, before = eights[-1], eights[-2]
    loudest = int(np.argmax(eights[:-1])) + 1
    row(f"{builtin}: bars {bars - 7}-{bars} (the tutti) against the whole / bars {bars - 15}-{bars - 8}",
        f"{tutti - music_lufs:+.1f} / {tutti - before:+.1f} LU",
        f"at least +{TUTTI_MIN} / +{TUTTI_OVER_BEFORE} LU",
        tutti - music_lufs >= TUTTI_MIN and tutti - before >= TUTTI_OVER_BEFORE)
    row(f"{builtin}: the tutti against the loudest other 8 bars (bars {loudest}-{loudest + 7})",
        f"{tutti - eights[loudest - 1]:+.1f} LU", "above them", tutti > eights[loudest - 1])

    for name, (pcm, wav_rate) in effects.items():
        mono = pcm[:, :1]
        diff = effect_loudness(mono, wav_rate) - music_lufs
        row(f"{name}: loudness above {builtin} ({music_lufs:.1f} LUFS)", f"{diff:+.1f} LU",
            f"+{LEVEL_MIN:.0f} to +{LEVEL_MAX:.0f} LU", LEVEL_MIN <= diff <= LEVEL_MAX)
    if JINGLE in tracks:
        jingle, jingle_rate, _ = tracks[JINGLE]
        diff = integrated_loudness(jingle, jingle_rate) - music_lufs
        row(f"{JINGLE} (the stage jingle): loudness above {builtin}", f"{diff:+.1f} LU",
            f"+{JINGLE_MIN} to +{JINGLE_MAX} LU", JINGLE_MIN <= diff <= JINGLE_MAX)
    level = np.maximum(np.abs(music[:, 0]), np.abs(music[:, 1]))
    for name, (pcm, wav_rate) in effects.items():
        share = clip_share(music, level, resample(pcm[:, 0], wav_rate, rate), rate)
        row(f"{name} over {builtin}: start moments that clip", f"{share * 100:.2f} %",
            f"at most {CLIP_MAX * 100:.1f} %", share <= CLIP_MAX)
    faded, hard = cut_steps(music, rate)
    row(f"{builtin}: step at a stop, at every 25 ms moment (without the fade: median / 90th percentile "
        f"{np.median(hard):.3f} / {np.percentile(hard, 90):.3f})", f"{faded:.5f}", f"at most {CLICK_MAX}",
        faded <= CLICK_MAX)
    for name, audio in [(n, t[0]) for n, t in tracks.items()] + [(n, e[0]) for n, e in effects.items()]:
        first, last = edge_steps(audio)
        if name in tracks and tracks[name][2]["loop"]:
            row(f"{name}: step at its start", f"{first:.4f}", f"at most {CLICK_MAX}", first <= CLICK_MAX)
            continue
        row(f"{name}: step at its start / end", f"{first:.4f} / {last:.4f}", f"at most {CLICK_MAX}",
            max(first, last) <= CLICK_MAX)

    if markdown:
        print("| measured | value | goal | result |\n|---|---|---|---|")
        for r in rows:
            print("| " + " | ".join(r) + " |")
    else:
        width = max(len(r[0]) for r in rows)
        for r in rows:
            print(f"{r[0]:<{width}}  {r[1]:>16}  {r[2]:<18} {r[3]}")
    if failures:
        print(f"\n{len(failures)} goal(s) missed:\n  " + "\n  ".join(failures), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Builds the music from the note files in assets/music.

  music.py SOURCE_DIR WORK_DIR

Each note file becomes a MIDI file (assets/music/NAME.mid, kept with its source),
is rendered through FluidSynth with the General MIDI soundfont, levelled, and
encoded by LAME into the MP3 that music.json names. FluidSynth and LAME both give
the same bytes for the same input, so rebuilding changes nothing.

A looping track ("loop": true) has its tempo nudged so that it ends "loop_gap" seconds
before a whole second (the game restarts an MP3 once its whole seconds plus one have
passed, so that is the silence between two plays), what rings on past its end folded
onto its start, and short fades at both ends so that neither cut clicks. LAME keeps
the exact length in its header, and libmpg123 decodes exactly that many samples.
"""
import json
import os
import subprocess
import sys
import wave

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))


def build_midi(notes_path, midi_path, loop_gap=None):
    """Writes the MIDI file; returns the song's length in seconds (without its tail)."""
    extra = ["--loop-gap", str(loop_gap)] if loop_gap is not None else []
    out = subprocess.run([sys.executable, os.path.join(HERE, "notes.py"), notes_path, midi_path] + extra,
                         check=True, capture_output=True, text=True)
    return float(out.stdout.strip())


def render(midi_path, wav_path, soundfont, rate):
    subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", str(rate), "-F", wav_path, soundfont, midi_path],
                   check=True, stdout=subprocess.DEVNULL)
    with wave.open(wav_path, "rb") as w:
        if w.getsampwidth() != 2:
            raise SystemExit(f"{wav_path}: expected 16-bit samples")
        channels = w.getnchannels()
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
    return data.reshape(-1, channels)


def fold_loop(audio, seconds, rate):
    """Cuts the audio at the song's end and adds what rings on past it to the start."""
    n = int(round(seconds * rate))
    head = audio[:n].copy()
    tail = audio[n:2 * n]
    head[:len(tail)] += tail
    return head


def fade(audio, rate, fade_in, fade_out):
    """Linear fades over the first fade_in and the last fade_out seconds."""
    out = audio.copy()
    n = min(len(out), int(round(fade_in * rate)))
    out[:n] *= np.linspace(0.0, 1.0, n, endpoint=False)[:, None]
    n = min(len(out), int(round(fade_out * rate)))
    out[len(out) - n:] *= np.linspace(1.0, 0.0, n)[:, None]
    return out


def trim_silence(audio, threshold=8.0):
    loud = np.nonzero(np.max(np.abs(audio), axis=1) > threshold)[0]
    end = (loud[-1] + 1) if len(loud) else len(audio)
    out = audio[:end].copy()
    fade = min(len(out), 2205)  # 50 ms
    out[len(out) - fade:] *= np.linspace(1.0, 0.0, fade)[:, None]
    return out


def write_wav(path, audio, rate, peak):
    top = np.max(np.abs(audio)) or 1.0
    pcm = np.round(audio / top * peak * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(pcm.shape[1])
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm.tobytes())


def encode(wav_path, mp3_path, bitrate, mono=False):
    os.makedirs(os.path.dirname(mp3_path) or ".", exist_ok=True)
    cmd = ["lame", "--quiet", "--noreplaygain", "--cbr", "-b", str(bitrate), "-q", "2", "--resample", "44.1"]
    if mono:
        cmd += ["-m", "m"]
    subprocess.run(cmd + [wav_path, mp3_path], check=True)


def build_track(root, work, desc, cfg):
    name = os.path.splitext(desc["notes"])[0]
    src = os.path.join(root, "assets", "music", desc["notes"])
    midi = os.path.join(root, "assets", "music", name + ".mid")
    seconds = build_midi(src, midi, desc.get("loop_gap") if desc["loop"] else None)
    raw = os.path.join(work, name + ".raw.wav")
    audio = render(midi, raw, cfg["soundfont"], cfg["rate"])
    if desc["loop"]:
        audio = fade(fold_loop(audio, seconds, cfg["rate"]), cfg["rate"], 0.005, 0.020)
    else:
        audio = fade(trim_silence(audio), cfg["rate"], 0.005, 0.0)
    level = os.path.join(work, name + ".wav")
    write_wav(level, audio, cfg["rate"], desc["peak"])
    encode(level, os.path.join(root, desc["out"]), desc["bitrate"])


def build_fixtures(root, work, cfg):
    fx = cfg["fixtures"]
    src = os.path.join(root, "assets", "music", fx["notes"])
    midi = os.path.join(work, "fixture.mid")
    build_midi(src, midi)
    raw = os.path.join(work, "fixture.raw.wav")
    audio = trim_silence(render(midi, raw, cfg["soundfont"], cfg["rate"])).mean(axis=1, keepdims=True)
    level = os.path.join(work, "fixture.wav")
    write_wav(level, audio, cfg["rate"], 0.8)
    mp3 = os.path.join(work, "fixture.mp3")
    encode(level, mp3, fx["bitrate"], mono=True)
    base = os.path.join(root, fx["dir"])
    payload = {"mp3": open(mp3, "rb").read(), "mid": open(midi, "rb").read()}
    payload["other"] = payload["mid"]  # a real MIDI file under a name the scan must skip
    for kind in ("mp3", "mid", "other"):
        for rel in fx[kind]:
            path = os.path.join(base, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            data = payload[kind] if not rel.endswith(".txt") else b"Not music: the scan skips this file.\n"
            with open(path, "wb") as f:
                f.write(data)


def main():
    root, work = sys.argv[1], sys.argv[2]
    work = os.path.join(work, "music")
    os.makedirs(work, exist_ok=True)
    cfg = json.load(open(os.path.join(root, "assets", "music", "music.json"), encoding="utf-8"))
    for desc in cfg["tracks"]:
        build_track(root, work, desc, cfg)
    build_fixtures(root, work, cfg)


if __name__ == "__main__":
    main()

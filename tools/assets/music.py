#!/usr/bin/python3
"""Builds the music from the note files in assets/music.

  music.py SOURCE_DIR WORK_DIR

Each note file becomes a MIDI file (assets/music/NAME.mid, kept with its source),
is rendered through FluidSynth with the General MIDI soundfont, levelled, and
encoded by LAME into the MP3 that music.json names. FluidSynth and LAME both give
the same bytes for the same input, so rebuilding changes nothing.

A looping track ("loop": true) is one whole loop with no silence and no fade: the mixer
goes on from its last sample to its first. What rings on past the song's end is folded
onto its start, so the end flows into the start as if the song were played again, and
the loop begins at the quietest moment just before the first downbeat, so that a start
from silence does not click either. The encoder sees the loop with a stretch of its own
end before it and of its start after it, and the LAME header's encoder delay and
padding are widened by those stretches: libmpg123 (gapless) drops them, so the decoded
file is exactly one loop whose join was encoded like any other moment of it.
"""
import json
import os
import subprocess
import sys
import wave

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))


LOOP_CONTEXT = 2048  # frames of the loop's other end the encoder sees on each side
QUIET_SEARCH = 0.006  # s before the first downbeat in which the loop may begin


def build_midi(notes_path, midi_path):
    """Writes the MIDI file; returns the song's length in seconds (without its tail)."""
    out = subprocess.run([sys.executable, os.path.join(HERE, "notes.py"), notes_path, midi_path],
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


def quiet_start(loop, rate):
    """The loop turned so that it begins at the frame, at most QUIET_SEARCH before the first
    downbeat, where both channels are nearest to silence."""
    n = int(round(QUIET_SEARCH * rate))
    level = np.max(np.abs(loop[len(loop) - n:]), axis=1)
    at = len(loop) - n + int(np.argmin(level))
    return np.concatenate([loop[at:], loop[:at]])


def fade_in(audio, rate, seconds):
    """A linear fade over the first seconds."""
    out = audio.copy()
    n = min(len(out), int(round(seconds * rate)))
    out[:n] *= np.linspace(0.0, 1.0, n, endpoint=False)[:, None]
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


def crc16(data):
    """The CRC of the LAME header (CRC-16, polynomial 0x8005 reflected, from 0)."""
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def widen_gapless(mp3_path, frames):
    """Adds frames to the encoder delay and the padding in the file's LAME header (and
    renews the header's CRC), so that a gapless decoder drops that many more frames at
    each end."""
    data = bytearray(open(mp3_path, "rb").read())
    info = data.find(b"Info")  # in the first frame, which starts the file (no ID3 tag)
    if data[0] != 0xFF or info < 0 or data[info + 120:info + 124] != b"LAME":
        raise SystemExit(f"{mp3_path}: no LAME header in a first frame at the file's start")
    tag = info + 120
    delay = (data[tag + 21] << 4) | (data[tag + 22] >> 4)
    padding = ((data[tag + 22] & 0x0F) << 8) | data[tag + 23]
    delay, padding = delay + frames, padding + frames
    if max(delay, padding) > 0xFFF:
        raise SystemExit(f"{mp3_path}: encoder delay {delay} or padding {padding} does not fit")
    data[tag + 21:tag + 24] = bytes([delay >> 4, ((delay & 0x0F) << 4) | (padding >> 8), padding & 0xFF])
    data[tag + 34:tag + 36] = crc16(data[:tag + 34]).to_bytes(2, "big")  # over the frame up to it
    with open(mp3_path, "wb") as f:
        f.write(data)


def encode_loop(level_wav, loop_wav, mp3_path, bitrate):
    """Encodes the levelled loop in level_wav with its own ends around it (written to
    loop_wav), and hides them from the decoder."""
    with wave.open(level_wav, "rb") as w:
        params = w.getparams()
        pcm = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").reshape(-1, params.nchannels)
    if len(pcm) < LOOP_CONTEXT:
        raise SystemExit(f"{level_wav}: shorter than its encoding context")
    wrapped = np.concatenate([pcm[-LOOP_CONTEXT:], pcm, pcm[:LOOP_CONTEXT]])
    with wave.open(loop_wav, "wb") as w:
        w.setparams(params)
        w.writeframes(wrapped.astype("<i2").tobytes())
    encode(loop_wav, mp3_path, bitrate)
    widen_gapless(mp3_path, LOOP_CONTEXT)


def build_track(root, work, desc, cfg):
    name = os.path.splitext(desc["notes"])[0]
    src = os.path.join(root, "assets", "music", desc["notes"])
    midi = os.path.join(root, "assets", "music", name + ".mid")
    seconds = build_midi(src, midi)
    raw = os.path.join(work, name + ".raw.wav")
    audio = render(midi, raw, cfg["soundfont"], cfg["rate"])
    level = os.path.join(work, name + ".wav")
    if desc["loop"]:
        write_wav(level, quiet_start(fold_loop(audio, seconds, cfg["rate"]), cfg["rate"]), cfg["rate"], desc["peak"])
        encode_loop(level, os.path.join(work, name + ".loop.wav"), os.path.join(root, desc["out"]), desc["bitrate"])
    else:
        write_wav(level, fade_in(trim_silence(audio), cfg["rate"], 0.005), cfg["rate"], desc["peak"])
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

#!/usr/bin/python3
"""Synthesises the sound effects from their settings in assets/sounds/*.json.

  sounds.py SOURCE_DIR OUT_DIR

Each settings file NAME.json becomes OUT_DIR/NAME.wav: RIFF PCM, 16-bit mono.
A sound is a sum of voices:
  tone  - a harmonic series whose fundamental follows a frequency contour
          ([time, Hz] points, linear or "exp" between them), with optional
          vibrato [rate Hz, depth as a fraction] and an optional moving formant
          that shapes the harmonics (a meow);
  noise - seeded white noise through a one-pole low-pass (and high-pass) filter.
Every voice has an attack and an exponential-looking release. The mix is
normalised to the settings' gain, so the result is the same bytes every run.
"""
import glob
import json
import os
import struct
import sys

import numpy as np


def contour(points, t, curve):
    times = np.array([p[0] for p in points], dtype=np.float64)
    values = np.array([p[1] for p in points], dtype=np.float64)
    if len(points) == 1:
        return np.full_like(t, values[0])
    if curve == "exp":
        return np.exp(np.interp(t, times, np.log(values)))
    return np.interp(t, times, values)


def envelope(n, rate, attack, release):
    t = np.arange(n) / rate
    env = np.ones(n)
    if attack > 0:
        env = np.minimum(env, t / attack)
    if release > 0:
        left = (n / rate) - t
        env = np.minimum(env, np.clip(left / release, 0.0, 1.0) ** 2)
    return env


def tone(v, rate):
    n = int(round(v["dur"] * rate))
    t = np.arange(n) / rate
    f0 = contour(v["freq"], t, v.get("curve", "linear"))
    if "vibrato" in v:
        vr, depth = v["vibrato"]
        f0 = f0 * (1.0 + depth * np.sin(2 * np.pi * vr * t))
    phase = 2 * np.pi * np.cumsum(f0) / rate
    out = np.zeros(n)
    formant = contour(v["formant"], t, "linear") if "formant" in v else None
    for k, amp in enumerate(v["harmonics"], start=1):
        if amp == 0:
            continue
        fk = f0 * k
        weight = np.where(fk < rate / 2 - 200, 1.0, 0.0)  # nothing above Nyquist
        if formant is not None:
            width = v.get("formant_width", 800.0)
            weight = weight * (0.35 + np.exp(-((fk - formant) / width) ** 2))
        out += amp * weight * np.sin(k * phase)
    return out * envelope(n, rate, v["attack"], v["release"])


def noise(v, rate, rng):
    n = int(round(v["dur"] * rate))
    x = rng.uniform(-1.0, 1.0, n)
    a = np.exp(-2 * np.pi * v["cutoff"] / rate)
    y = np.zeros(n)
    acc = 0.0
    for i in range(n):
        acc = (1 - a) * x[i] + a * acc
        y[i] = acc
    if "highpass" in v:
        b = np.exp(-2 * np.pi * v["highpass"] / rate)
        low = np.zeros(n)
        acc = 0.0
        for i in range(n):
            acc = (1 - b) * y[i] + b * acc
            low[i] = acc
        y = y - low
    peak = np.max(np.abs(y)) or 1.0
    return v.get("level", 1.0) * y / peak * envelope(n, rate, v["attack"], v["release"])


def render(desc):
    rate = desc["rate"]
    total = int(round(desc["length"] * rate))
    mix = np.zeros(total)
    rng = np.random.RandomState(desc.get("seed", 0))
    for v in desc["voices"]:
        part = tone(v, rate) if v["type"] == "tone" else noise(v, rate, rng)
        start = int(round(v["start"] * rate))
        end = min(total, start + len(part))
        mix[start:end] += part[:end - start]
    # Short fades at both ends so the sound never clicks.
    fade = min(total // 2, int(0.004 * rate))
    mix[:fade] *= np.linspace(0.0, 1.0, fade)
    mix[total - fade:] *= np.linspace(1.0, 0.0, fade)
    peak = np.max(np.abs(mix)) or 1.0
    return np.round(mix / peak * desc["gain"] * 32767).astype("<i2")


def write_wav(path, samples, rate):
    data = samples.tobytes()
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    riff = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(riff)) + riff)


def main():
    root, out_dir = sys.argv[1], sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    for path in sorted(glob.glob(os.path.join(root, "assets", "sounds", "*.json"))):
        desc = json.load(open(path, encoding="utf-8"))
        name = os.path.splitext(os.path.basename(path))[0]
        write_wav(os.path.join(out_dir, name + ".wav"), render(desc), desc["rate"])


if __name__ == "__main__":
    main()

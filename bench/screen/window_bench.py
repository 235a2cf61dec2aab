#!/usr/bin/env python3
"""Window benchmarks of the real program under Xvfb (run by hand, not part of the tests).

  first-frame  time from process start to the first presented frame
               (HIMAWARI_BENCH_FIRST_FRAME), several runs per device
  play         scripted play (xdotool holding the arrows, Enter between boards) for a
               number of seconds: the game ticks' intervals (HIMAWARI_BENCH_TICK_LOG),
               p50 / p99 / max, and the process's CPU share

Both run on the software device (Qt without OpenGL: QT_XCB_GL_INTEGRATION=none) and on
OpenGL (Mesa's llvmpipe under Xvfb).

  python3 bench/screen/window_bench.py [--exe build/himawari] [--runs 5] [--seconds 60]
                                       [first-frame|play|all]
Without a display it starts itself under xvfb-run.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

DEVICES = {
    "software": {"QT_XCB_GL_INTEGRATION": "none"},
    "opengl": {},
}
# The arrows held in turn during play, each for a while, with Enter pressed between.
PATTERN = ["Right", "Down", "Right", "Down", "Left", "Up"]


def environment(device, extra):
    env = dict(os.environ)
    env.update({"SDL_AUDIODRIVER": "dummy", "SDL_NO_SIGNAL_HANDLERS": "1"})
    env.update(DEVICES[device])
    env.update(extra)
    return env


def first_frame(exe, device, runs):
    times = []
    for _ in range(runs):
        out = subprocess.run([exe], env=environment(device, {"HIMAWARI_BENCH_FIRST_FRAME": "1"}),
                             capture_output=True, text=True, timeout=60)
        line = [l for l in out.stdout.splitlines() if l.startswith("first frame:")]
        if not line:
            sys.exit(f"{device}: no first frame reported:\n{out.stdout}{out.stderr}")
        times.append(float(line[0].split()[2]))
    return times


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def xdo(*args):
    subprocess.run(["xdotool", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def focus_window(pid):
    for _ in range(100):
        # The top-level window by its title (the drawing surface and the life bar are
        # windows of the process too, which never take the keyboard).
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name",
                              "ひまわり畑の大脱走"], capture_output=True, text=True).stdout.split()
        if out:
            xdo("windowfocus", "--sync", out[0])
            return
        time.sleep(0.1)
    sys.exit("the game's window did not show")


def percentile(values, p):
    s = sorted(values)
    return s[min(len(s) - 1, int(round(p / 100.0 * (len(s) - 1))))]


def play(exe, device, seconds):
    with tempfile.TemporaryDirectory() as tmp:
        log = os.path.join(tmp, "ticks.txt")
        proc = subprocess.Popen([exe], env=environment(device, {"HIMAWARI_BENCH_TICK_LOG": log}),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            focus_window(proc.pid)
            time.sleep(2.5)  # Enter is taken 2 s after the start
            start_wall, start_cpu = time.monotonic(), cpu_seconds(proc.pid)
            start_us = time.monotonic_ns() // 1000
            i = 0
            while time.monotonic() - start_wall < seconds:
                key = PATTERN[i % len(PATTERN)]
                xdo("key", "Return")
                xdo("keydown", key)
                time.sleep(min(1.5, max(0.0, seconds - (time.monotonic() - start_wall))))
                xdo("keyup", key)
                i += 1
            wall = time.monotonic() - start_wall
            cpu = cpu_seconds(proc.pid) - start_cpu
        finally:
            proc.terminate()
            proc.wait(timeout=10)
        with open(log) as f:
            ticks = [int(l) for l in f if l.strip()]
    ticks = [t for t in ticks if t >= start_us]
    gaps = [(b - a) / 1000.0 for a, b in zip(ticks, ticks[1:])]
    if not gaps:
        sys.exit(f"{device}: no ticks logged")
    return {"ticks": len(ticks), "p50": percentile(gaps, 50), "p99": percentile(gaps, 99),
            "max": max(gaps), "cpu": 100.0 * cpu / wall, "wall": wall}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("what", nargs="?", default="all", choices=["first-frame", "play", "all"])
    parser.add_argument("--exe", default="build/himawari")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=60.0)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", sys.executable,
                               os.path.abspath(__file__), *sys.argv[1:]])
    exe = os.path.abspath(args.exe)
    for device in DEVICES:
        if args.what in ("first-frame", "all"):
            t = first_frame(exe, device, args.runs)
            print(f"{device:8} first frame: median {statistics.median(t):.0f} ms, "
                  f"min {min(t):.0f} ms, max {max(t):.0f} ms ({len(t)} runs)", flush=True)
        if args.what in ("play", "all"):
            r = play(exe, device, args.seconds)
            print(f"{device:8} ticks over {r['wall']:.0f} s: {r['ticks']} ticks, interval p50 "
                  f"{r['p50']:.1f} ms, p99 {r['p99']:.1f} ms, max {r['max']:.1f} ms; "
                  f"CPU {r['cpu']:.0f} % of one core", flush=True)


if __name__ == "__main__":
    main()

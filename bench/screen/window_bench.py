#!/usr/bin/env python3
"""Window benchmarks of the real program under Xvfb (run by hand, not part of the tests).

  first-frame  time from process start to the first presented frame
               (HIMAWARI_BENCH_FIRST_FRAME), several runs per device
  idle         the title screen, untouched, for 20 s (--idle-seconds): the process's CPU
               share and the ticks' intervals
  play         scripted play (xdotool holding the arrows, Enter between boards) for a
               number of seconds: the game ticks' intervals (HIMAWARI_BENCH_TICK_LOG),
               p50 / p99 / max, and the process's CPU share
Both also give the mixer's figures since the start (HIMAWARI_BENCH_AUDIO_LOG): the audio
callback's median and worst time, the underruns and the game thread's longest wait for a
lock of the sound, with the music playing (SDL's dummy driver pulls at the real pace).

Both run on the software device (Qt without OpenGL: QT_XCB_GL_INTEGRATION=none) and on
OpenGL (Mesa's llvmpipe under Xvfb).

With --fullscreen the window is put in fullscreen (F11) before each measurement, under a
window manager (openbox) the script starts; --screen sets the size of the Xvfb screen it
starts (1024x768 unless given), so that fullscreen shows the game scaled to that size.

  python3 bench/screen/window_bench.py [--exe build/himawari ...] [--rounds 1] [--runs 5]
                                       [--seconds 60] [--idle-seconds 20] [--screen 3840x2160]
                                       [--fullscreen] [first-frame|idle|play|all]
Without a display it starts itself under xvfb-run. The CPU shares are the process's user and
system time over the wall time measured, in per cent of one core; one table for every program
and device ends the output. Several --exe are measured in turn, round after round (--rounds),
so that programs compared meet the same load of a shared machine: ticks are then counted
over all rounds, CPU shares are the median of the rounds' (each round's in brackets).
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
# Set by --fullscreen: each measurement starts with the window in fullscreen.
FULLSCREEN = [False]
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


def server_pid():
    """The X server of DISPLAY (Xvfb), whose CPU time the frames sent to it cost too."""
    display = os.environ.get("DISPLAY", "")
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                args = f.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if args and os.path.basename(args[0]) == "Xvfb" and display in args:
            return int(entry)
    return None


def xdo(*args):
    subprocess.run(["xdotool", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def focus_window(pid):
    for _ in range(200):
        # The top-level window by its title (the drawing surface and the life bar are
        # windows of the process too, which never take the keyboard).
        out = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name",
                              "ひまわり畑の大脱走"], capture_output=True, text=True).stdout.split()
        if out:
            xdo("windowfocus", "--sync", out[0])
            return True
        time.sleep(0.1)
    return False


def window_size(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                         text=True).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return values.get("WIDTH"), values.get("HEIGHT")


def go_fullscreen(pid):
    """F11 to the game's window, then waits until the window fills the screen."""
    screen = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    window = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name",
                             "ひまわり畑の大脱走"], capture_output=True, text=True).stdout.split()[0]
    xdo("key", "F11")
    for _ in range(100):
        if list(window_size(window)) == screen:
            return True
        time.sleep(0.1)
    return False


def percentile(values, p):
    s = sorted(values)
    return s[min(len(s) - 1, int(round(p / 100.0 * (len(s) - 1))))]


def tick_gaps(log, start_us, device):
    with open(log) as f:
        ticks = [int(l) for l in f if l.strip()]
    ticks = [t for t in ticks if t >= start_us]
    gaps = [(b - a) / 1000.0 for a, b in zip(ticks, ticks[1:])]
    if not gaps:
        sys.exit(f"{device}: no ticks logged")
    return gaps


def gap_stats(gaps):
    return {"ticks": len(gaps) + 1, "p50": percentile(gaps, 50), "p99": percentile(gaps, 99),
            "max": max(gaps)}


def audio_stats(path):
    """The mixer's figures since the program started (HIMAWARI_BENCH_AUDIO_LOG), or None
    from a program that does not write them."""
    try:
        with open(path) as f:
            words = f.read().split()
    except OSError:
        return None
    return {k: float(v) for k, v in zip(words[::2], words[1::2])}


def measure(exe, device, seconds, drive):
    """Runs the program for `seconds` after its start-up, calling drive(elapsed, left) in a loop
    (it sleeps by itself); answers the tick statistics and the CPU share."""
    with tempfile.TemporaryDirectory() as tmp:
        log = os.path.join(tmp, "ticks.txt")
        audio = os.path.join(tmp, "audio.txt")
        errors = open(os.path.join(tmp, "stderr.txt"), "w+")
        proc = subprocess.Popen([exe], env=environment(device, {"HIMAWARI_BENCH_TICK_LOG": log,
                                                                "HIMAWARI_BENCH_AUDIO_LOG": audio}),
                                stdout=subprocess.DEVNULL, stderr=errors)
        try:
            if not focus_window(proc.pid):
                errors.seek(0)
                sys.exit(f"{device}: the game's window did not show (exit status {proc.poll()}):\n"
                         f"{errors.read()}")
            if FULLSCREEN[0] and not go_fullscreen(proc.pid):
                sys.exit(f"{device}: the window did not go fullscreen")
            time.sleep(2.5)  # Enter is taken 2 s after the start; the music has started
            server = server_pid()
            start_wall, start_cpu = time.monotonic(), cpu_seconds(proc.pid)
            start_server = cpu_seconds(server) if server else 0.0
            start_us = time.monotonic_ns() // 1000
            while time.monotonic() - start_wall < seconds:
                drive(seconds - (time.monotonic() - start_wall))
            wall = time.monotonic() - start_wall
            cpu = cpu_seconds(proc.pid) - start_cpu
            server_cpu = cpu_seconds(server) - start_server if server else None
        finally:
            proc.terminate()
            proc.wait(timeout=10)
        gaps = tick_gaps(log, start_us, device)
        r = gap_stats(gaps)
        r["gaps"] = gaps
        r["audio"] = audio_stats(audio)
    # The CPU time a tick costs: on a busy machine the process gets less wall time than it
    # asks for and its ticks slow down, so this is the fairer measure of its cost.
    r.update({"cpu": 100.0 * cpu / wall, "wall": wall, "tick_ms": 1000.0 * cpu / max(1, r["ticks"]),
              "server": None if server_cpu is None else 100.0 * server_cpu / wall,
              "server_tick_ms": None if server_cpu is None else 1000.0 * server_cpu / max(1, r["ticks"])})
    return r


def idle(exe, device, seconds):
    return measure(exe, device, seconds, lambda left: time.sleep(max(0.0, min(1.0, left))))


def play(exe, device, seconds):
    step = [0]

    def drive(left):
        key = PATTERN[step[0] % len(PATTERN)]
        xdo("key", "Return")
        xdo("keydown", key)
        time.sleep(min(1.5, max(0.0, left)))
        xdo("keyup", key)
        step[0] += 1

    return measure(exe, device, seconds, drive)


def ticks_text(r):
    return f"{r['p50']:.1f} / {r['p99']:.1f} / {r['max']:.0f} ms"


def merged(runs):
    """One measurement's runs over the rounds: the ticks' intervals of all of them, the median
    CPU share and each run's."""
    r = gap_stats([g for m in runs for g in m["gaps"]])
    r["cpu"] = statistics.median(m["cpu"] for m in runs)
    r["cpus"] = [m["cpu"] for m in runs]
    r["tick_ms"] = statistics.median(m["tick_ms"] for m in runs)
    servers = [m["server_tick_ms"] for m in runs if m.get("server_tick_ms") is not None]
    r["server_tick_ms"] = statistics.median(servers) if servers else None
    return r


def cpu_text(m):
    text = f"{m['cpu']:.1f} %"
    if len(m["cpus"]) > 1:
        text += " (" + ", ".join(f"{c:.1f}" for c in m["cpus"]) + ")"
    return text


def print_table(results, names):
    print("\n| program | device | first frame (median, min–max) | idle CPU | idle ticks p50 / p99 / max "
          "| play CPU | play ticks p50 / p99 / max | play CPU time per tick (the X server's) |")
    print("|---|---|---|---|---|---|---|---|")
    for (exe, device), r in results.items():
        ff = r.get("first-frame")
        ff = f"{statistics.median(ff):.0f} ms ({min(ff):.0f}–{max(ff):.0f})" if ff else "–"
        cells = [names[exe], device, ff]
        for what in ("idle", "play"):
            runs = r.get(what)
            m = merged(runs) if runs else None
            cells += [cpu_text(m), ticks_text(m)] if m else ["–", "–"]
        play = merged(r["play"]) if r.get("play") else None
        if play:
            server = play["server_tick_ms"]
            cells.append(f"{play['tick_ms']:.2f} ms" + (f" ({server:.2f} ms)" if server is not None else ""))
        else:
            cells.append("–")
        print("| " + " | ".join(cells) + " |")
    print("\n| program | device | measurement | audio callbacks | callback median / worst "
          "| decoder pass median / worst | underruns | longest wait of the game thread on the sound |")
    print("|---|---|---|---|---|---|---|---|")
    for (exe, device), r in results.items():
        for what in ("idle", "play"):
            a = (r.get(what) or [{}])[-1].get("audio")
            if a:
                print(f"| {names[exe]} | {device} | {what} | {a['callbacks']:.0f} | {a['median_us']:.1f} / "
                      f"{a['worst_us']:.0f} us | {a['decoder_median_us']:.1f} / {a['decoder_worst_us']:.0f} us "
                      f"| {a['underruns']:.0f} | {a['longest_wait_us']:.0f} us |")
    load = os.getloadavg()
    print(f"\nload average at the end: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("what", nargs="?", default="all", choices=["first-frame", "idle", "play", "all"])
    parser.add_argument("--exe", action="append", help="the program (build/himawari); several: in turn")
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("--idle-seconds", type=float, default=20.0)
    parser.add_argument("--screen", default="1024x768")
    parser.add_argument("--fullscreen", action="store_true")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", f"-screen 0 {args.screen}x24", sys.executable,
                               os.path.abspath(__file__), *sys.argv[1:]])
    manager = None
    if args.fullscreen:
        FULLSCREEN[0] = True
        manager = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        time.sleep(1.0)
    try:
        run_all(args)
    finally:
        if manager:
            manager.terminate()
            manager.wait(timeout=10)


def run_all(args):
    exes = [os.path.abspath(e) for e in (args.exe or ["build/himawari"])]
    names = {e: os.path.relpath(e) for e in exes}
    load = os.getloadavg()
    screen = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    print(f"screen {'x'.join(screen)}, {'fullscreen' if args.fullscreen else 'the 764 x 500 window'}; "
          f"load average at the start: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}", flush=True)
    results = {(exe, device): {} for device in DEVICES for exe in exes}
    for round_ in range(args.rounds):
        for device in DEVICES:
            for exe in exes:
                r = results[(exe, device)]
                label = f"round {round_ + 1} {names[exe]} {device}"
                if args.what in ("first-frame", "all"):
                    t = first_frame(exe, device, args.runs)
                    r.setdefault("first-frame", []).extend(t)
                    print(f"{label} first frame: median {statistics.median(t):.0f} ms, "
                          f"min {min(t):.0f} ms, max {max(t):.0f} ms ({len(t)} runs)", flush=True)
                for what, run, seconds in (("idle", idle, args.idle_seconds), ("play", play, args.seconds)):
                    if args.what not in (what, "all"):
                        continue
                    m = run(exe, device, seconds)
                    r.setdefault(what, []).append(m)
                    print(f"{label} {what} over {m['wall']:.0f} s: {m['ticks']} ticks, interval p50 "
                          f"{m['p50']:.1f} ms, p99 {m['p99']:.1f} ms, max {m['max']:.1f} ms; "
                          f"CPU {m['cpu']:.1f} % of one core, {m['tick_ms']:.2f} ms a tick"
                          + (f", the X server {m['server']:.1f} %" if m.get("server") is not None else ""),
                          flush=True)
    print_table(results, names)


if __name__ == "__main__":
    main()

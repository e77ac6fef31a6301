#!/usr/bin/env python3
"""Frame rates of two builds of the show, old and new, interleaved.

Usage: bench/compare_builds.py OLD_DIR NEW_DIR [--pairs 5] [--cases NAME ...]

Each directory holds a vessmark-show and a Vessmark.dll. Every case runs the
old build, then the new one, and again, --pairs times, so that a machine that
others share slows both alike; the table gives each pair's frames per second,
the ratio new / old, and the medians. Every case measures the show once the
swarm has flown in: frames 301 to 900 of a fixed 16 ms step (--warm-up and
--frames change that). A build whose vessmark-show has --warm-up-frames skips
the first 300 without drawing them, and its rate is that of the difference
of a run of 600 drawn frames and one of 1; an older one draws them all, and
its rate is that of the difference of a run of 900 frames and one of 300. The cases:

  offscreen-640, offscreen-1080  vessmark-show --offscreen
  fallback-640, fallback-1080    the same, the new build forced to OpenGL 1.1
  onscreen-1080                  vessmark-show -root on a private 1920x1080 Xvfb
  wine-1080                      Vessmark.dll under Wine on that display: the mean of Wine's
                                 once-a-second frame rate (WINEDEBUG=+fps) from 10 to 30 s
                                 (it has only the real clock; the swarm is in after 5 s)

Wine runs in a prefix of its own (--prefix, made once with tools/wine-prefix).
"""

import argparse
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SUMMARY = re.compile(r"^([0-9]+) frames of [0-9x]+ in ([0-9.]+) s", re.MULTILINE)
WINE_RATE = re.compile(r"@ approx ([0-9.]+)fps")
COMMON = ["--seed", "1", "--step-ms", "16"]
WINE_WARM_UP = 10.0
WINE_MEASURED = 20.0


def show_run(command, env=None):
    """Frames and seconds from the summary line of one run."""
    result = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL, env=env)
    match = SUMMARY.search(result.stdout)
    if result.returncode != 0 or not match:
        sys.exit(f"compare_builds: {' '.join(command)} failed ({result.returncode}): {result.stdout}{result.stderr}")
    return int(match.group(1)), float(match.group(2))


def can_warm_up(show):
    result = subprocess.run([show, "--help"], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    return "--warm-up-frames" in result.stdout


def steady_rate(show, options, warm_up, frames, env=None):
    """Frames per second over frames warm_up + 1 .. warm_up + frames."""
    # Either way the rate is that of a difference of two runs, so that the
    # first frame's compiling of shaders counts for neither build.
    if can_warm_up(show):
        def skipped(count):
            return show_run([show, *options, "--warm-up-frames", str(warm_up), "--frames", str(count)], env)[1]
        return (frames - 1) / (skipped(frames) - skipped(1))
    _, first = show_run([show, *options, "--frames", str(warm_up)], env)
    _, whole = show_run([show, *options, "--frames", str(warm_up + frames)], env)
    return frames / (whole - first)


def load_average():
    return os.getloadavg()[0]


def wine_rate(dll, env, work):
    """Starts the program, reads Wine's frame-rate lines over the measured
    window, and ends the show with a key."""
    log = work / "wine-fps.txt"
    with open(log, "w") as out:
        process = subprocess.Popen(["wine", str(dll)], stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, env=env, start_new_session=True)
    started = time.monotonic()
    time.sleep(WINE_WARM_UP)
    first = len(log.read_text(errors="replace").splitlines())
    time.sleep(WINE_MEASURED)
    lines = log.read_text(errors="replace").splitlines()[first:]
    subprocess.run(["xdotool", "key", "a"], env=env, stdin=subprocess.DEVNULL, check=False)
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
    rates = [float(m.group(1)) for m in map(WINE_RATE.search, lines) if m]
    if not rates:
        sys.exit(f"compare_builds: no frame rate from Wine after {time.monotonic() - started:.0f} s (see {log})")
    return statistics.mean(rates)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old", type=Path)
    parser.add_argument("new", type=Path)
    parser.add_argument("--pairs", type=int, default=5)
    parser.add_argument("--warm-up", type=int, default=300, help="frames before the measured ones")
    parser.add_argument("--frames", type=int, default=600, help="frames measured")
    parser.add_argument("--cases", nargs="+", default=["onscreen-1080", "offscreen-640", "offscreen-1080",
                                                        "fallback-640", "fallback-1080", "wine-1080"])
    parser.add_argument("--prefix", type=Path, default=ROOT / "build" / "win64" / "bench-prefix")
    args = parser.parse_args()

    work = Path(tempfile.mkdtemp(prefix="vessmark-compare."))
    picture = str(work / "frame.png")
    env = dict(os.environ)
    display = None
    if any(case in ("onscreen-1080", "wine-1080") for case in args.cases):
        lines = subprocess.run([str(ROOT / "tools" / "private-display"), "--screen", "1920x1080x24"],
                               capture_output=True, text=True, check=True).stdout.splitlines()
        display = dict(line.split("=", 1) for line in lines)
        env["DISPLAY"] = display["DISPLAY"]
    if "wine-1080" in args.cases:
        env.update(WINEPREFIX=str(args.prefix), WINEDEBUG="-all,+fps", WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run([str(ROOT / "tools" / "wine-prefix")], env=env, check=True)

    def run(case, build, new):
        show = str(build / "vessmark-show")
        if case.startswith(("offscreen-", "fallback-")):
            size = "640x480" if case.endswith("-640") else "1920x1080"
            forced = ["--draw-path", "fixed"] if case.startswith("fallback-") and new else []
            return steady_rate(show, ["--offscreen", "--size", size, *COMMON, *forced, "--output", picture],
                               args.warm_up, args.frames)
        if case == "onscreen-1080":
            return steady_rate(show, ["-root", *COMMON], args.warm_up, args.frames, env)
        if case == "wine-1080":
            return wine_rate(build / "Vessmark.dll", env, work)
        sys.exit(f"compare_builds: no case {case}")

    try:
        print(f"| case | {' | '.join(f'pair {i + 1}' for i in range(args.pairs))} | median |")
        print(f"|---|{'---:|' * (args.pairs + 1)}")
        loads = []
        for case in args.cases:
            old, new = [], []
            for _ in range(args.pairs):
                loads.append(load_average())
                old.append(run(case, args.old, False))
                new.append(run(case, args.new, True))
            ratios = [n / o for o, n in zip(old, new)]
            for label, values, form in (("old", old, "{:.1f}"), ("new", new, "{:.1f}"), ("new / old", ratios, "{:.2f}")):
                cells = " | ".join(form.format(v) for v in values)
                print(f"| {case} {label} | {cells} | {form.format(statistics.median(values))} |", flush=True)
        print(f"load average (1 min) before each pair: {min(loads):.1f} to {max(loads):.1f}")
    finally:
        if display:
            os.kill(int(display["XVFB_PID"]), signal.SIGTERM)
    return 0


if __name__ == "__main__":
    sys.exit(main())

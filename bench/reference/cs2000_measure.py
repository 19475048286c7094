#!/usr/bin/env python3
"""Time one CS-2000 measure() against tintwell-sim --fast.

With --fast the simulated instrument answers at once and spends no
measuring time, so what a measurement takes is the driver's own overhead:
the two-step start and end of the measurement, the XYZ request, and the
reply framing.
Runs `tintwell-cli reference --count N` and takes the time between
consecutive readings; prints the median of each run and of all runs.

    bench/reference/cs2000_measure.py [--build DIR] [--count N] [--runs R] [--real]

With --real the simulator keeps instrument time (at the default 100 cd/m² a
1.2 s pre-measurement and the 3 s measuring time it announces, replies paced
at 9600 baud) and that instrument time is subtracted, leaving the wire time
of the replies plus the driver's overhead.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile


MEASURING_MS = 1200.0 + 3000.0  # the simulated CS-2000 at 100 cd/m²: pre-measurement, measuring


def run_once(bin_dir, count, env, real):
    with tempfile.TemporaryDirectory() as d:
        sim = subprocess.Popen(
            [os.path.join(bin_dir, "tintwell-sim"), "--dir", d, "--no-noise",
             "--reference", "CS-2000"] + ([] if real else ["--fast"]),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            for line in sim.stdout:
                if line.strip() == "ready":
                    break
            out = subprocess.run(
                [os.path.join(bin_dir, "tintwell-cli"), "reference", "--port",
                 os.path.join(d, "cs2000"), "--model", "cs2000", "--count", str(count)],
                capture_output=True, text=True, env=env, timeout=600)
            if out.returncode != 0:
                sys.exit("tintwell-cli failed: " + out.stderr)
            times = [json.loads(l)["t"] for l in out.stdout.splitlines()]
            spent = MEASURING_MS if real else 0.0
            return [b - a - spent for a, b in zip(times, times[1:])]
        finally:
            sim.stdin.close()
            sim.wait(timeout=10)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    p = argparse.ArgumentParser()
    p.add_argument("--build", default=os.path.join(here, "..", "..", "build", "test"))
    p.add_argument("--count", type=int, default=200)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--real", action="store_true")
    a = p.parse_args()
    bin_dir = os.path.join(a.build, "bin")
    # Private settings: the tool must not touch the user's own.
    home = tempfile.mkdtemp()
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
    everything = []
    for i in range(a.runs):
        dts = run_once(bin_dir, a.count, env, a.real)
        everything += dts
        print("run %d: median %.2f ms per measure() beyond the measuring time over %d readings"
              " (max %.2f ms)"
              % (i + 1, statistics.median(dts), len(dts), max(dts)))
    print("all runs: median %.2f ms, 90th percentile %.2f ms"
          % (statistics.median(everything),
             statistics.quantiles(everything, n=10)[-1]))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Time `tintwell-cli template` on a template with as many pages as its limits allow.

The command reads the page tree and then every page with its run and patch
list, so its time should grow with the file, not with the square of the
number of pages. Writes one header and PAGES - 1 pages (10,000 headers and
pages is the limit; each page a run and two widgets, about 190 bytes, so
1.9 MB at the default), runs the command RUNS times and prints each time and
the median.

    bench/calibration/template_check.py [--build DIR] [--pages N] [--runs R]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

PAGE = """<frame name="page {n}">
<cali caliFor="preCali" colorFor="primaries" option="grayScale"/>
<item object="Label" text="step {n}" column="0" row="0"/>
<item object="Combo" option="gray" row="1"/>
</frame>
"""


def template(pages):
    body = "".join(PAGE.format(n=n) for n in range(pages - 1))
    return ('<?xml version="1.0"?>\n<ScreenCal version="1.0" name="big">\n'
            '<header name="all">\n' + body + "</header>\n</ScreenCal>\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    p = argparse.ArgumentParser()
    p.add_argument("--build", default=os.path.join(here, "..", "..", "build", "test"))
    p.add_argument("--pages", type=int, default=10000)
    p.add_argument("--runs", type=int, default=5)
    a = p.parse_args()
    cli = os.path.join(a.build, "bin", "tintwell-cli")
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "big.xml")
        with open(path, "w") as f:
            f.write(template(a.pages))
        print(f"{a.pages} headers and pages, {os.path.getsize(path) / 1e6:.2f} MB")
        times = []
        for _ in range(a.runs):
            start = time.perf_counter()
            out = subprocess.run([cli, "template", path], capture_output=True, text=True)
            times.append(time.perf_counter() - start)
            if out.returncode != 0:
                sys.exit("tintwell-cli template failed: " + out.stderr)
            print(f"  {times[-1]:.3f} s")
        print(f"median {statistics.median(times):.3f} s over {a.runs} runs")


if __name__ == "__main__":
    main()

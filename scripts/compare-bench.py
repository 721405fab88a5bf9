#!/usr/bin/env python3
"""Runs two builds of zarn_bench in turn, several times, and prints for each
benchmark the median of the cells-per-second counter of each, its spread
(lowest and highest) and the ratio of the medians; a benchmark without that
counter (a random draw, a shuffle) is shown by its time, and its ratio is
before over after, so that above 1 is faster either way. Interleaving the
runs spreads the noise of a shared machine over both.

    scripts/compare-bench.py BEFORE AFTER [--runs N] [--filter REGEX]

A benchmark only one of the two has is shown on its own.
"""
import argparse
import json
import statistics
import subprocess
import sys


NANOSECONDS = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}


def run(binary, flt):
    """Each benchmark's cells per second, or its time in ns (a negative
    number, so that the two never mix)."""
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_filter=" + flt],
                         check=True, capture_output=True, text=True).stdout
    return {b["name"]: b["cells"] if "cells" in b else -b["real_time"] * NANOSECONDS[b["time_unit"]]
            for b in json.loads(out)["benchmarks"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--filter", default=".")
    args = parser.parse_args()
    samples = {args.before: {}, args.after: {}}
    for r in range(args.runs):
        for binary in (args.before, args.after):
            for name, cells in run(binary, args.filter).items():
                samples[binary].setdefault(name, []).append(cells)
        print(f"run {r + 1} of {args.runs}", file=sys.stderr)

    def shown(values):
        if not values:
            return f"{'-':>28}"
        if values[0] < 0:
            times = [-v for v in values]
            return f"{statistics.median(times):9.4g} ns ({min(times):.4g}-{max(times):.4g})"
        return f"{statistics.median(values) / 1e6:9.0f} M ({min(values) / 1e6:.0f}-{max(values) / 1e6:.0f})"

    names = list(samples[args.before]) + [n for n in samples[args.after] if n not in samples[args.before]]
    print(f"{'benchmark (cells/s or time: median, spread)':40} {'before':>28} {'after':>28}  ratio")
    for name in names:
        before, after = samples[args.before].get(name, []), samples[args.after].get(name, [])
        ratio = ""
        if before and after:
            b, a = statistics.median(before), statistics.median(after)
            ratio = f"{(a / b if b > 0 else b / a):6.2f}"
        print(f"{name:40} {shown(before):>28} {shown(after):>28}  {ratio}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Frame times of one 4K monitor and of two composed together, from
vanta-monitors-bench's JSON output, with the checks: the worst effect for
two monitors within one refresh at 60 Hz, and their geometric mean within
1.2 times one monitor's.

  build/native/bin/vanta-monitors-bench --benchmark_repetitions=3 \\
      --benchmark_out=m.json --benchmark_out_format=json
  bench/monitors_table.py m.json
"""
import math
import sys

from benchruns import load_runs, millis

runs = load_runs(sys.argv[1])


def ms(b):
    return millis(b)


def named(prefix):
    return {int(n.split("/")[1]): ms(b) for n, b in runs.items() if n.startswith(prefix + "/")}


copy = ms(runs["BM_FrameCopy4K/real_time"] if "BM_FrameCopy4K/real_time" in runs else runs["BM_FrameCopy4K"])
one, two = named("BM_OneMonitor"), named("BM_TwoMonitors")
styles = sorted(set(one) & set(two))
print("| effect | ms one 4K | ms two 4K | two / one | one / copy |")
print("|---|---|---|---|---|")
for s in styles:
    print(f"| {s} | {one[s]:.2f} | {two[s]:.2f} | {two[s] / one[s]:.2f} | {one[s] / copy:.2f} |")
worst = max(styles, key=lambda s: two[s])
mean_one = math.exp(sum(math.log(one[s]) for s in styles) / len(styles))
mean_two = math.exp(sum(math.log(two[s]) for s in styles) / len(styles))
print()
print(f"4K frame copy: {copy:.2f} ms.")
print(f"Worst for two monitors: effect {worst}, {two[worst]:.2f} ms (within 16.7: {'yes' if two[worst] <= 16.7 else 'NO'}).")
print(f"Geometric mean: one {mean_one:.2f} ms, two {mean_two:.2f} ms, "
      f"{mean_two / mean_one:.2f}x (within 1.2x: {'yes' if mean_two <= 1.2 * mean_one else 'NO'}).")

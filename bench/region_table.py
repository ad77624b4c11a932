#!/usr/bin/env python3
"""Turns vanta-region-bench's JSON output into the table of frame costs:
effect, ms at 1080p, ms at 4K, each as a ratio to one frame copy measured in
the same run, then the slowest effects and the region build costs.

  build/native/bin/vanta-region-bench --benchmark_repetitions=5 \
      --benchmark_out=b.json --benchmark_out_format=json
  bench/region_table.py b.json
"""
import math
import sys

from benchruns import load_runs, millis

runs = load_runs(sys.argv[1])


def ms(name):
    return millis(runs[name], "cpu_time")


copy = {s: ms("FrameCopy/" + s) for s in ("1080p", "4K")}
rows = []
for name in sorted(runs, key=lambda n: int(n.split("/")[1]) if n.startswith("Effect/") else 0):
    if name.startswith("Effect/") and name.endswith("/1080p"):
        style = int(name.split("/")[1])
        hd, uhd = ms(name), ms("Effect/%d/4K" % style)
        rows.append((style, hd, uhd, hd / copy["1080p"], uhd / copy["4K"]))
print("frame copy: %.3f ms at 1080p, %.3f ms at 4K" % (copy["1080p"], copy["4K"]))
print("| effect | ms 1080p | ms 4K | x copy 1080p | x copy 4K |")
print("|---|---|---|---|---|")
for r in rows:
    print("| %d | %.3f | %.3f | %.2f | %.2f |" % r)
geo = lambda i: math.exp(sum(math.log(r[i]) for r in rows) / len(rows))
print("geometric mean of the ratio: %.2f at 1080p, %.2f at 4K" % (geo(3), geo(4)))
print("slowest at 1080p:", ", ".join("%d (%.2fx)" % (r[0], r[3]) for r in sorted(rows, key=lambda r: -r[3])[:5]))
print("slowest at 4K:", ", ".join("%d (%.3f ms)" % (r[0], r[2]) for r in sorted(rows, key=lambda r: -r[2])[:5]))
print()
print("| region build | us |")
print("|---|---|")
for name in sorted(runs):
    if name.startswith("Build/") or name.startswith("Squares5000/"):
        print("| %s | %.1f |" % (name, ms(name) * 1000))

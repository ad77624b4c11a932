#!/usr/bin/env python3
"""Turns vanta-bench's JSON output into the table of frame costs and checks
each family against its budget.

  build/native/bin/vanta-bench --benchmark_repetitions=3 \\
      --benchmark_out=b.json --benchmark_out_format=json
  bench/effects_table.py b.json

x copy is the effect's own counter: its median frame time over the median
of the frame copies timed just before each frame. x plain is the frame
time over BM_FrameCopy, a copy timed on its own with only two pictures in
the cache.
"""
import json
import math
import sys

entries = json.load(open(sys.argv[1]))["benchmarks"]
medians = [b for b in entries if b.get("aggregate_name") == "median"]
runs = {b["run_name"]: b for b in medians} if medians else {b["name"]: b for b in entries}
SIZES = ("1920/1080", "3840/2160")


def ms(b):
    return b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]


plain = {s: ms(runs["BM_FrameCopy/" + s]) for s in SIZES}
two = {s: ms(runs["BM_TwoPictureCopy/" + s]) for s in SIZES if "BM_TwoPictureCopy/" + s in runs}
effects = {}
for name, b in runs.items():
    if name.startswith("BM_Effect/"):
        _, style, w, h = name.split("/")[:4]
        effects.setdefault(int(style), {})[w + "/" + h] = b

print("| effect | ms 1080p | ms 4K | x copy 1080p | x plain 1080p |")
print("|---|---|---|---|---|")
for style in sorted(effects):
    hd, uhd = effects[style][SIZES[0]], effects[style][SIZES[1]]
    print(f"| {style} | {hd['ms']:.3f} | {uhd['ms']:.2f} | {hd['x_copy']:.2f} | {hd['ms'] / plain[SIZES[0]]:.2f} |")

print()
print(f"Plain copy: {plain[SIZES[0]]:.3f} ms at 1080p, {plain[SIZES[1]]:.2f} ms at 4K.")
if two:
    print(f"Copy from both pictures: {two[SIZES[0]]:.3f} ms at 1080p ({two[SIZES[0]] / plain[SIZES[0]]:.2f}x plain), "
          f"{two[SIZES[1]]:.2f} ms at 4K ({two[SIZES[1]] / plain[SIZES[1]]:.2f}x plain).")

# The families as the benchmark labels them (the engine's table of effect numbers).
family_of = {s: effects[s][SIZES[0]].get("label", "") for s in effects}
region = [s for s in effects if family_of[s].endswith(" regions") or family_of[s] == "random squares"]
# Effects with a copy whose destination and source differ in size (the
# folds of 14 and 15 mirror a span two pixels wider than their source).
_AXIS = [1, 2, 7, 8, 9, 10, 13, 14, 15, 16, 17]
SCALED = _AXIS + [m + 17 for m in _AXIS] + [35, 36, 37, 38, 47, 48, 49, 50, 51, 52, 56]
families = [
    ("unscaled copies", [s for s in range(1, 58) if s not in SCALED], 3),
    ("scaled copies", SCALED, 8),
    ("cross-fade", [s for s in effects if family_of[s] == "cross-fade"], 4),
    ("rotations", [s for s in effects if family_of[s] == "rotations"], 20),
    ("region effects", region, 3),
]
print()
print("| family | worst x copy | effects over budget | worst ms 4K |")
print("|---|---|---|---|")
for label, members, budget in families:
    members = [s for s in members if s in effects]
    if not members:
        continue
    worst = max(members, key=lambda s: effects[s][SIZES[0]]["x_copy"])
    over = [s for s in members if effects[s][SIZES[0]]["x_copy"] > budget]
    worst4k = max(members, key=lambda s: effects[s][SIZES[1]]["ms"])
    print(f"| {label} (within {budget}x) | {effects[worst][SIZES[0]]['x_copy']:.2f} ({worst}) | "
          f"{', '.join(map(str, over)) or 'none'} | {effects[worst4k][SIZES[1]]['ms']:.2f} ({worst4k}) |")
mean = math.exp(sum(math.log(effects[s][SIZES[0]]["x_copy"]) for s in range(1, 128) if s in effects) / 127)
slow = sorted(range(1, 128), key=lambda s: -effects[s][SIZES[0]]["x_copy"])[:5]
print()
print(f"Geometric mean over effects 1..127: {mean:.2f}x copy. Five slowest at 1080p: {', '.join(map(str, slow))}.")
print(f"Over 16 ms at 4K: {', '.join(str(s) for s in sorted(effects) if effects[s][SIZES[1]]['ms'] > 16) or 'none'}.")
over4k = [s for s in sorted(effects) if s >= 1 and effects[s][SIZES[1]]["x_copy"] > 3]
worst4k = max(range(1, 128), key=lambda s: effects[s][SIZES[1]]["x_copy"])
print(f"Worst at 4K: {effects[worst4k][SIZES[1]]['x_copy']:.2f}x copy ({worst4k}, {family_of[worst4k]}); "
      f"over 3x copy at 4K: {', '.join(map(str, over4k)) or 'none'}.")

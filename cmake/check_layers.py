#!/usr/bin/env python3
"""Fails when an include reaches up or across the layers.

The layers come from cmake/Layers.cmake, as arguments:
  check_layers.py TOP --layer NAME=PATH,PATH:USES,USES ...
Every .h, .cpp and .rc of src/ and installer/ belongs to a layer by its
path (a longer path wins; tests and benchmarks are left out) and may
include files of its own layer and of the layers it uses, directly or
through them. An include is found as the compiler finds it: beside the
including file first, then below src/ or installer/. Prints the include
graph between layers, edges that are not allowed marked, and exits 1 when
there is one, or when a file is in no layer.
"""
import argparse
import collections
import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]+"([^"]+)"', re.M)
ROOTS = ("src", "installer")
SKIP = {"tests", "bench"}


def parse_layers(entries):
    layers = {}
    for entry in entries:
        name, rest = entry.split("=", 1)
        paths, _, uses = rest.partition(":")
        layers[name] = ([p for p in paths.split(",") if p], [u for u in uses.split(",") if u])
    return layers


def closure(layers):
    allowed = {}

    def reach(name, seen):
        for used in layers[name][1]:
            if used not in layers:
                sys.exit(f"layer {name} uses unknown layer {used}")
            if used not in seen:
                seen.add(used)
                reach(used, seen)
        return seen

    for name in layers:
        allowed[name] = reach(name, {name})
    return allowed


def layer_of(path, layers):
    best, best_len = None, -1
    for name, (paths, _) in layers.items():
        for p in paths:
            if path.startswith(p) and len(p) > best_len:
                best, best_len = name, len(p)
    return best


def resolve(top, including, name):
    beside = os.path.normpath(os.path.join(os.path.dirname(including), name))
    if os.path.isfile(os.path.join(top, beside)):
        return beside
    for root in ROOTS:
        candidate = os.path.normpath(os.path.join(root, name))
        if os.path.isfile(os.path.join(top, candidate)):
            return candidate
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("top")
    ap.add_argument("--layer", action="append", default=[])
    args = ap.parse_args()
    layers = parse_layers(args.layer)
    allowed = closure(layers)

    edges = collections.Counter()
    bad = []
    for root in ROOTS:
        for folder, dirs, files in os.walk(os.path.join(args.top, root)):
            dirs[:] = sorted(d for d in dirs if d not in SKIP)
            for f in sorted(files):
                if not f.endswith((".h", ".cpp", ".rc")):
                    continue
                rel = os.path.relpath(os.path.join(folder, f), args.top)
                source = layer_of(rel, layers)
                if source is None:
                    bad.append(f"{rel}: in no layer")
                    continue
                with open(os.path.join(args.top, rel), encoding="utf-8", errors="replace") as text:
                    content = text.read()
                for m in INCLUDE.finditer(content):
                    target_file = resolve(args.top, rel, m.group(1))
                    target = target_file and layer_of(target_file, layers)
                    if target is None or target == source:
                        continue
                    edges[(source, target)] += 1
                    if target not in allowed[source]:
                        line = content.count("\n", 0, m.start()) + 1
                        bad.append(f"{rel}:{line}: {source} includes {m.group(1)} of {target}")

    print("include graph between layers (count; UP = not allowed):")
    for (a, b), n in sorted(edges.items()):
        print(f"  {a} -> {b}  {n}{'  UP' if b not in allowed[a] else ''}")
    up = sum(1 for a, b in edges if b not in allowed[a])
    print(f"{len(edges)} edges, {up} not allowed")
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())

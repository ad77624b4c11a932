"""Google Benchmark's JSON output as runs by name: the medians where the
run had --benchmark_repetitions (the machine is shared, single runs are
noisy), else the single runs."""
import json

_UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load_runs(path):
    entries = json.load(open(path))["benchmarks"]
    medians = [b for b in entries if b.get("aggregate_name") == "median"]
    return {b["run_name"]: b for b in medians} if medians else {b["name"]: b for b in entries}


def millis(b, field="real_time"):
    return b[field] * _UNIT_MS[b["time_unit"]]

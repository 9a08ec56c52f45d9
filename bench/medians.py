"""The medians of a Google Benchmark JSON report, in microseconds.

Used by the bench/<area>/run.sh scripts after bench_medians (bench/lib.sh):
    import sys; sys.path.insert(0, "bench"); from medians import medians
    wall, cpu = medians(path)            # keyed by run name
    wall, cpu = medians(path, label=True)  # keyed by (run name, label)
"""
import json

_TO_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def medians(path, label=False):
    wall, cpu = {}, {}
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    for r in runs:
        if r.get("aggregate_name") != "median":
            continue
        key = (r["run_name"], r.get("label", "")) if label else r["run_name"]
        scale = _TO_US[r.get("time_unit", "ns")]
        wall[key] = r["real_time"] * scale
        cpu[key] = r["cpu_time"] * scale
    return wall, cpu

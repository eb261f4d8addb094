#!/usr/bin/env python3
"""Turns engine_bench JSON output into the Markdown tables of bench/README.md.

Usage: engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
           --benchmark_format=json > run.json
       python3 bench/summarize.py run.json
Figures are medians of the repetitions, in CPU time; "cv" is the coefficient of variation.
"""
import json
import sys


def load(path):
    with open(path) as f:
        data = json.load(f)
    med, cv = {}, {}
    for b in data["benchmarks"]:
        name = b["run_name"]
        agg = b.get("aggregate_name")
        if agg == "median":
            med[name] = b
        elif agg == "cv":
            cv[name] = b
    return data["context"], med, cv


def ns(b, key="per_layer_sample"):
    if key in b:
        return b[key] * 1e9
    return b["cpu_time"]


def main():
    context, med, cv = load(sys.argv[1])
    print(f"Run: {context.get('date')}, {context.get('num_cpus')} CPUs at {context.get('mhz_per_cpu')} MHz, "
          f"load average {context.get('load_avg')}")
    print()
    print("| mode | walk ns/layer-sample | plain loop | walk / plain | pixman float | walk / pixman | cv walk |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for name in med:
        if not name.startswith("BM_Mode/"):
            continue
        mode = name[len("BM_Mode/"):]
        walk = ns(med[name])
        plain = med.get("BM_PlainLoop/" + mode)
        pix = med.get("BM_Pixman/" + mode)
        row = [mode, f"{walk:.1f}"]
        row.append(f"{ns(plain):.1f}" if plain else "")
        row.append(f"{walk / ns(plain):.2f}" if plain else "")
        row.append(f"{ns(pix):.1f}" if pix else "")
        row.append(f"{walk / ns(pix):.2f}" if pix else "")
        c = cv.get(name)
        row.append(f"{c['cpu_time'] * 100:.0f}%" if c else "")
        print("| " + " | ".join(row) + " |")
    print()
    print("| benchmark | ns per sample | ns per layer-sample | allocs per sample | cv |")
    print("|---|---:|---:|---:|---:|")
    for name, b in med.items():
        if name.startswith(("BM_Mode/", "BM_PlainLoop/", "BM_Pixman/")):
            continue
        label = b.get("label", "")
        per_layer = f"{b['per_layer_sample'] * 1e9:.1f}" if "per_layer_sample" in b else ""
        allocs = f"{b['allocs']:.0f}" if "allocs" in b else ""
        c = cv.get(name)
        print(f"| {name} {label} | {b['cpu_time']:.1f} | {per_layer} | {allocs} | "
              f"{c['cpu_time'] * 100:.0f}% |" if c else f"| {name} {label} | {b['cpu_time']:.1f} | {per_layer} | {allocs} | |")


if __name__ == "__main__":
    main()

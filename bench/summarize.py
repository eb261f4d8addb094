#!/usr/bin/env python3
"""Turns engine_bench JSON output into the Markdown tables of bench/README.md, one group of
columns per run, side by side.

Usage: python3 bench/summarize.py NAME=run.json [NAME=run.json ...]
  e.g. python3 bench/summarize.py windows=build/bench-win/run.json native=build/bench/run.json
Each run is engine_bench --benchmark_repetitions=N --benchmark_report_aggregates_only=true
--benchmark_out=run.json --benchmark_out_format=json (Google Benchmark natively, the harness of
bench/harness on Windows). Figures are medians of the repetitions; "cv" is the coefficient of
variation of the walk's repetitions. Ratios are of figures from the same run.
"""
import json
import sys


def load(path):
    with open(path) as f:
        data = json.load(f)
    med, cv = {}, {}
    for b in data["benchmarks"]:
        agg = b.get("aggregate_name")
        if agg == "median":
            med[b["run_name"]] = b
        elif agg == "cv":
            cv[b["run_name"]] = b
    return data.get("context", {}), med, cv


def per_layer(b):
    return b["per_layer_sample"] * 1e9 if b and "per_layer_sample" in b else None


def fmt(x, digits=1):
    return "" if x is None else f"{x:.{digits}f}"


def ratio(a, b):
    return f"{a / b:.2f}" if a is not None and b else ""


def main():
    runs = []
    for arg in sys.argv[1:]:
        name, path = arg.split("=", 1)
        runs.append((name,) + load(path))
    for name, context, _, _ in runs:
        print(f"- {name}: {context.get('date')}, {context.get('num_cpus')} CPUs"
              + (f", load average {context['load_avg']}" if "load_avg" in context else "")
              + (f", {context['harness']}" if "harness" in context else ", Google Benchmark, CPU time"))
    print()
    modes = []
    for _, _, med, _ in runs:
        for key in med:
            if key.startswith("BM_Mode/") and key[8:] not in modes:
                modes.append(key[8:])

    def mode_table(title, walk, plain, pixman):
        head, rule = ["mode"], ["---"]
        for name, _, med, _ in runs:
            head += [f"{name} {title}", "plain loop", "walk / plain"]
            if any(k.startswith(pixman) for k in med):
                head += ["pixman", "walk / pixman"]
            head.append("cv")
        rule += ["---:"] * (len(head) - 1)
        print("| " + " | ".join(head) + " |")
        print("|" + "|".join(rule) + "|")
        for mode in modes:
            row = [mode]
            for _, _, med, cv in runs:
                w = per_layer(med.get(walk + mode))
                p = per_layer(med.get(plain + mode))
                row += [fmt(w), fmt(p), ratio(w, p)]
                if any(k.startswith(pixman) for k in med):
                    x = per_layer(med.get(pixman + mode))
                    row += [fmt(x), ratio(w, x)]
                c = cv.get(walk + mode)
                row.append(f"{c['cpu_time'] * 100:.0f}%" if c else "")
            print("| " + " | ".join(row) + " |")
        print()

    print("Colour walk, ns per layer-sample (16 layers of one mode over a row of random pixels):")
    print()
    mode_table("walk", "BM_Mode/", "BM_PlainLoop/", "BM_Pixman/")
    print("Bump walk, ns per layer-sample (the same stacks, perturbations from the same pixels):")
    print()
    mode_table("bump", "BM_BumpMode/", "BM_BumpPlainLoop/", "BM_NoPixmanForBump/")

    names = []
    for _, _, med, _ in runs:
        for key in med:
            if not key.startswith(("BM_Mode/", "BM_PlainLoop/", "BM_Pixman/", "BM_BumpMode/",
                                   "BM_BumpPlainLoop/")) and key not in names:
                names.append(key)
    head = ["benchmark"]
    for name, _, _, _ in runs:
        head += [f"{name} ns per sample", "per layer", "allocs", "cv"]
    print("| " + " | ".join(head) + " |")
    print("|---|" + "|".join(["---:"] * (len(head) - 1)) + "|")
    for key in names:
        label = ""
        row = []
        for _, _, med, cv in runs:
            b = med.get(key)
            label = label or (b or {}).get("label", "")
            c = cv.get(key)
            row += [fmt(b["cpu_time"]) if b else "", fmt(per_layer(b)),
                    fmt(b.get("allocs"), 0) if b and "allocs" in b else "",
                    f"{c['cpu_time'] * 100:.0f}%" if c else ""]
        print(f"| {key} {label} | " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()

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


HSV_MODES = ("Hue", "Saturation", "Luminance", "Color")


def span(values, digits=1, suffix=""):
    values = [v for v in values if v is not None]
    if not values:
        return None
    lo, hi = min(values), max(values)
    return (f"{lo:.{digits}f}{suffix}" if lo == hi
            else f"{lo:.{digits}f} to {hi:.{digits}f}{suffix}")


def target_rows(med):
    """The speed targets, each as (target, what this run measured, met or None when the run
    has no figures for it): ordinary modes against their scalar plain loops, the HSV modes,
    Interpolation, the Output stage with gamma, 8 layers + Output, and pixman (native)."""
    rows = []
    ordinary = [k[len("BM_PlainLoop/"):] for k in med if k.startswith("BM_PlainLoop/")]
    ordinary = [m for m in ordinary if m != "Interpolation" and "BM_Mode/" + m in med]
    ratios = {m: per_layer(med["BM_Mode/" + m]) / per_layer(med["BM_PlainLoop/" + m])
              for m in ordinary}
    within = [m for m in ordinary if ratios[m] <= 0.8]
    text = span(ratios.values(), 2, "x")
    if text:
        above = ", ".join(f"{m} {ratios[m]:.2f}" for m in ordinary if ratios[m] > 0.8)
        text += f"; {len(within)} of {len(ordinary)} within" + (f" (above: {above})" if above else "")
    rows.append(("ordinary modes <= 0.8x their scalar plain loop, per layer-sample", text,
                 len(within) == len(ordinary) if ordinary else None))
    hsv = [per_layer(med.get("BM_Mode/" + m)) for m in HSV_MODES]
    text = span(hsv, 1, " ns")
    rows.append(("HSV modes <= 15 ns per layer-sample", text,
                 max(v for v in hsv if v is not None) <= 15 if text else None))
    x = per_layer(med.get("BM_Mode/Interpolation"))
    rows.append(("Interpolation <= 25 ns per layer-sample", fmt(x) + " ns" if x else None,
                 x <= 25 if x else None))
    b = med.get("BM_OutputStage/gamma:1")
    x = b["cpu_time"] if b else None
    rows.append(("Output stage with gamma <= 25 ns per sample", fmt(x) + " ns" if x else None,
                 x <= 25 if x else None))
    b = med.get("BM_ColorWalk/family:0/layers:8/output:1")
    x = b["cpu_time"] if b else None
    rows.append(("8 layers + Output <= 90 ns per sample", fmt(x) + " ns" if x else None,
                 x <= 90 if x else None))
    pix = [k[len("BM_Pixman/"):] for k in med if k.startswith("BM_Pixman/")]
    faster = [m for m in pix if "BM_Mode/" + m in med
              and per_layer(med["BM_Mode/" + m]) < per_layer(med["BM_Pixman/" + m])]
    slower = ", ".join(m for m in pix if m not in faster)
    rows.append(("faster than pixman's float combiners on >= 13 of 15 modes",
                 f"{len(faster)} of {len(pix)}" + (f" (slower: {slower})" if slower else "")
                 if pix else None, len(faster) >= 13 if pix else None))
    return rows


def targets_table(runs):
    """One table of the targets, a pair of columns (measured, met) per run."""
    head = ["target"]
    for name, _, _, _ in runs:
        head += [name, "met"]
    print("Targets:")
    print()
    print("| " + " | ".join(head) + " |")
    print("|---|" + "|".join(["---"] * (len(head) - 1)) + "|")
    per_run = [target_rows(med) for _, _, med, _ in runs]
    for i, (target, _, _) in enumerate(per_run[0]):
        row = [target]
        for rows in per_run:
            _, text, met = rows[i]
            row += [text or "", "" if met is None else ("yes" if met else "no")]
        print("| " + " | ".join(row) + " |")
    print()


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
    targets_table(runs)
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

#!/usr/bin/env python3
"""Measures the engine of an older commit and the engine of the work tree in one session:
the same benchmark program (this tree's bench/) built against each engine, natively and for
Windows (run under wine), run alternately for a few rounds; per benchmark the fastest round's
median is kept. Prints the tables of bench/summarize.py for the four programs side by side.

Usage: python3 bench/before_after.py REV [ROUNDS] [BUILD]    (from the top of the tree)
"""
import json
import os
import subprocess
import sys

FLAGS = ["--benchmark_repetitions=3", "--benchmark_min_time=0.1",
         "--benchmark_report_aggregates_only=true", "--benchmark_out_format=json"]


def run(cmd, **kw):
    subprocess.run(cmd, check=True, **kw)


def configure_and_build(src, build, windows):
    cmd = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
           "-DQUILTRA_BENCH=ON"]
    if windows:
        cmd.append("-DCMAKE_TOOLCHAIN_FILE=" + os.path.abspath("cmake/mingw-w64-x86_64.cmake"))
    run(cmd, stdout=subprocess.DEVNULL)
    run(["cmake", "--build", build, "--target", "engine_bench"], stdout=subprocess.DEVNULL)


def main():
    rev = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    build = os.path.abspath(sys.argv[3] if len(sys.argv) > 3 else "build")
    out = os.path.join(build, "before-after")
    tree = os.path.join(out, "before-tree")
    # This tree's files with the older engine.
    run(["rm", "-rf", tree])
    os.makedirs(tree)
    run(f"git archive HEAD | tar -x -C {tree}", shell=True)
    run(["rm", "-rf", os.path.join(tree, "engine")])
    run(f"git archive {rev} engine | tar -x -C {tree}", shell=True)
    programs = {}
    for name, src, windows in [("before-windows", tree, True), ("after-windows", ".", True),
                               ("before-native", tree, False), ("after-native", ".", False)]:
        b = os.path.join(out, name)
        configure_and_build(src, b, windows)
        programs[name] = (os.path.join(b, "bin", "engine_bench.exe") if windows
                          else os.path.join(b, "bench", "engine_bench"), windows)
    # One wineserver for the whole session: a program started while the last one's server is
    # shutting down can lose its connection to it.
    run([os.path.abspath("scripts/wineserver-keep"), "start"])
    try:
        best = measure(programs, rounds, out)
    finally:
        run([os.path.abspath("scripts/wineserver-keep"), "stop"])
    args = []
    for name, keep in best.items():
        path = os.path.join(out, f"{name}.json")
        json.dump({"context": keep["context"], "benchmarks": list(keep["runs"].values())},
                  open(path, "w"))
        args.append(f"{name}={path}")
    run([sys.executable, "bench/summarize.py"] + args)


def measure(programs, rounds, out):
    """Runs the programs in turns for the rounds; per benchmark the fastest round's median."""
    best = {}
    for r in range(rounds):
        for name, (exe, windows) in programs.items():
            path = os.path.join(out, f"{name}-{r}.json")
            cmd = ([os.path.abspath("scripts/wine-run")] if windows else []) + [exe] + FLAGS + \
                  ["--benchmark_out=" + os.path.relpath(path)]
            load = open("/proc/loadavg").read().split()[:3]
            print(f"round {r + 1}, {name}, load average {' '.join(load)}", file=sys.stderr)
            run(cmd, stdout=subprocess.DEVNULL)
            data = json.load(open(path))
            data["context"]["load_avg"] = load
            keep = best.setdefault(name, {"context": data["context"], "runs": {}})
            for b in data["benchmarks"]:
                key = (b["run_name"], b.get("aggregate_name"))
                if b.get("aggregate_name") not in ("median", "cv"):
                    continue
                old = keep["runs"].get((b["run_name"], "median"))
                if b.get("aggregate_name") == "median" and (old is None or b["cpu_time"] < old["cpu_time"]):
                    keep["runs"][key] = b
                    keep["runs"][(b["run_name"], "cv")] = next(
                        x for x in data["benchmarks"]
                        if x["run_name"] == b["run_name"] and x.get("aggregate_name") == "cv")
    return best


if __name__ == "__main__":
    main()

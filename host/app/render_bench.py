#!/usr/bin/env python3
"""End-to-end speed of `quiltra render` under wine: samples per second for the demo and for
stacks of 1, 4, 16 and 64 layers of picture sub-maps, at 1024x1024 on 1 and 2 threads.

Usage: render_bench.py SOURCE_DIR BUILD_DIR OUT.md [--size N] [--repeats R] [--before FOLDER]
Each figure is the best of R runs of the whole program (start-up, scene reading, plug-in
loading, rendering, PNG writing). The start-up alone (a 1x1 render) is measured and shown too.
With --before, a second build (a build folder as QUILTRA_BUILD takes it, or a bin folder holding
quiltra.exe and its plug-ins) runs alternately with BUILD_DIR's, run for run in the same
session, and the tables show both and the ratio.
"""
import json
import os
import platform
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def stack_scene(layers):
    """Layers of picture maps in a rotation of kinds and modes, every other one masked."""
    maps = [
        {"type": "noise", "scale": 6, "octaves": 4, "color1": [0.1, 0.2, 0.3], "color2": [0.9, 0.7, 0.4]},
        {"type": "checker", "scale": 8, "color1": [1, 1, 1], "color2": [0.2, 0.2, 0.2]},
        {"type": "gradient", "direction": "radial", "colors": [[1, 0.8, 0.6], [0.1, 0.2, 0.5]]},
        {"type": "constant", "color": [0.4, 0.6, 0.8, 1]},
    ]
    modes = ["Normal", "Multiply", "Screen", "Overlay", "Soft Light", "Hue", "Dodge", "Average"]
    out = []
    for i in range(layers):
        layer = {"map": maps[i % len(maps)], "mode": modes[i % len(modes)], "opacity": 80}
        if i % 2:
            layer["mask"] = {"type": "gradient", "direction": "u"}
        out.append(layer)
    return {"layers": out}


def build_parent_of(folder, tmp):
    """A folder QUILTRA_BUILD accepts: the folder itself, or one made around a bin folder."""
    folder = os.path.abspath(folder)
    if os.path.isfile(os.path.join(folder, "win", "bin", "quiltra.exe")):
        return folder
    if not os.path.isfile(os.path.join(folder, "quiltra.exe")):
        sys.exit(f"render_bench: no quiltra.exe in {folder} or {folder}/win/bin")
    parent = os.path.join(tmp, "before")
    os.makedirs(os.path.join(parent, "win"))
    os.symlink(folder, os.path.join(parent, "win", "bin"))
    return parent


def main():
    source, build_parent, out_md = sys.argv[1], sys.argv[2], sys.argv[3]
    size = int(sys.argv[sys.argv.index("--size") + 1]) if "--size" in sys.argv else 1024
    repeats = int(sys.argv[sys.argv.index("--repeats") + 1]) if "--repeats" in sys.argv else 3
    before = sys.argv[sys.argv.index("--before") + 1] if "--before" in sys.argv else None
    launcher = os.path.join(source, "quiltra")
    cpu = next((l.split(":", 1)[1].strip() for l in subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines()
                if l.startswith("Model name")), platform.processor())
    cores = os.cpu_count()
    load_before = os.getloadavg()[0]

    # One wineserver stays up for the whole run, as in `make test`: each start of the program
    # then costs a fraction of a second instead of seconds. Both builds run in that one prefix.
    prefix = os.environ.get("QUILTRA_WINEPREFIX", os.path.join(build_parent, "wineprefix"))
    keep = os.path.join(source, "scripts", "wineserver-keep")
    keep_env = dict(os.environ, QUILTRA_WINEPREFIX=prefix)
    tmp = tempfile.mkdtemp()
    builds = [build_parent] + ([build_parent_of(before, tmp)] if before else [])
    subprocess.run([keep, "start"], env=keep_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        rows, startup = measure(source, builds, launcher, size, repeats, prefix)
    finally:
        subprocess.run([keep, "stop"], env=keep_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(tmp, ignore_errors=True)
    if before:
        write_comparison(out_md, rows, startup, size, repeats, cpu, cores, load_before, before)
    else:
        write_figures(out_md, [(name, figures[0]) for name, figures in rows], startup[0], size,
                      repeats, cpu, cores, load_before)


def measure(source, builds, launcher, size, repeats, prefix):
    """For each scene and thread count, the best (wall, render) of each build; the builds take
    turns run by run, so that a change in the machine's load falls on both."""
    with tempfile.TemporaryDirectory() as tmp:
        scenes = [("demo (examples/demo.json)", os.path.join(source, "examples", "demo.json"))]
        for n in (1, 4, 16, 64):
            path = os.path.join(tmp, f"stack{n}.json")
            with open(path, "w") as f:
                json.dump(stack_scene(n), f)
            scenes.append((f"{n} layer{'s' if n > 1 else ''} of picture maps", path))
        png = os.path.join(tmp, "out.png")

        def each(args):
            return [run(launcher, build, args, prefix) for build in builds]

        each(["render", scenes[0][1], "-o", png, "--size", "1x1"])  # warm the wine prefix
        tiny = [each(["render", scenes[0][1], "-o", png, "--size", "1x1"]) for _ in range(repeats)]
        startup = [min(t[b][0] for t in tiny) for b in range(len(builds))]
        rows = []
        for name, path in scenes:
            figures = []  # per build: [(wall, render) for 1 thread, for 2 threads]
            per_build = [[] for _ in builds]
            for threads in (1, 2):
                runs = [each(["render", path, "-o", png, "--size", f"{size}x{size}", "--threads", str(threads)])
                        for _ in range(repeats)]
                for b in range(len(builds)):
                    per_build[b].append(tuple(min(r[b][k] for r in runs) for k in range(3)))
            figures = per_build
            rows.append((name, figures))
            print(f"{name}: {figures}", file=sys.stderr)
    return rows, startup


def run(launcher, build_parent, args, prefix):
    """Wall time of the whole program, and the render stage alone as the program reports it."""
    env = dict(os.environ, QUILTRA_BUILD=build_parent, QUILTRA_TIMING="1", QUILTRA_WINEPREFIX=prefix)
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run([launcher] + args, check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - used.ru_utime) + (after.ru_stime - used.ru_stime)
    match = re.search(r"render ([0-9.]+) s", done.stderr)
    return wall, float(match.group(1)) if match else float("nan"), cpu


def ratio_rows(rows, index, digits):
    """Table rows of one figure (index 1: the render stage, 2: the processor time), before and
    after, per scene and thread count."""
    out = []
    for name, figures in rows:
        for t, threads in enumerate((1, 2)):
            after, earlier = figures[0][t][index], figures[1][t][index]
            out.append(f"| {name} | {threads} | {earlier:.{digits}f} | {after:.{digits}f} | "
                       f"{earlier / after:.2f}× |")
    return out


def write_out(out_md, lines):
    """Writes the tables to out_md, keeping the hand-written section that starts at "## Notes"
    in the file as it was, and prints them."""
    notes = ""
    if os.path.isfile(out_md):
        text = open(out_md).read()
        if "\n## Notes" in text:
            notes = text[text.index("\n## Notes"):]
    lines = lines + [""]
    with open(out_md, "w") as f:
        f.write("\n".join(lines) + notes)
    print("\n".join(lines))


def write_comparison(out_md, rows, startup, size, repeats, cpu, cores, load_before, before):
    samples = size * size
    lines = [
        "# quiltra render: end-to-end figures, before and after",
        "",
        f"Machine: {cpu}, {cores} cores; Windows build run under wine. Each figure is the best of "
        f"{repeats} runs of the whole program (`./quiltra render SCENE -o OUT.png --size {size}x{size} "
        "--threads T`, one wineserver kept alive for the run): wine start-up, scene reading, plug-in loading, "
        "rendering and PNG writing. Samples per second = pixels / wall time. Before: "
        f"`{before}`; after: this tree's build. The two took turns run by run in one session "
        "(`host/app/render_bench.py ... --before FOLDER`, `make render-bench BEFORE=FOLDER`).",
        "",
        f"Start-up and a 1x1 render: before {startup[1]:.2f} s, after {startup[0]:.2f} s. Load average (1 min) "
        f"before the run: {load_before:.2f}, after: {os.getloadavg()[0]:.2f} (other work on the machine slows "
        "the figures, the 2-thread ones most).",
        "",
        "End to end (whole program), samples per second:",
        "",
        "| scene | threads | before: s | before | after: s | after | after / before |",
        "|---|---|---|---|---|---|---|",
    ]
    for name, figures in rows:
        for t, threads in enumerate((1, 2)):
            after, earlier = figures[0][t][0], figures[1][t][0]
            lines.append(f"| {name} | {threads} | {earlier:.2f} | {samples / earlier / 1e6:.2f} M | {after:.2f} | "
                         f"{samples / after / 1e6:.2f} M | {earlier / after:.2f}× |")
    lines += [
        "",
        "The render stage as the program reports it with QUILTRA_TIMING=1 (Update and the samples with "
        "the PNG codes; after: also the PNG's compression, which runs beside the render threads):",
        "",
        "| scene | threads | before: s | after: s | after / before |",
        "|---|---|---|---|---|",
    ]
    lines += ratio_rows(rows, 1, 3)
    lines += [
        "",
        "Processor time of the whole program (user and system, all its threads; the wineserver's "
        "not counted), which the machine's load disturbs less than the wall time:",
        "",
        "| scene | threads | before: s | after: s | after / before |",
        "|---|---|---|---|---|",
    ]
    lines += ratio_rows(rows, 2, 2)
    write_out(out_md, lines)


def write_figures(out_md, rows, startup, size, repeats, cpu, cores, load_before):
    samples = size * size
    lines = [
        "# quiltra render: end-to-end figures",
        "",
        f"Machine: {cpu}, {cores} cores; Windows build run under wine. Each figure is the best of "
        f"{repeats} runs of the whole program (`./quiltra render SCENE -o OUT.png --size {size}x{size} "
        "--threads T`, one wineserver kept alive for the run as `make test` does): wine start-up, scene reading, plug-in loading, rendering and PNG writing. "
        "Samples per second = pixels / wall time. `host/app/render_bench.py` (`make render-bench`) makes them.",
        "",
        f"Start-up and a 1x1 render: {startup:.2f} s. Load average (1 min) before the run: {load_before:.2f}, "
        f"after: {os.getloadavg()[0]:.2f} (other work on the machine slows the figures, the 2-thread ones most).",
        "",
        "End to end (whole program):",
        "",
        "| scene | 1 thread: s | samples/s | 2 threads: s | samples/s | 1 → 2 threads |",
        "|---|---|---|---|---|---|",
    ]
    for name, ((one, _, _), (two, _, _)) in rows:
        lines.append(f"| {name} | {one:.2f} | {samples / one / 1e6:.2f} M | {two:.2f} | {samples / two / 1e6:.2f} M | "
                     f"{one / two:.2f}× |")
    lines += [
        "",
        "The render stage alone (Update and the samples, with the PNG codes made by the render threads), "
        "as the program reports it with QUILTRA_TIMING=1:",
        "",
        "| scene | 1 thread: s | samples/s | 2 threads: s | samples/s | 1 → 2 threads |",
        "|---|---|---|---|---|---|",
    ]
    for name, ((_, one, _), (_, two, _)) in rows:
        lines.append(f"| {name} | {one:.3f} | {samples / one / 1e6:.2f} M | {two:.3f} | {samples / two / 1e6:.2f} M | "
                     f"{one / two:.2f}× |")
    write_out(out_md, lines)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Checks across Windows builds, each given as ARCH-SDK=FOLDER (its suite already passed):

- versions: each build's quiltra loads its own plug-in; the host of every other build refuses
  it, naming the plug-in's LibVersion and its own (same architecture), or cannot load it at
  all (a 32-bit host and a 64-bit plug-in, or the reverse);
- same bits: pairs of builds render the example scenes and a scene of all 35 blend modes, and
  their PFM output (raw floats, NaN and infinities kept) is compared byte for byte.

Ends with "N passed, N failed"; exit status 1 when anything failed.
"""
import json
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(SOURCE, "scripts", "wine-run")

# What each host SDK's LibVersion is: release << 16 | API << 8 | revision.
LIB_VERSION = {
    "2013": (0x3A982800, 15000, 40),
    "2014": (0x3E802A00, 16000, 42),
    "2015": (0x42682C00, 17000, 44),
    "2016": (0x46502E00, 18000, 46),
}

# Pairs that must give the same bits: every x64 build against the 2016 one (they differ only in
# the host SDK), and the 32-bit build against the x64 build of its own SDK.
SAME_BITS = [
    ("x64-2013", "x64-2016"),
    ("x64-2014", "x64-2016"),
    ("x64-2015", "x64-2016"),
    ("x86-2013", "x64-2013"),
]

# name, scene (a file of the tree, or one made below), channel, alpha too, NaNs compared bit
# for bit. The all-modes scene takes colours outside 0..1 and makes NaNs; which of two NaN
# operands an operation passes on (and so the NaN's sign) is not fixed by IEEE 754 and
# follows the compiler's choice of operand order, so there a NaN must meet a NaN and every
# other float the same bits.
RENDERS = [
    ("demo", "examples/demo.json", "color", True, True),
    ("demo-mono", "examples/demo.json", "mono", False, True),
    ("bump", "examples/bump.json", "bump", False, True),
    ("output", "examples/output.json", "color", True, True),
    ("nested", "examples/nested.json", "color", True, True),
    ("all-modes", "all-modes", "color", True, False),
    ("all-modes-bump", "all-modes", "bump", False, False),
]
SIZE = "140x280"  # the all-modes scene: 8 rows for each mode


def all_modes_scene():
    """35 layers over a base that runs past 0..1; layer i blends in mode i inside the band of
    rows around v = i / 34 (a gradient mask with one white stop), so every mode shows."""
    stops = 35
    layers = [{"map": {"type": "gradient", "direction": "u", "bump": 0.5,
                       "colors": [[-0.25, 0.0, 0.1], [0.2, 0.45, 0.7], [1.0, 1.0, 1.0],
                                  [1.6, 0.3, 0.05, 0.5]]}}]
    for mode in range(35):
        mask = [[0, 0, 0]] * stops
        mask[mode] = [1, 1, 1]
        layers.append({
            "map": {"type": "noise", "scale": 5, "octaves": 3, "seed": mode, "bump": 0.2,
                    "color1": [0.02, 0.9, 0.3, 0.25], "color2": [1.2, 0.1, 0.6, 1.0]},
            "mask": {"type": "gradient", "direction": "v", "colors": mask},
            "mode": mode, "opacity": 80})
    return {"layers": layers,
            "output": {"on": True, "gamma": 1.4, "contrast": 110, "hsv": [0.1, 0.1, 0.0]}}


def windows_path(path):
    return "Z:" + os.path.abspath(path) if os.name != "nt" else os.path.abspath(path)


def run_quiltra(folder, args):
    exe = os.path.join(folder, "bin", "quiltra.exe")
    cmd = ([exe] if os.name == "nt" else [WINE_RUN, exe]) + args
    p = subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    return p.returncode, p.stdout.decode(errors="replace"), p.stderr.decode(errors="replace")


def version_text(sdk):
    v, release, api = LIB_VERSION[sdk]
    return "0x%08X (release %d, API %d, revision 0)" % (v, release, api)


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAILED: %s%s" % (name, ("\n  " + detail.strip().replace("\n", "\n  ")) if detail else ""))


def check_versions(builds, scene, results):
    for host, host_dir in builds.items():
        for plugin, plugin_dir in builds.items():
            name = "host %s, plug-in %s" % (host, plugin)
            plugins = windows_path(os.path.join(plugin_dir, "bin", "plugins"))
            status, out, err = run_quiltra(host_dir, ["eval", windows_path(scene), "--plugins", plugins])
            same_arch = host.split("-")[0] == plugin.split("-")[0]
            same_sdk = host.split("-")[1] == plugin.split("-")[1]
            if host == plugin:
                results.check(name + ": loads", status == 0 and out.startswith("color "), err)
            elif same_arch:
                # Two builds of one architecture differ in the SDK (the x64 ones).
                expected = "built for SDK version %s; this host needs %s" % (
                    version_text(plugin.split("-")[1]), version_text(host.split("-")[1]))
                results.check(name + ": refused by version", status == 2 and expected in err,
                              "status %d, expected %r in:\n%s" % (status, expected, err))
            else:
                results.check(name + ": cannot be loaded (other architecture%s)" % (
                              ", same SDK" if same_sdk else ""),
                              status == 2 and "cannot load the library" in err,
                              "status %d:\n%s" % (status, err))


def read_pfm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = data.split(None, 3)
    channels = 3 if fields[0] == b"PF" else 1
    width, height = int(fields[1]), int(fields[2])
    pixels = data[len(data) - width * height * channels * 4:]
    return width, height, channels, pixels


def is_nan(word):
    return (word & 0x7F800000) == 0x7F800000 and (word & 0x007FFFFF) != 0


def same_floats_nan_as_nan(a, b):
    """True when the two PFM files hold the same floats bit for bit, a NaN meeting any NaN;
    also the number of NaNs whose bits differ."""
    wa, ha, ca, pa = read_pfm(a)
    wb, hb, cb, pb = read_pfm(b)
    if (wa, ha, ca) != (wb, hb, cb) or len(pa) != len(pb):
        return False, 0
    n = len(pa) // 4
    nan_bits = 0
    for x, y in zip(struct.unpack("<%dI" % n, pa), struct.unpack("<%dI" % n, pb)):
        if x != y:
            if not (is_nan(x) and is_nan(y)):
                return False, nan_bits
            nan_bits += 1
    return True, nan_bits


def first_difference(a, b):
    wa, ha, ca, pa = read_pfm(a)
    wb, hb, cb, pb = read_pfm(b)
    if (wa, ha, ca) != (wb, hb, cb) or len(pa) != len(pb):
        return "headers differ: %dx%dx%d against %dx%dx%d" % (wa, ha, ca, wb, hb, cb)
    differ = sum(1 for i in range(0, len(pa), 4) if pa[i:i + 4] != pb[i:i + 4])
    for i in range(0, len(pa), 4):
        if pa[i:i + 4] != pb[i:i + 4]:
            n = i // 4
            pixel, channel = divmod(n, ca)
            row_from_bottom, x = divmod(pixel, wa)
            va, = struct.unpack("<f", pa[i:i + 4])
            vb, = struct.unpack("<f", pb[i:i + 4])
            return ("%d of %d floats differ; first at x %d, row %d from the bottom, channel %d: "
                    "%r (%s) against %r (%s)" % (differ, len(pa) // 4, x, row_from_bottom, channel,
                                                 va, pa[i:i + 4].hex(), vb, pb[i:i + 4].hex()))
    return "the bytes before the floats differ"


def render_all(config, folder, work, scenes, results):
    """Renders every row of RENDERS with one build; returns {output name: path}."""
    outputs = {}
    for name, scene, channel, alpha, _ in RENDERS:
        prefix = os.path.join(work, "%s.%s" % (config, name))
        args = ["render", windows_path(scenes[scene]), "-o", windows_path(prefix + ".png"),
                "--size", SIZE, "--channel", channel, "--pfm", windows_path(prefix + ".pfm")]
        files = {"pfm": prefix + ".pfm"}
        if alpha:
            args += ["--pfm-alpha", windows_path(prefix + ".alpha.pfm")]
            files["alpha.pfm"] = prefix + ".alpha.pfm"
        status, _, err = run_quiltra(folder, args)
        ok = status == 0 and all(os.path.isfile(f) for f in files.values())
        results.check("%s renders %s (%s)" % (config, name, channel), ok, err)
        if ok:
            for kind, path in files.items():
                outputs["%s.%s" % (name, kind)] = path
    return outputs


def main(argv):
    builds = {}
    for arg in argv:
        config, _, folder = arg.partition("=")
        if not folder or config.split("-")[-1] not in LIB_VERSION:
            print("usage: cross_check.py ARCH-SDK=FOLDER...", file=sys.stderr)
            return 2
        builds[config] = folder
    work = os.path.join(os.path.dirname(os.path.abspath(next(iter(builds.values())))), "cross")
    os.makedirs(work, exist_ok=True)
    scenes = {"all-modes": os.path.join(work, "all-modes.json")}
    with open(scenes["all-modes"], "w") as f:
        json.dump(all_modes_scene(), f, indent=1)
    for _, scene, _, _, _ in RENDERS:
        scenes.setdefault(scene, os.path.join(SOURCE, scene))

    results = Results()
    check_versions(builds, os.path.join(SOURCE, "examples", "demo.json"), results)

    pairs = [(a, b) for a, b in SAME_BITS if a in builds and b in builds]
    rendered = {c: render_all(c, builds[c], work, scenes, results)
                for c in sorted({c for pair in pairs for c in pair})}
    nan_bits_compared = {"%s.%s" % (r[0], kind): r[4] for r in RENDERS for kind in ("pfm", "alpha.pfm")}
    for a, b in pairs:
        for output in sorted(set(rendered[a]) | set(rendered[b])):
            name = "%s and %s give the same bits: %s" % (a, b, output)
            if output not in rendered[a] or output not in rendered[b]:
                results.check(name, False, "not rendered by both")
                continue
            fa, fb = rendered[a][output], rendered[b][output]
            with open(fa, "rb") as f, open(fb, "rb") as g:
                same = f.read() == g.read()
            if not same and not nan_bits_compared[output]:
                same, nan_bits = same_floats_nan_as_nan(fa, fb)
                if same:
                    print("note: %s and %s, %s: every float the same, %d NaNs with other bits"
                          % (a, b, output, nan_bits))
            results.check(name, same, "" if same else first_difference(fa, fb))

    print("builds: %s" % " ".join(builds))
    print("cross-builds: %d passed, %d failed" % (results.passed, results.failed))
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

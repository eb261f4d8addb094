#!/usr/bin/env python3
"""The dialect check reports every planted violation at its line and nothing in clean code."""
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
script = os.path.join(here, "..", "..", "scripts", "check-dialect")


def run(path):
    p = subprocess.run([sys.executable, script, path], capture_output=True, text=True)
    lines = set()
    for line in p.stdout.splitlines():
        parts = line.split(":")
        lines.add(int(parts[1]))
    return p.returncode, lines


failures = []
violations = os.path.join(here, "violations.cpp")
with open(violations) as f:
    expected = {i for i, l in enumerate(f.read().split("\n"), 1) if l.rstrip().endswith("// VIOLATION")}
rc, reported = run(violations)
if rc != 1:
    failures.append(f"violations.cpp: exit status {rc}, expected 1")
for line in sorted(expected - reported):
    failures.append(f"violations.cpp:{line}: planted violation not reported")
for line in sorted(reported - expected):
    failures.append(f"violations.cpp:{line}: reported but not planted")

rc, reported = run(os.path.join(here, "clean.cpp"))
if rc != 0 or reported:
    failures.append(f"clean.cpp: exit status {rc}, lines {sorted(reported)} reported")

for f in failures:
    print(f)
print(f"{0 if failures else 2} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)

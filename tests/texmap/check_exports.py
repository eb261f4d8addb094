#!/usr/bin/env python3
"""Checks that a DLL exports exactly the given names, reading the export table that objdump -p
prints. Usage: check_exports.py OBJDUMP DLL NAME...   Exits 1 (with what differs) otherwise."""
import re
import subprocess
import sys


def exported_names(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    names = []
    in_table = False
    for line in text.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        if in_table:
            m = re.match(r"\s*\[\s*\d+\]\s+(.*\S)\s*$", line)
            if not m:
                if names or not line.strip():
                    if names:
                        break
                    continue
                break
            names.append(m.group(1).split()[-1])
    return names


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    objdump, dll, expected = sys.argv[1], sys.argv[2], sys.argv[3:]
    names = exported_names(objdump, dll)
    if sorted(names) != sorted(expected):
        print("exports of %s: %s" % (dll, names))
        print("expected exactly: %s" % sorted(expected))
        return 1
    print("exports: %s" % ", ".join(sorted(names)))
    return 0


if __name__ == "__main__":
    sys.exit(main())

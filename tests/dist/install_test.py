#!/usr/bin/env python3
"""The packages as a Windows user meets them, under wine in a fresh prefix made here.

Usage: tests/dist/install_test.py PACKAGES BUILD

PACKAGES holds what scripts/dist made from the x64-2016 build BUILD (quiltra-V-x64.msi and
quiltra-V-win64.zip). The MSI is installed silently; its files, Start-menu entry, .scene
association and uninstall entry are checked; the installed quiltra.exe renders and evaluates an
installed example to the same bytes as BUILD's; a saved scene opens through the association
(edit --shot); a silent uninstall leaves nothing the installer made and keeps the user's scene.
The zip, unpacked outside the tree, renders the same bytes too.
"""
import glob
import os
import re
import struct
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(HERE, "scripts", "wine-run")
failures = []


def check(ok, what):
    print(("ok     " if ok else "FAILED ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def wine(*args, timeout=600):
    r = subprocess.run([WINE_RUN] + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, timeout=timeout)
    return r.returncode, r.stdout.decode("utf-8", "replace"), r.stderr.decode("utf-8", "replace")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def reg_query(key, recursive=False):
    """The values under a registry key (reg query's lines), or None when the key is missing."""
    rc, out, _ = wine("reg", "query", key, *(["/s"] if recursive else []))
    return out if rc == 0 else None


def reg_default(key):
    out = reg_query(key)
    if out is None:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[1] == "REG_SZ" and parts[0] in ("(Default)", "(Standard)", "@"):
            return parts[2]
    return ""


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    packages, build = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    msis = glob.glob(os.path.join(packages, "quiltra-*-x64.msi"))
    zips = glob.glob(os.path.join(packages, "quiltra-*-win64.zip"))
    if len(msis) != 1 or len(zips) != 1:
        sys.stderr.write("install_test: no single MSI and zip in %s\n" % packages)
        return 2
    msi, package_zip = msis[0], zips[0]
    tree_exe = os.path.join(build, "bin", "quiltra.exe")

    scratch = tempfile.mkdtemp(prefix="quiltra-install-")
    os.environ["QUILTRA_WINEPREFIX"] = os.path.join(scratch, "prefix")
    # No menu entries or file types of the Linux desktop made from the installer's.
    os.environ["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
    started = time.time()
    keep = os.path.join(HERE, "scripts", "wineserver-keep")
    subprocess.run([keep, "start"], check=False)
    try:
        return run(scratch, msi, package_zip, tree_exe, started)
    finally:
        subprocess.run([keep, "stop"], check=False)
        shutil.rmtree(scratch, ignore_errors=True)


def run(scratch, msi, package_zip, tree_exe, started):
    prefix = os.environ["QUILTRA_WINEPREFIX"]
    drive_c = os.path.join(prefix, "drive_c")
    installed = os.path.join(drive_c, "Program Files", "Quiltra")
    installed_exe = "C:\\Program Files\\Quiltra\\quiltra.exe"
    # The installer is per machine (ALLUSERS=1), so Windows puts the entry in the Start menu of
    # all users; wine's msiexec puts it in the installing user's. Either counts.
    menus = [os.path.join(drive_c, *parts, "Microsoft", "Windows", "Start Menu", "Programs", "Quiltra")
             for parts in (("ProgramData",), ("users", os.environ.get("USER", "root"), "AppData", "Roaming"))]
    print("prefix made in %.0f s" % (time.time() - started), flush=True)
    # quiltra.exe's windows unmanaged: no wait for a window manager the display lacks.
    reg = os.path.join(scratch, "unmanaged.reg")
    with open(reg, "w") as f:
        f.write('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\quiltra.exe\\X11 Driver]\n"Managed"="N"\n')
    wine("regedit", "/S", windows_path(reg))

    # ---- install --------------------------------------------------------------------------
    rc, out, err = wine("msiexec", "/i", windows_path(msi), "/qn")
    if not check(rc == 0, "msiexec /i /qn exits 0 (%d) %s" % (rc, err.strip()[-300:])):
        return 1
    with zipfile.ZipFile(package_zip) as z:
        top = z.namelist()[0].split("/")[0]
        expected = {n[len(top) + 1:]: z.read(n) for n in z.namelist() if not n.endswith("/")}
    found = {}
    for root, _, names in os.walk(installed):
        for n in names:
            p = os.path.join(root, n)
            found[os.path.relpath(p, installed).replace(os.sep, "/")] = open(p, "rb").read()
    check(sorted(found) == sorted(expected), "the installed files are the zip's (%d files)" % len(expected))
    check(all(found.get(k) == v for k, v in expected.items()), "each installed file has the zip's bytes")
    links = [p for m in menus for p in glob.glob(os.path.join(m, "*.lnk"))]
    anywhere = [os.path.relpath(p, drive_c) for p in glob.glob(os.path.join(drive_c, "**", "*.lnk"), recursive=True)]
    check(len(links) == 1 and os.path.basename(links[0]) == "Quiltra edit.lnk",
          "Start menu: Programs\\Quiltra\\Quiltra edit.lnk (links: %s)" % anywhere)
    if links:
        data = open(links[0], "rb").read()
        target = "quiltra.exe".encode("utf-16-le")
        check((target in data or b"quiltra.exe" in data) and "edit".encode("utf-16-le") in data,
              "the Start-menu entry starts quiltra.exe edit")
    check(reg_default("HKLM\\Software\\Classes\\.scene") == "Quiltra.Scene", ".scene files are Quiltra.Scene")
    command = reg_default("HKLM\\Software\\Classes\\Quiltra.Scene\\shell\\open\\command") or ""
    check(command == '"%s" edit "%%1"' % installed_exe, "opening one runs: %s" % command)
    uninstall = reg_query("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", True) or ""
    check("Quiltra" in uninstall and "UninstallString" in uninstall, "an uninstall entry names Quiltra")

    # ---- one version everywhere -------------------------------------------------------------
    version = open(os.path.join(HERE, "VERSION")).read().strip()
    rc, out, _ = wine(installed_exe, "--version")
    check(rc == 0 and out.strip() == "quiltra " + version, "quiltra --version: %s" % out.strip())
    dlt = found.get("plugins/Vorlith.dlt", b"")
    at = dlt.find(b"\xbd\x04\xef\xfe")  # the fixed version information
    fields = struct.unpack("<4H", dlt[at + 8:at + 16]) if at >= 0 else (0, 0, 0, 0)
    check("%d.%d.%d" % (fields[1], fields[0], fields[3]) == version and fields[2] == 0,
          "the plug-in's version resource says %d.%d.%d.%d" % (fields[1], fields[0], fields[3], fields[2]))
    check(re.search(r"DisplayVersion\s+REG_SZ\s+%s" % re.escape(version), uninstall) is not None,
          "the uninstall entry's version is %s" % version)

    # ---- the installed program against the build tree's ----------------------------------
    example = "C:\\Program Files\\Quiltra\\examples\\demo.json"
    outs = {}
    for name, exe, scene in (("installed", installed_exe, example),
                             ("tree", windows_path(tree_exe), windows_path(os.path.join(HERE, "examples", "demo.json")))):
        png = os.path.join(scratch, name + ".png")
        rc, _, err = wine(exe, "render", scene, "-o", windows_path(png), "--size", "96x64",
                          "--pfm", windows_path(png + ".pfm"))
        check(rc == 0, "%s quiltra.exe render exits 0 %s" % (name, err.strip()[-200:]))
        rc, out, err = wine(exe, "eval", scene, "--u", "0.3", "--v", "0.6")
        check(rc == 0 and out.startswith("color "), "%s quiltra.exe eval exits 0" % name)
        outs[name] = [open(p, "rb").read() if os.path.exists(p) else None for p in (png, png + ".pfm")] + [out]
    check(outs["installed"][0] is not None and outs["installed"] == outs["tree"],
          "installed render (PNG, PFM) and eval: the same bytes as the build tree's")

    # ---- what the Start-menu entry starts: edit on a new texture ------------------------------
    fresh = os.path.join(scratch, "new.png")
    rc, _, err = wine(installed_exe, "edit", "--shot", windows_path(fresh))
    check(rc == 0 and os.path.exists(fresh), "installed quiltra.exe edit (no scene) opens a window %s" % err.strip()[-200:])

    # ---- a saved scene opened through the association --------------------------------------
    documents = "C:\\users\\Public\\Documents\\my texture.scene"
    rc, _, err = wine(installed_exe, "save", example, documents)
    check(rc == 0, "installed quiltra.exe save writes a scene in the user's documents")
    shot = os.path.join(scratch, "opened.png")
    if command.endswith('"%1"') and command.startswith('"'):
        exe = command[1:command.index('"', 1)]
        verb = command[command.index('"', 1) + 1:-len('"%1"')].split()
        rc, _, err = wine(exe, *verb, documents, "--shot", windows_path(shot))
        ok = rc == 0 and os.path.exists(shot) and open(shot, "rb").read(8) == b"\x89PNG\r\n\x1a\n"
        check(ok, "the association's command opens it: edit --shot wrote the window (%d) %s" % (rc, err.strip()[-200:]))
        # The window shows that scene: the build tree's program draws the same picture of it.
        tree_shot = os.path.join(scratch, "tree-opened.png")
        wine(windows_path(tree_exe), "edit", documents, "--shot", windows_path(tree_shot))
        check(ok and os.path.exists(tree_shot) and open(shot, "rb").read() == open(tree_shot, "rb").read(),
              "the window opened through the association is the build tree's window of that scene")

    # ---- uninstall --------------------------------------------------------------------------
    rc, _, err = wine("msiexec", "/x", windows_path(msi), "/qn")
    check(rc == 0, "msiexec /x /qn exits 0 (%d) %s" % (rc, err.strip()[-300:]))
    check(not os.path.exists(installed), "Program Files\\Quiltra is gone")
    check(not any(os.path.exists(m) for m in menus), "the Start-menu entry and its folder are gone")
    for key in ("HKLM\\Software\\Classes\\Quiltra.Scene", "HKLM\\Software\\Quiltra"):
        check(reg_query(key) is None, "%s is gone" % key)
    check(reg_query("HKLM\\Software\\Classes\\.scene") is None, "HKLM\\Software\\Classes\\.scene is gone")
    uninstall = reg_query("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", True) or ""
    check("Quiltra" not in uninstall, "the uninstall entry is gone")
    check(os.path.exists(os.path.join(drive_c, "users", "Public", "Documents", "my texture.scene")),
          "the user's scene is kept")

    # ---- the zip, unpacked outside the tree ----------------------------------------------
    unpacked = os.path.join(scratch, "unpacked")
    with zipfile.ZipFile(package_zip) as z:
        z.extractall(unpacked)
    folder = os.path.join(unpacked, os.listdir(unpacked)[0])
    png = os.path.join(scratch, "zip.png")
    rc, _, err = wine(windows_path(os.path.join(folder, "quiltra.exe")), "render",
                      windows_path(os.path.join(folder, "examples", "demo.json")), "-o", windows_path(png),
                      "--size", "96x64", "--pfm", windows_path(png + ".pfm"))
    check(rc == 0 and [open(png, "rb").read(), open(png + ".pfm", "rb").read()] == outs["tree"][:2],
          "the zip's quiltra.exe, unpacked elsewhere, renders the build tree's bytes %s" % err.strip()[-200:])

    print("install test: %d failed, %.0f s" % (len(failures), time.time() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    if not os.environ.get("DISPLAY") and not os.environ.get("QUILTRA_IN_XVFB"):
        os.environ["QUILTRA_IN_XVFB"] = "1"
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable] + sys.argv)
    sys.exit(main(sys.argv))

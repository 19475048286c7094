#!/usr/bin/env python3
"""Fails when a file includes a header from a folder above its own.

Usage: scripts/check-layers.py BUILD_DIR

Includes are resolved the way the compiler resolves them: first beside the
including file, then through the -I directories that the build gives its
translation units (BUILD_DIR/compile_commands.json). A header takes the
include directories of the translation units in its own folder. Includes
that resolve outside the source tree (Qt, the standard library, generated
ui_*.h) are not ours to judge.
"""
import json
import os
import re
import shlex
import subprocess
import sys

# Which folder may include from which, written once, top floor first. A folder
# may use what it names and everything those use in turn; a file belongs to
# the longest folder named here that holds it. Tests, fuzz targets and
# benchmarks sit on top of everything and are not checked.
USES = {
    # the front ends
    "app": ["calibration", "tools", "devices/manual", "correction"],
    "cli": ["calibration", "tools", "devices/manual", "correction/core"],
    # feature windows and their widget-free cores
    "calibration": ["reports", "patterns/ui"],
    "correction": ["patterns/ui", "correction/core"],
    "tools": ["reports", "patterns/ui", "tools/core"],
    "tools/core": ["settings", "colorimeter"],
    # display correction without widgets: colour maths and Little CMS only
    "correction/core": ["colour"],
    "reports": ["ui", "patterns"],
    "patterns/ui": ["patterns", "ui"],
    "patterns": ["devices"],
    # the widget kit, and the one device that asks the operator in a dialog
    "devices/manual": ["ui", "devices"],
    "ui": ["devices", "settings"],
    # the device layer
    "devices": ["settings", "colorimeter"],
    # the bottom: the settings model, the protocol library, colour maths
    "settings": ["colour", "resources"],
    "colorimeter": ["colour"],
    "colour": [],
    "resources": [],
    # a program of its own beside the application
    "simulator": ["colour"],
    "packaging": [],
}
UNCHECKED = ("tests/", "fuzz/", "bench/", "build/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path):
    """The longest folder of USES that holds path, or None."""
    best = None
    for name in USES:
        if path == name or path.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def allowed_closure():
    """Everything each folder may reach; exits if the table itself has a loop."""
    reach = {}
    visiting = set()

    def visit(name, trail):
        if name in reach:
            return reach[name]
        if name in visiting:
            sys.exit("check-layers: the table has a loop: " + " -> ".join(trail + [name]))
        visiting.add(name)
        out = set()
        for below in USES[name]:
            if below not in USES:
                sys.exit("check-layers: %s uses %s, which the table does not name" % (name, below))
            out.add(below)
            out |= visit(below, trail + [name])
        visiting.discard(name)
        reach[name] = out
        return out

    for name in USES:
        visit(name, [])
    return reach


def include_dirs_by_file(root, build):
    """-I directories of every translation unit, by its path under root."""
    path = os.path.join(build, "compile_commands.json")
    try:
        with open(path, encoding="utf-8") as f:
            entries = json.load(f)
    except (OSError, ValueError) as e:
        sys.exit("check-layers: cannot read %s: %s" % (path, e))
    dirs = {}
    for entry in entries:
        args = entry.get("arguments") or shlex.split(entry["command"])
        source = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        found = []
        i = 0
        while i < len(args):
            a = args[i]
            for flag in ("-I", "-isystem", "-iquote"):
                if a == flag and i + 1 < len(args):
                    found.append(args[i + 1])
                    i += 1
                    break
                if a.startswith(flag) and len(a) > len(flag):
                    found.append(a[len(flag):])
                    break
            i += 1
        resolved = [os.path.realpath(os.path.join(entry["directory"], d)) for d in found]
        for unit in sources_of(source, root, build):
            dirs[os.path.relpath(unit, root)] = resolved
    return dirs


def sources_of(source, root, build):
    """The files of ours a translation unit compiles: itself, or, for a unity
    batch the build generated, the sources it includes by absolute path."""
    if not source.startswith(build + os.sep):
        return [source]
    units = []
    try:
        with open(source, encoding="utf-8", errors="replace") as f:
            for line in f:
                m = INCLUDE.match(line)
                if m and os.path.isabs(m.group(2)):
                    unit = os.path.realpath(m.group(2))
                    if unit.startswith(root + os.sep):
                        units.append(unit)
    except OSError:
        pass
    return units


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[2])
    root = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
    build = os.path.realpath(sys.argv[1])
    reach = allowed_closure()
    tus = include_dirs_by_file(root, build)

    listed = subprocess.run(["git", "-C", root, "ls-files", "--", "*.cpp", "*.h"],
                            capture_output=True, text=True, check=True).stdout.split()
    # A header compiles with the include path of the translation units of its folder.
    by_folder = {}
    for tu, dirs in tus.items():
        by_folder.setdefault(os.path.dirname(tu), []).append(dirs)

    faults = []
    checked = 0
    for rel in listed:
        if rel.startswith(UNCHECKED):
            continue
        home = folder_of(rel)
        if home is None:
            faults.append("%s: in a folder the layer table does not name" % rel)
            continue
        if rel in tus:
            search = tus[rel]
        else:
            seen = []
            for dirs in by_folder.get(os.path.dirname(rel), []):
                seen += [d for d in dirs if d not in seen]
            search = seen
        here = os.path.dirname(os.path.join(root, rel))
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                quote, name = m.groups()
                candidates = ([here] if quote == '"' else []) + search
                target = None
                for d in candidates:
                    p = os.path.join(d, name)
                    if os.path.isfile(p):
                        target = os.path.realpath(p)
                        break
                if target is None or not target.startswith(root + os.sep):
                    continue
                used = os.path.relpath(target, root)
                if used.startswith("build/"):
                    continue
                there = folder_of(used)
                checked += 1
                if there is None:
                    faults.append("%s:%d: includes %s, which is on no floor" % (rel, number, used))
                    continue
                if there == home or there in reach[home]:
                    continue
                faults.append("%s:%d: includes %s, but %s may not use %s (it sits above)"
                              % (rel, number, used, home, there))
    for fault in faults:
        print(fault)
    if faults:
        print("check-layers: %d include(s) run against the floors; the table is in %s"
              % (len(faults), os.path.relpath(__file__, root)))
        return 1
    print("check-layers: %d includes of our own, every one downwards" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())

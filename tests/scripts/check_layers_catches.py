#!/usr/bin/env python3
"""The layering check must fail on an upward include, however it is spelt.

Builds a small tree with the real script, bottom-floor files that reach up
to the shell (through the build's -I path, relative to the file, and from a
source the build compiles only inside a unity batch) and a legal downward
include, and runs the check on it.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-layers.py")


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def run(root):
    return subprocess.run([sys.executable, os.path.join(root, "scripts", "check-layers.py"),
                           os.path.join(root, "build")], capture_output=True, text=True)


def main():
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "scripts"))
        shutil.copy(script, os.path.join(root, "scripts"))
        write(root, "app/mainwindow.h", "#pragma once\n")
        write(root, "settings/paths.h", '#pragma once\n#include "colour/xyz.h"\n')
        write(root, "colour/xyz.h", "#pragma once\n")
        write(root, "colour/xyz.cpp", '#include "xyz.h"\n')
        # The build compiles colour/ as a unity batch: only the batch is listed.
        batch = os.path.join(root, "build", "unity_0_cxx.cxx")
        write(root, "build/unity_0_cxx.cxx", '#include "%s"\n' % os.path.join(root, "colour/xyz.cpp"))
        write(root, "build/compile_commands.json", json.dumps([
            {"directory": os.path.join(root, "build"), "file": batch,
             "command": "c++ -I%s -c %s" % (root, batch)}]))
        subprocess.run(["git", "init", "-q", root], check=True)

        def add_all():
            subprocess.run(["git", "-C", root, "add", "-A", "--", ":!build"], check=True)

        add_all()
        clean = run(root)
        if clean.returncode != 0:
            print("a tree with only downward includes was refused:\n" + clean.stdout + clean.stderr)
            return 1

        write(root, "colour/gamut.h", '#pragma once\n#include "app/mainwindow.h"\n')
        write(root, "colour/white.h", '#pragma once\n#include "../app/mainwindow.h"\n')
        write(root, "colour/xyz.cpp", '#include "xyz.h"\n#include "app/mainwindow.h"\n')
        add_all()
        bad = run(root)
        wanted = ["colour/gamut.h:2: includes app/mainwindow.h",
                  "colour/white.h:2: includes app/mainwindow.h",
                  "colour/xyz.cpp:2: includes app/mainwindow.h"]
        missing = [w for w in wanted if w not in bad.stdout]
        if bad.returncode == 0 or missing:
            print("upward includes not reported (exit %d), missing %s:\n%s%s"
                  % (bad.returncode, missing, bad.stdout, bad.stderr))
            return 1
    print("upward includes reported, downward ones passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

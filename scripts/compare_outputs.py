#!/usr/bin/env python3
"""Builds one corpus with two builds of the kit and reports every output that differs.

    scripts/compare_outputs.py OLD_BIN NEW_BIN [--keep DIR]

OLD_BIN and NEW_BIN are build bin/ directories (velkor-cli, kavrin-cli, Lib/, Default/). The
corpus: the bundled examples, every whole Pascal program held in the tests' string literals,
the benchmark programs, and the run-time library itself. For each program both builds make a
new project, build it, print its map, run it and disassemble it; every file written, every
line printed and every exit code must be the same byte for byte. Refactorings that must not
change behaviour are checked with it.
"""
import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "r": "\r", "0": "\0"}


def decode(body):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), body)


def programs_in_tests():
    """Adjacent string literals joined; those that hold a whole PROGRAM ... END. are kept."""
    found = []
    for root, _, files in os.walk(os.path.join(TOP, "tests")):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            text = open(os.path.join(root, name), encoding="utf-8", errors="replace").read()
            joined, last_end = [], None
            for m in LITERAL.finditer(text):
                between = text[last_end:m.start()] if last_end is not None else None
                if between is not None and between.strip() == "":
                    joined[-1] += decode(m.group(1))
                else:
                    joined.append(decode(m.group(1)))
                last_end = m.end()
            for s in joined:
                if s.lstrip().upper().startswith("PROGRAM") and "END." in s.upper():
                    found.append(s)
    return sorted(set(found))


def run(cmd, cwd, log):
    r = subprocess.run(cmd, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    with open(log, "ab") as f:
        f.write(b"$ " + " ".join(os.path.basename(cmd[0]) if i == 0 else a
                                 for i, a in enumerate(cmd)).encode() + b"\n")
        f.write(r.stdout + b"--stderr--\n" + r.stderr + b"--exit %d--\n" % r.returncode)
    return r.returncode


def build_program(bindir, work, name, source_files, extra_new=()):
    velkor, kavrin = os.path.join(bindir, "velkor-cli"), os.path.join(bindir, "kavrin-cli")
    log = os.path.join(work, "commands.log")
    prj = name + ".Prj"
    if not os.path.exists(os.path.join(work, prj)):
        run([velkor, "new", prj, *extra_new, *source_files], work, log)
    if run([velkor, "build", prj], work, log) == 0:
        run([velkor, "map", prj], work, log)
        image = next((f for f in os.listdir(work) if f.upper() in (name.upper() + ".ROM", name.upper() + ".COM")), None)
        if image:
            run([kavrin, "run", image, "--max-steps", "3000000", "--regs"], work, log)
            run([kavrin, "disasm", image, "--count", "300"], work, log)
    for f in sorted(os.listdir(work)):
        if f.upper().endswith(".RRO"):
            run([velkor, "dump-rro", f], work, log)


def corpus():
    """(name, files to copy or (file name, text), project name, source list)."""
    items = []
    for example in sorted(os.listdir(os.path.join(TOP, "examples"))):
        folder = os.path.join(TOP, "examples", example)
        if not os.path.isdir(folder):
            continue
        files = sorted(os.listdir(folder))
        prj = [f for f in files if f.endswith(".Prj")]
        pas = [f for f in files if f.endswith(".Pas")]
        name = (prj or pas)[0].rsplit(".", 1)[0]
        items.append(("example-" + example, [os.path.join(folder, f) for f in files], name, pas[:1]))
    for i, text in enumerate(programs_in_tests()):
        items.append(("test-program-%03d" % i, [("T.Pas", text)], "T", ["T.Pas"]))
    items.append(("bench-strbench", [os.path.join(TOP, "bench/examples/StrBench.Pas")], "StrBench", ["StrBench.Pas"]))
    return items


def make_tree(root, bindir, item, side):
    """Built under one path for both sides, since messages name full paths, then moved."""
    label, files, name, sources = item
    work = os.path.join(root, "work", label)
    os.makedirs(work)
    for f in files:
        if isinstance(f, tuple):
            with open(os.path.join(work, f[0]), "w", encoding="latin-1", newline="") as out:
                out.write(f[1])
        else:
            shutil.copy(f, work)
    build_program(bindir, work, name, sources)
    # The compile command alone too: it prints the longer summary and reports errors its own way.
    for s in sources:
        run([os.path.join(bindir, "velkor-cli"), "compile", s], work, os.path.join(work, "compile.log"))
    os.makedirs(os.path.join(root, side), exist_ok=True)
    os.rename(work, os.path.join(root, side, label))


def differences(a, b, prefix=""):
    cmp = filecmp.dircmp(a, b)
    out = [prefix + n + " (only in old)" for n in cmp.left_only] + [prefix + n + " (only in new)" for n in cmp.right_only]
    for n in cmp.common_files:
        if not filecmp.cmp(os.path.join(a, n), os.path.join(b, n), shallow=False):
            out.append(prefix + n)
    for d in cmp.common_dirs:
        out += differences(os.path.join(a, d), os.path.join(b, d), prefix + d + "/")
    return out


def main():
    args = sys.argv[1:]
    keep = None
    if "--keep" in args:
        keep = args[args.index("--keep") + 1]
        del args[args.index("--keep"):args.index("--keep") + 2]
    if len(args) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    old_bin, new_bin = map(os.path.abspath, args)
    root = keep or tempfile.mkdtemp(prefix="compare-outputs-")
    items = corpus()
    for side, given in (("old", old_bin), ("new", new_bin)):
        shutil.rmtree(os.path.join(root, side), ignore_errors=True)
        # Both builds run from one place, since the link lines name the library's path.
        bindir = os.path.join(root, "bin")
        shutil.rmtree(bindir, ignore_errors=True)
        shutil.copytree(given, bindir)
        for item in items:
            make_tree(root, bindir, item, side)
        shutil.copytree(os.path.join(bindir, "Lib"), os.path.join(root, side, "rtl-Lib"))
        shutil.copytree(os.path.join(bindir, "Default"), os.path.join(root, side, "rtl-Default"))
    diffs = differences(os.path.join(root, "old"), os.path.join(root, "new"))
    print("%d programs and the run-time library compared in %s" % (len(items), root))
    for d in diffs:
        print("differs: " + d)
    print("identical" if not diffs else "%d outputs differ" % len(diffs))
    shutil.rmtree(os.path.join(root, "work"), ignore_errors=True)
    shutil.rmtree(os.path.join(root, "bin"), ignore_errors=True)
    if not keep and not diffs:
        shutil.rmtree(root)
    return 1 if diffs else 0


if __name__ == "__main__":
    sys.exit(main())

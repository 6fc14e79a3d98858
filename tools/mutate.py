#!/usr/bin/python3
"""Mutation check: applies small faults to the code one at a time, rebuilds,
runs the tests, and counts the faults the tests catch ("killed") and those
they miss ("survived"), per file. Not part of the test command: a run takes
about a minute per mutant on two cores.

    tools/mutate.py [--mutants tools/mutants.txt] [--build build/mutate]
                    [--only TEXT] [--keep-going]

The mutants file holds one block per fault:

    @ frame/analysis/loads/fixed_end_forces.cpp
    - f[3] += m[0] * (1.0 - s);
    + f[3] += m[0] * s;
    # a member torque split onto the wrong end

The "-" line must occur exactly once in the file (leading and trailing
blanks of the lines are ignored in the comparison, and the file's own
indentation is kept); several "-"/"+" pairs make one mutant. A "#" line
says what the fault is; a "# equivalent: why" line marks a mutant that no
test can kill because the program's behaviour does not change, and it is
reported apart and left out of the score. "--only TEXT" runs the mutants
whose file or comment contains TEXT (it may be given more than once).

Each mutant is built in its own build tree's incremental build (warnings are
not errors there, so that a mutant that only adds a warning is tested); a
mutant that does not compile is reported as such and left out of the score.
The tests run are those of the mutated code's label: "frame" for frame/ and
cli/, every test (but the Windows ones) for library/. The file is always
restored, also on Ctrl-C.
"""

import argparse
import os
import subprocess
import sys
import time
from collections import OrderedDict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Mutant:
    def __init__(self, path, line_number):
        self.path = path
        self.line_number = line_number  # of the "@" line in the mutants file
        self.pairs = []
        self.comment = ""
        self.equivalent = None
        self.note = ""  # why a known survivor is left

    def describe(self):
        return f"{self.path}: {self.comment or self.pairs[0][0]}"


def read_mutants(path):
    mutants = []
    current = None
    pending_minus = None
    attached = False  # a "#" line now belongs to the current mutant
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip():
                attached = False  # a comment after a blank line is the file's own
                continue
            tag, text = line[:1], line[2:] if len(line) > 1 else ""
            if tag == "@":
                current = Mutant(text.strip(), number)
                mutants.append(current)
                pending_minus = None
                attached = True
            elif tag == "#" and not attached:
                continue  # the file's own comments: its header, its section titles
            elif current is None:
                sys.exit(f"{path}:{number}: a mutant starts with '@ FILE'")
            elif tag == "-":
                pending_minus = text
            elif tag == "+":
                if pending_minus is None:
                    sys.exit(f"{path}:{number}: '+' without the '-' line before it")
                current.pairs.append((pending_minus, text))
                pending_minus = None
            elif tag == "#":
                if text.startswith("equivalent:"):
                    current.equivalent = text[len("equivalent:"):].strip()
                elif text.startswith("survives:"):
                    current.note = text[len("survives:"):].strip()
                else:
                    current.comment = (current.comment + " " + text).strip()
            else:
                sys.exit(f"{path}:{number}: unknown line (use @, -, + or #)")
    for m in mutants:
        if not m.pairs:
            sys.exit(f"{path}:{m.line_number}: mutant without a change")
    return mutants


def mutated_text(original, mutant):
    """The file's text with the mutant applied, or a reason it cannot be."""
    lines = original.split("\n")
    for minus, plus in mutant.pairs:
        hits = [k for k, l in enumerate(lines) if l.strip() == minus.strip()]
        if len(hits) != 1:
            return None, f"'{minus.strip()}' occurs {len(hits)} times in {mutant.path}"
        k = hits[0]
        indent = lines[k][: len(lines[k]) - len(lines[k].lstrip())]
        lines[k] = indent + plus.strip()
    return "\n".join(lines), None


def run(command, log, timeout=None):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(command)}\n")
        out.flush()
        try:
            return subprocess.run(command, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return 124


def tests_for(path, build):
    if path.startswith("library/"):
        return ["ctest", "--test-dir", build, "-j", "2", "--stop-on-failure", "--timeout", "300",
                "-LE", "windows"]
    return ["ctest", "--test-dir", build, "-j", "2", "--stop-on-failure", "--timeout", "300",
            "-L", "frame"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--mutants", default=os.path.join(ROOT, "tools", "mutants.txt"))
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "mutate"))
    parser.add_argument("--only", action="append", default=[],
                        help="run the mutants whose file or comment holds this text (repeatable)")
    parser.add_argument("--keep-going", action="store_true",
                        help="go on after a mutant that cannot be applied")
    parser.add_argument("--check", action="store_true",
                        help="only check that every mutant applies, building nothing")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    log = build + ".log"
    mutants = [m for m in read_mutants(args.mutants)
               if not args.only or any(t in m.path or t in m.comment for t in args.only)]
    print(f"mutate: {len(mutants)} mutants; build {build}; log {log}", flush=True)
    if args.check:
        problems = 0
        for m in mutants:
            with open(os.path.join(ROOT, m.path), encoding="utf-8") as f:
                _, problem = mutated_text(f.read(), m)
            if problem:
                problems += 1
                print(f"{args.mutants}:{m.line_number}: {problem}")
        files = sorted({m.path for m in mutants})
        print(f"mutate: {len(mutants) - problems} of {len(mutants)} apply, in {len(files)} files")
        return 1 if problems else 0

    os.makedirs(build, exist_ok=True)
    open(log, "w").close()
    started = time.time()
    if run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
            "-DZERVOLA_WARNINGS_AS_ERRORS=OFF", "-DZERVOLA_BUILD_BENCH=OFF",
            "-DZERVOLA_BUILD_EXAMPLES=OFF"], log) != 0 or \
            run(["cmake", "--build", build, "-j", "2"], log) != 0:
        sys.exit(f"mutate: the unmutated tree does not build (see {log})")
    if run(["ctest", "--test-dir", build, "-j", "2", "-LE", "windows"], log) != 0:
        sys.exit(f"mutate: the tests fail without any mutant (see {log})")
    print(f"mutate: the unmutated tree builds and passes ({time.time() - started:.0f} s)",
          flush=True)

    per_file = OrderedDict()
    survivors, equivalents, broken = [], [], []
    for index, m in enumerate(mutants, 1):
        path = os.path.join(ROOT, m.path)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        text, problem = mutated_text(original, m)
        if problem:
            print(f"[{index}/{len(mutants)}] cannot apply: {problem}", flush=True)
            if not args.keep_going:
                sys.exit(1)
            continue
        counts = per_file.setdefault(m.path, {"killed": 0, "survived": 0, "equivalent": 0})
        t0 = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            if run(["cmake", "--build", build, "-j", "2"], log) != 0:
                outcome = "does not compile"
            elif run(tests_for(m.path, build), log) != 0:
                outcome = "killed"
            else:
                outcome = "survived"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        if outcome == "does not compile":
            broken.append(m)
        elif m.equivalent is not None:
            counts["equivalent"] += 1
            equivalents.append((m, outcome))
        else:
            counts[outcome] += 1
            if outcome == "survived":
                survivors.append(m)
        print(f"[{index}/{len(mutants)}] {outcome:16} {time.time() - t0:5.0f} s  {m.describe()}",
              flush=True)
    # Leave the build tree as the unmutated code builds it.
    run(["cmake", "--build", build, "-j", "2"], log)

    print("\nper file: killed / survived (equivalent, left out)")
    totals = {"frame": [0, 0], "library": [0, 0]}
    for path, c in per_file.items():
        print(f"  {path:58} {c['killed']:3} / {c['survived']:3}"
              + (f"  ({c['equivalent']})" if c["equivalent"] else ""))
        part = "library" if path.startswith("library/") else "frame"
        totals[part][0] += c["killed"]
        totals[part][1] += c["survived"]
    for part, (killed, survived) in totals.items():
        if killed + survived:
            print(f"{part}: {killed} of {killed + survived} killed "
                  f"({100.0 * killed / (killed + survived):.1f} %)")
    for m in survivors:
        print(f"survived: {m.describe()} ({args.mutants}:{m.line_number})"
              + (f"\n    left because: {m.note}" if m.note else ""))
    for m, outcome in equivalents:
        print(f"equivalent ({outcome}): {m.describe()}: {m.equivalent}")
    for m in broken:
        print(f"does not compile: {m.describe()} ({args.mutants}:{m.line_number})")
    print(f"mutate: {time.time() - started:.0f} s in all")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())

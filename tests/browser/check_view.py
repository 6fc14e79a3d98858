#!/usr/bin/python3
"""Opens the 3D views that `zervola-frame --html` writes in headless Chromium
and checks what they draw. Standard library only; needs Debian's chromium
and a zervola built with three.js (libjs-three) (tests/browser/README.md).

    tests/browser/check_view.py --program BUILD/cli/zervola-frame
                                [--chromium chromium] [--keep DIR]

For each example model it runs zervola-frame --html, then checks by the
attributes the page writes into <body>: no script error and no console
message, every member drawn, another diagram for another load set (or
mode), a member's panel opened by its name and by a click where it is seen,
and a screenshot that is not blank. Exits 0 when every check passes, 1 when
one fails, 77 (skipped) when Chromium or three.js is missing."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from urllib.parse import quote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_colours  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Software WebGL: ANGLE on SwiftShader. Without --enable-unsafe-swiftshader
# Chromium falls back to it anyway but says so on the console (which the
# checks forbid); --use-gl=swiftshader gets no WebGL context at all. The
# sandbox refuses to run as root, and a container often lacks what it needs.
FLAGS = ["--headless", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
         "--enable-logging=stderr", "--v=0", "--window-size=1200,800", "--hide-scrollbars"]
SECONDS = 120  # one Chromium run, on a loaded machine
SKIPPED = 77  # CTest's SKIP_RETURN_CODE

# model, then the hashes to open (member=NAME opens its panel, click=NAME
# clicks where the member is seen), each with whether to take a screenshot
# of it. Every hash is one Chromium run; the runs go side by side.
CASES = [
    ("office_frame.json", [("set=gravity&q=My&member=C1-0-0", True),
                           ("set=wind%20x&q=My&click=BX2-0-0a", False),
                           ("set=gravity&q=My&spin=8&light=1", False)]),
    ("office_frame_modes.json", [("mode=1&q=My&click=D3", True)]),
]


class Checks:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
            print("ok      " + what)
        else:
            self.failed += 1
            print("FAILED  " + what)


def body_attributes(dom):
    m = re.search(r"<body([^>]*)>", dom)
    return dict(re.findall(r'data-([a-z-]+)="([^"]*)"', m.group(1))) if m else {}


def console_lines(stderr):
    return [line for line in stderr.splitlines() if ":CONSOLE" in line]


def open_page(args, page, fragment, png):
    """Chromium on page#fragment: the <body> attributes, the console lines,
    the seconds it took; with png, a screenshot there too. Each run has a
    profile of its own, so that runs side by side do not share one."""
    profile = tempfile.mkdtemp(prefix="profile-", dir=os.path.dirname(page))
    extra = ["--virtual-time-budget=3000", "--dump-dom", "--user-data-dir=" + profile]
    if png:
        extra.append("--screenshot=" + png)
    cmd = [args.chromium] + FLAGS + extra + ["file://" + quote(page) + "#" + fragment]
    t0 = time.time()
    try:
        p = subprocess.run(cmd, capture_output=True, text=True, timeout=SECONDS)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    return body_attributes(p.stdout), console_lines(p.stderr), time.time() - t0


def write_view(args, model, page):
    """Runs zervola-frame --html; exits SKIPPED when the build has no three.js."""
    t0 = time.time()
    p = subprocess.run([args.program, os.path.join(ROOT, "examples", model), "-q", "--html", page,
                        "--json", page + ".json"], capture_output=True, text=True)
    if p.returncode == 4 and "libjs-three" in p.stderr:
        print("check_view: skipped: zervola was built without three.js: " + p.stderr.strip())
        sys.exit(SKIPPED)
    if p.returncode != 0:
        sys.exit("check_view: zervola-frame --html failed (%d): %s" % (p.returncode, p.stderr))
    return time.time() - t0


def view_members(page):
    """The number of members the analysis gave: its JSON results, written
    beside the page by the same run (not the page's own data, which a
    writer that dropped members would agree with)."""
    with open(page + ".json", encoding="utf-8") as f:
        return len(json.load(f)["members"])


def check_run(checks, stem, member_count, fragment, png, result):
    attrs, console, seconds = result
    name = "%s #%s" % (stem, fragment)
    checks.check(attrs.get("ready") == "1", "%s: drawn (%.1f s, page %s ms)"
                 % (name, seconds, attrs.get("load-ms")))
    checks.check(attrs.get("errors") == "0" and not console,
                 "%s: no error, no console message %s" % (name, console[:3]))
    checks.check(attrs.get("members") == str(member_count),
                 "%s: %s member segments drawn of %d" % (name, attrs.get("members"), member_count))
    want = re.search(r"(?:member|click)=([^&]*)", fragment)
    if want:
        checks.check(attrs.get("member") == want.group(1),
                     "%s: panel of member %s (%s)" % (name, want.group(1), attrs.get("member")))
    spin = re.search(r"spin=(\d+)", fragment)
    if spin:
        checks.check(attrs.get("spun") == spin.group(1),
                     "%s: turned once round in %s frames" % (name, attrs.get("spun")))
    if png:
        counts, pixels = png_colours.colour_counts(png) if os.path.exists(png) else ({}, 1)
        background = counts.most_common(1)[0][1] if counts else pixels
        checks.check(len(counts) > 1 and pixels - background > pixels // 200,
                     "%s: screenshot has %d colours, %d of %d pixels off the background"
                     % (name, len(counts), pixels - background, pixels))
    return attrs.get("diagram-checksum")


def run_cases(args, checks, work):
    pages = {}
    for model, _ in CASES:
        stem = os.path.splitext(model)[0]
        page = os.path.join(work, stem + ".html")
        seconds = write_view(args, model, page)
        pages[model] = (stem, page, view_members(page))
        print("%s: %d members, view %.2f MB written in %.2f s"
              % (model, pages[model][2], os.path.getsize(page) / 1e6, seconds))
        checks.check(pages[model][2] > 0, "%s: the page's data names its members" % stem)
    runs = [(model, fragment, os.path.join(work, "%s-%d.png" % (pages[model][0], k)) if shot else None)
            for model, fragments in CASES for k, (fragment, shot) in enumerate(fragments)]
    with ThreadPoolExecutor(max_workers=len(runs)) as pool:
        results = list(pool.map(lambda r: open_page(args, pages[r[0]][1], r[1], r[2]), runs))
    sums = {}
    for (model, fragment, png), result in zip(runs, results):
        stem, _, member_count = pages[model]
        sums.setdefault(model, []).append(
            (fragment, check_run(checks, stem, member_count, fragment, png, result)))
    for model, found in sums.items():
        for (a, sum_a), (b, sum_b) in zip(found, found[1:]):
            if "mode=" not in a and "mode=" not in b:
                checks.check(sum_a != sum_b, "%s: #%s and #%s draw different diagrams (%s, %s)"
                             % (pages[model][0], a, b, sum_a, sum_b))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--program", required=True, help="zervola-frame")
    ap.add_argument("--chromium", default="chromium")
    ap.add_argument("--keep", help="write the views and screenshots here and keep them")
    args = ap.parse_args()
    if not shutil.which(args.program):
        sys.exit("check_view: %s not found" % args.program)
    if not shutil.which(args.chromium):
        print("check_view: skipped: %s not found (Debian's chromium: apt-get install chromium)"
              % args.chromium)
        sys.exit(SKIPPED)
    work = args.keep or tempfile.mkdtemp(prefix="zervola-view-")
    os.makedirs(work, exist_ok=True)
    checks = Checks()
    t0 = time.time()
    try:
        run_cases(args, checks, work)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed in %.0f s" % (checks.passed, checks.failed, time.time() - t0))
    sys.exit(1 if checks.failed else 0)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Opens 3D views written by tools/make-view.py in headless Chromium and
checks what they draw. Standard library only; needs Debian's chromium and
libjs-three (tests/browser/README.md).

    tests/browser/check_view.py [--program build/dev/cli/zervola-frame]
                                [--chromium chromium] [--keep DIR]

For each example model it runs zervola-frame (--json), writes the view, and
checks by the attributes the page writes into <body>: no script error and
no console message, every member drawn, another diagram for another load set
(or envelope, or mode), a click on a member that opens its panel, and a
screenshot that is not blank."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from urllib.parse import quote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_colours  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Software WebGL: ANGLE on SwiftShader. Without --enable-unsafe-swiftshader
# Chromium falls back to it anyway but says so on the console (which the
# checks forbid); --use-gl=swiftshader gets no WebGL context at all.
FLAGS = ["--headless", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--enable-logging=stderr", "--v=0", "--window-size=1200,800", "--hide-scrollbars"]
SECONDS = 120

# model, the hashes to open (member=NAME opens its panel, click=NAME clicks
# where the member is seen), the hash of the screenshot
CASES = [
    ("office_frame.json", ["set=gravity&q=My", "set=wind%20x&q=My", "set=gravity&q=Vz&member=C1-0-0",
                           "set=gravity&q=N&click=BX2-0-0a", "set=gravity&q=T&click=D3"],
     "set=gravity&q=My"),
    ("loaded_portal.json", ["set=dead&q=Mz", "set=ULS1&q=Mz", "set=ULS&q=Mz&member=B1", "set=live&q=N",
                            "set=live&q=Vy&click=C2"],
     "set=ULS&q=Mz"),
    ("office_frame_modes.json", ["set=gravity&q=My", "mode=1&q=My&member=D1", "mode=2&q=My"], "mode=1"),
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


def chromium(args, url, extra):
    cmd = [args.chromium] + FLAGS + extra + [url]
    if os.geteuid() == 0:
        cmd.insert(1, "--no-sandbox")  # Chromium's sandbox refuses to run as root
    t0 = time.time()
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=SECONDS)
    return p, time.time() - t0


def body_attributes(dom):
    m = re.search(r"<body([^>]*)>", dom)
    return dict(re.findall(r'data-([a-z-]+)="([^"]*)"', m.group(1))) if m else {}


def console_lines(stderr):
    return [line for line in stderr.splitlines() if ":CONSOLE" in line]


def load(args, page, fragment):
    url = "file://" + quote(page) + "#" + fragment
    p, seconds = chromium(args, url, ["--dump-dom"])
    return body_attributes(p.stdout), console_lines(p.stderr), seconds


def model_case(args, checks, work, model, hashes, shot_hash):
    stem = os.path.splitext(model)[0]
    results = os.path.join(work, stem + ".json")
    page = os.path.join(work, stem + ".html")
    subprocess.run([args.program, os.path.join(ROOT, "examples", model), "-q", "--no-timings",
                    "--json", results], check=True)
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make-view.py"), results, "-o", page],
                   check=True)
    with open(results, encoding="utf-8") as f:
        member_count = len(json.load(f)["members"])
    print("%s: %d members, view %.2f MB" % (model, member_count, os.path.getsize(page) / 1e6))

    sums = {}
    for h in hashes:
        attrs, console, seconds = load(args, page, h)
        name = "%s #%s" % (stem, h)
        checks.check(attrs.get("ready") == "1", "%s: drawn (%.1f s, page %s ms)"
                     % (name, seconds, attrs.get("load-ms")))
        checks.check(attrs.get("errors") == "0" and not console,
                     "%s: no error, no console message %s" % (name, console[:3]))
        checks.check(attrs.get("members") == str(member_count),
                     "%s: %s member segments drawn of %d" % (name, attrs.get("members"), member_count))
        want = re.search(r"(?:member|click)=([^&]*)", h)
        if want:
            checks.check(attrs.get("member") == want.group(1),
                         "%s: panel of member %s (%s)" % (name, want.group(1), attrs.get("member")))
        sums[h] = attrs.get("diagram-checksum")
    for a, b in zip(hashes, hashes[1:]):
        if "mode=" in a and "mode=" in b:
            continue  # a mode has no diagram
        checks.check(sums[a] != sums[b], "%s: #%s and #%s draw different diagrams (%s, %s)"
                     % (stem, a, b, sums[a], sums[b]))

    png = os.path.join(work, stem + ".png")
    p, _ = chromium(args, "file://" + quote(page) + "#" + shot_hash,
                    ["--virtual-time-budget=3000", "--screenshot=" + png])
    counts, pixels = png_colours.colour_counts(png) if os.path.exists(png) else ({}, 1)
    background = counts.most_common(1)[0][1] if counts else pixels
    checks.check(len(counts) > 1 and pixels - background > pixels // 200,
                 "%s: screenshot has %d colours, %d of %d pixels off the background"
                 % (stem, len(counts), pixels - background, pixels))
    return png


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--program", default=os.path.join(ROOT, "build", "dev", "cli", "zervola-frame"))
    ap.add_argument("--chromium", default="chromium")
    ap.add_argument("--keep", help="write the results, views and screenshots here and keep them")
    args = ap.parse_args()
    for tool in (args.program, args.chromium):
        if not shutil.which(tool):
            sys.exit("check_view: %s not found (tests/browser/README.md)" % tool)
    work = args.keep or tempfile.mkdtemp(prefix="zervola-view-")
    os.makedirs(work, exist_ok=True)
    checks = Checks()
    try:
        for model, hashes, shot in CASES:
            model_case(args, checks, work, model, hashes, shot)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    sys.exit(1 if checks.failed else 0)


if __name__ == "__main__":
    main()

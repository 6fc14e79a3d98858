#!/usr/bin/python3
"""Times the 3D view (zervola-frame --html) of the n x n x n storey-grid
building in headless Chromium and prints the figures (it decides nothing):
the page's size, the time to write it, the time to the first frame drawn,
and the time to draw one frame while the view turns.

    bench/browser/view_bench.py --program BUILD/cli/zervola-frame [--size 20]
                                [--frames 120] [--keep DIR]

The page is opened three times: a blank page (Chromium's own start), the
view (start, reading, first frame), and the view turned once round in
--frames frames, each drawn to the end (#spin=N); the differences of their
wall times are the view's; a fourth turns it with the members alone, as
the page draws a drag whose frames are slow. Headless Chromium draws with
SwiftShader, WebGL on the processor (the page then drops smoothed edges): a
graphics card draws many times faster, so these figures are what a machine
without one sees."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "browser"))
from check_view import FLAGS  # noqa: E402


def processor():
    with open("/proc/cpuinfo", encoding="utf-8") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return "unknown processor"


def building(n):
    """As bench/python/building.py builds it: nodes 4 m apart, storeys of
    3.5 m, HEB 300 columns, IPE 400 beams, fixed at the base, a lateral and
    a vertical load at every node."""
    members, supports, loads = [], [], []
    for k in range(n):
        z = k * 3.5
        for j in range(n):
            for i in range(n):
                x, y = i * 4.0, j * 4.0
                if k + 1 < n:
                    members.append({"name": f"C{i}_{j}_{k}", "from": [x, y, z],
                                    "to": [x, y, z + 3.5], "section": "column"})
                if k == 0:
                    supports.append({"at": [x, y, z], "type": "fixed"})
                if i + 1 < n:
                    members.append({"name": f"X{i}_{j}_{k}", "from": [x, y, z],
                                    "to": [x + 4.0, y, z], "section": "beam"})
                if j + 1 < n:
                    members.append({"name": f"Y{i}_{j}_{k}", "from": [x, y, z],
                                    "to": [x, y + 4.0, z], "section": "beam"})
                loads.append({"at": [x, y, z], "force": [1.0, 0.0, -10.0]})
    return {"title": f"{n} x {n} x {n} building", "units": {"force": "kN", "length": "m"},
            "frame": "space", "material": "S355",
            "sections": [{"name": "column", "profile": "HEB 300"},
                         {"name": "beam", "profile": "IPE 400"}],
            "members": members, "supports": supports,
            "load_cases": [{"name": "wind", "loads": loads}]}


def chromium_seconds(chromium, url, work):
    profile = tempfile.mkdtemp(prefix="profile-", dir=work)
    cmd = [chromium] + FLAGS + ["--dump-dom", "--virtual-time-budget=1000",
                                "--user-data-dir=" + profile, url]
    t0 = time.time()
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=1800)
    seconds = time.time() - t0
    shutil.rmtree(profile, ignore_errors=True)
    return seconds, p.stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--program", required=True)
    ap.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    ap.add_argument("--size", type=int, default=20)
    ap.add_argument("--frames", type=int, default=120)
    ap.add_argument("--keep")
    args = ap.parse_args()
    work = args.keep or tempfile.mkdtemp(prefix="zervola-view-bench-")
    os.makedirs(work, exist_ok=True)
    model = os.path.join(work, "building.json")
    page = os.path.join(work, "building.html")
    with open(model, "w", encoding="utf-8") as f:
        json.dump(building(args.size), f)
    t0 = time.time()
    subprocess.run([args.program, model, "-q", "--html", page], check=True)
    written = time.time() - t0
    blank = os.path.join(work, "blank.html")
    with open(blank, "w", encoding="utf-8") as f:
        f.write("<!doctype html><title>blank</title><body></body>")
    start, _ = chromium_seconds(args.chromium, "file://" + blank, work)
    opened, dom = chromium_seconds(args.chromium, "file://" + page, work)
    turned, dom_turned = chromium_seconds(args.chromium, f"file://{page}#spin={args.frames}", work)
    light, _ = chromium_seconds(args.chromium, f"file://{page}#spin={args.frames}&light=1", work)
    renderer = re.search(r'data-renderer="([^"]*)"', dom)
    members = sum(1 for _ in building(args.size)["members"])
    ok = 'data-ready="1"' in dom and f'data-spun="{args.frames}"' in dom_turned
    print(f"3D view of the {args.size} x {args.size} x {args.size} building, "
          f"{members} members, on {processor()}, Chromium drawing with "
          f"{renderer.group(1) if renderer else 'an unknown renderer'}")
    print(f"  page: {os.path.getsize(page) / 1e6:.1f} MB, written (analysis included) in "
          f"{written:.1f} s")
    print(f"  Chromium's own start (a blank page): {start:.1f} s")
    print(f"  to the first frame drawn:            {opened - start:.1f} s beyond it")
    print(f"  turning: {args.frames} frames in {turned - opened:.1f} s, "
          f"{1000 * (turned - opened) / args.frames:.0f} ms a frame"
          + ("" if ok else "  (the page did not report drawing: check the figures)"))
    print(f"  turning while dragged, members alone (as a drag draws a frame that takes over "
          f"80 ms): {1000 * (light - opened) / args.frames:.0f} ms a frame")
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

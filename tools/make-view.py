#!/usr/bin/python3
"""Writes a self-contained 3D view of zervola-frame results: one HTML file
that opens from file:// with no network, holding the viewer's page, its
scripts and style, three.js and the results as window.ZERVOLA_VIEW.

    tools/make-view.py RESULTS.json [-o VIEW.html] [--model MODEL.json]
                       [--three three.min.js] [--three-licence copyright]
                       [--data DATA.js]

RESULTS.json is what `zervola-frame MODEL --json RESULTS.json` wrote; the
model (default: the "model" path it names) gives supports and loads. The
data format is frame/output/viewer/README.md: the C++ writer (--html) will
produce the same file. Standard library only."""

import argparse
import json
import math
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import view_data  # noqa: E402
import view_model  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
VIEWER_DIR = os.path.join(ROOT, "frame", "output", "viewer")
THREE = "/usr/share/javascript/three/three.min.js"
THREE_LICENCE = "/usr/share/doc/libjs-three/copyright"
DATA_MARK = "/*ZERVOLA_VIEW*/"
LICENCE_MARK = "<!--THREE_LICENCE-->"


def number(v, digits):
    if v is None or (isinstance(v, float) and not math.isfinite(v)):
        return "null"
    if isinstance(v, int) and not isinstance(v, bool):
        return str(v)
    if v == 0:
        return "0"
    s = "%.*g" % (digits, v)
    if "e" in s:
        mantissa, exp = s.split("e")
        s = mantissa + "e" + str(int(exp))
    return s


def text(s):
    # A "<" in a name could end the <script> element the data sits in
    # ("</script") or open an HTML comment there ("<!--").
    return json.dumps(s, ensure_ascii=False).replace("<", "\\u003c")


def dump(obj):
    """Compact JSON with each flat array's numbers at its own precision."""
    if isinstance(obj, view_data.Quantized):
        return '{"unit":%s,"q":[%s]}' % (number(obj.unit, 9), ",".join(map(str, obj.q)))
    if isinstance(obj, view_data.Numbers):
        return "[" + ",".join(number(v, obj.digits) for v in obj) + "]"
    if isinstance(obj, dict):
        return "{" + ",".join(text(k) + ":" + dump(v) for k, v in obj.items()) + "}"
    if isinstance(obj, (list, tuple)):
        return "[" + ",".join(dump(v) for v in obj) + "]"
    if isinstance(obj, str):
        return text(obj)
    if isinstance(obj, bool):
        return "true" if obj else "false"
    return number(obj, 9)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def script(body):
    if re.search(r"</script", body, re.I):
        raise ValueError("a script to inline contains </script")
    return "<script>\n" + body + "\n</script>"


def inline(template, viewer_dir, three_path, licence_path, data_json):
    """Replaces each <script src> and stylesheet <link> of the page by the
    file's text, the data mark by the data and the licence mark by the
    three.js licence."""

    def scripts(m):
        src = m.group(1)
        path = three_path if src == "three.min.js" else os.path.join(viewer_dir, src)
        return script(read(path))

    def styles(m):
        return "<style>\n" + read(os.path.join(viewer_dir, m.group(1))) + "\n</style>"

    page = re.sub(r'<script src="([^"]+)"></script>', lambda m: scripts(m), template)
    page = re.sub(r'<link rel="stylesheet" href="([^"]+)">', lambda m: styles(m), page)
    licence = read(licence_path).replace("--", "- -")  # "--" may not stand in a comment
    page = page.replace(LICENCE_MARK, "<!-- three.js, from Debian's libjs-three (%s):\n%s-->"
                        % (os.path.basename(three_path), licence))
    if page.count(DATA_MARK) != 1:
        raise ValueError("the page must hold the data mark %s once" % DATA_MARK)
    return page.replace(DATA_MARK, data_json)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("results", help="the results JSON (zervola-frame --json)")
    ap.add_argument("-o", "--output", help="the HTML file (default: RESULTS with .html)")
    ap.add_argument("--model", help="the model file (default: the results' \"model\")")
    ap.add_argument("--three", default=THREE, help="three.js, not a module (default %(default)s)")
    ap.add_argument("--three-licence", default=THREE_LICENCE,
                    help="its licence text, copied into a comment (default %(default)s)")
    ap.add_argument("--viewer", default=VIEWER_DIR, help="the viewer's folder (default %(default)s)")
    ap.add_argument("--data", help="also write the data alone (JSON) to this file")
    args = ap.parse_args()

    t0 = time.time()
    with open(args.results, encoding="utf-8") as f:
        results = json.load(f)
    model_path = args.model or results.get("model")
    model = None
    if model_path:
        if not os.path.isabs(model_path) and not os.path.exists(model_path):
            model_path = os.path.join(os.path.dirname(args.results), model_path)
        try:
            model = view_model.read_model(model_path)
        except (OSError, ValueError) as e:
            print("make-view: model %s not read (%s): no supports or loads drawn" % (model_path, e),
                  file=sys.stderr)
    data = view_data.build(results, model)
    data_json = dump(data)
    if args.data:
        with open(args.data, "w", encoding="utf-8") as f:
            f.write(data_json + "\n")
    page = inline(read(os.path.join(args.viewer, "viewer.html")), args.viewer, args.three,
                  args.three_licence, data_json)
    out = args.output or os.path.splitext(args.results)[0] + ".html"
    with open(out, "w", encoding="utf-8") as f:
        f.write(page)
    print("make-view: %s: %d members, %d load sets, %d modes, %.1f MB in %.1f s"
          % (out, len(data["members"]["names"]), len(data["sets"]), len(data["modes"]),
             len(page.encode("utf-8")) / 1e6, time.time() - t0), file=sys.stderr)


if __name__ == "__main__":
    main()

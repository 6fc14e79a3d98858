#!/usr/bin/python3
"""Reads back the DXF drawings that `zervola-frame --dxf` writes with
ezdxf, an independent DXF reader, and checks them against the JSON results
of the same run; renders one to PNG with ezdxf's drawing add-on.

    tests/cad/check_dxf.py --program BUILD/cli/zervola-frame [--keep DIR]

Checks: the header's units, a layer per chosen load set and kind of
result, the frame's lines on the nodes, one name per member, the diagram
texts equal to the JSON extremes (five significant digits), the reaction
texts equal to the JSON reactions, a drawing limited to --dxf-set's set,
and a rendered PNG that is not blank. Then the round trip through CAD: a
portal drawn with ezdxf in millimetres (AutoCAD 2000 and R12 drawings),
with a hinge drawn as a layer suffix and member loads naming members by
handle, analysed, equals the same frame typed in metres; its results drawn
into it keep every entity of the drawing and pass ezdxf's audit. Exits 0 when every check passes, 1
when one fails, 77 (skipped) when ezdxf or matplotlib is missing."""

import argparse
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "browser"))
from check_view import Checks  # noqa: E402  (one tally of checks for both)
SKIPPED = 77  # CTest's SKIP_RETURN_CODE
KINDS = ["DEFORMED", "MOMENT", "SHEAR", "AXIAL", "REACTIONS"]
DIAGRAM_QUANTITIES = {"MOMENT": ["Mz", "My"], "SHEAR": ["Vy", "Vz"], "AXIAL": ["N"]}
REACTION_NAMES = ["Rx", "Ry", "Rz", "Mx", "My", "Mz"]
INSUNITS = {"mm": 4, "cm": 5, "m": 6, "in": 1, "ft": 2}
# A node read back from the drawing is the node of the results to this
# share of the frame's size (coordinates are written to 17 digits).
PLACE_TOLERANCE = 1e-12

try:
    import ezdxf
    from ezdxf.addons.drawing import matplotlib as dxf_matplotlib
except ImportError as missing:  # pragma: no cover - depends on the machine
    print(f"skipped: {missing}; install Debian's python3-ezdxf and python3-matplotlib")
    sys.exit(SKIPPED)


def run(program, model, out_dir, stem, *extra):
    dxf = os.path.join(out_dir, stem + ".dxf")
    results = os.path.join(out_dir, stem + ".json")
    subprocess.run([program, os.path.join(ROOT, "examples", model), "--quiet", "--dxf", dxf,
                    "--json", results, *extra], check=True)
    with open(results, encoding="utf-8") as f:
        return ezdxf.readfile(dxf), json.load(f), dxf


PREFIX = "RESULTS_"  # the results' layers


def layer_name(text):
    """The results' layer of a load set, as an R12 drawing names it."""
    return PREFIX + (re.sub(r"[^A-Za-z0-9$_-]", "_", text) or "_")


def texts_on(msp, layer):
    return [e.dxf.text for e in msp.query(f'TEXT[layer=="{layer}"]')]


def set_results(results):
    """The load sets drawn: every load case, then every combination."""
    return list(results["load_cases"]) + list(results.get("combinations", []))


def expected_diagram_texts(load_set, kind, plane):
    quantities = DIAGRAM_QUANTITIES[kind][:1 if plane else 2]
    expected = []
    for member in load_set["member_diagrams"]:
        for q in quantities:
            x = member["extremes"][q]
            if x["max"] == 0.0 and x["min"] == 0.0:
                continue
            expected.append(f"{q} {x['max']:.5g}")
            if x["min"] != x["max"]:
                expected.append(f"{q} {x['min']:.5g}")
    return collections.Counter(expected)


def expected_reaction_texts(load_set):
    expected = []
    for r in load_set["reactions"]:
        parts = [f"{REACTION_NAMES[d]} {v:.5g}" for d, v in enumerate(r["r"]) if v != 0.0]
        if parts:
            expected.append(f"node {r['node']}: " + "  ".join(parts))
    return collections.Counter(expected)


def check_drawing(checks, doc, results, what, chosen=None):
    msp = doc.modelspace()
    units = results["units"]["length"]
    checks.check(doc.header.get("$INSUNITS") == INSUNITS[units],
                 f"{what}: $INSUNITS {doc.header.get('$INSUNITS')} for {units}")
    sets = [s for s in set_results(results) if chosen is None or s["name"] == chosen]
    layers = {layer.dxf.name for layer in doc.layers}
    wanted = {PREFIX + "FRAME", PREFIX + "MEMBER_NAMES", PREFIX + "LEGEND"}
    wanted |= {f"{layer_name(s['name'])}-{k}" for s in sets for k in KINDS}
    checks.check(wanted <= layers, f"{what}: a layer per chosen set and kind of result "
                 f"(missing {sorted(wanted - layers)})")
    drawn_sets = {name.rsplit("-", 1)[0] for name in layers if name.endswith("-DEFORMED")}
    checks.check(drawn_sets == {layer_name(s["name"]) for s in sets},
                 f"{what}: only the chosen sets drawn ({sorted(drawn_sets)})")

    nodes = {n["node"]: (n["x"], n["y"], n["z"]) for n in results["nodes"]}
    size = max(max(c[i] for c in nodes.values()) - min(c[i] for c in nodes.values())
               for i in range(3))
    lines = list(msp.query(f'LINE[layer=="{PREFIX}FRAME"]'))
    ends_ok = len(lines) == len(results["members"])
    for line, member in zip(lines, results["members"]):
        for point, node in ((line.dxf.start, member["start_node"]),
                            (line.dxf.end, member["end_node"])):
            ends_ok &= all(abs(point[i] - nodes[node][i]) <= PLACE_TOLERANCE * size
                           for i in range(3))
    checks.check(ends_ok, f"{what}: {len(lines)} frame lines, one per member, on its nodes")
    checks.check(collections.Counter(texts_on(msp, PREFIX + "MEMBER_NAMES")) ==
                 collections.Counter(m["name"] for m in results["members"]),
                 f"{what}: one name per member")

    plane = results["frame"] == "plane"
    for s in sets:
        base = layer_name(s["name"])
        deformed = list(msp.query(f'POLYLINE[layer=="{base}-DEFORMED"]'))
        checks.check(len(deformed) == len(results["members"]),
                     f"{what}, {s['name']}: a deformed polyline per member")
        for kind in DIAGRAM_QUANTITIES:
            got = collections.Counter(texts_on(msp, f"{base}-{kind}"))
            expected = expected_diagram_texts(s, kind, plane)
            checks.check(got == expected and sum(got.values()) > 0,
                         f"{what}, {s['name']}: {sum(got.values())} {kind} texts equal the "
                         f"JSON extremes" + ("" if got == expected else
                                             f" (differ: {(got - expected) + (expected - got)})"))
        got = collections.Counter(texts_on(msp, f"{base}-REACTIONS"))
        expected = expected_reaction_texts(s)
        checks.check(got == expected and len(got) > 0,
                     f"{what}, {s['name']}: the reaction texts equal the JSON reactions")


def check_rendering(checks, doc, png):
    dxf_matplotlib.qsave(doc.modelspace(), png, bg="#FFFFFF", dpi=80)
    import matplotlib.image
    image = matplotlib.image.imread(png)
    height, width = image.shape[:2]
    drawn = sum(1 for row in image for pixel in row if min(pixel[:3]) < 0.9)
    share = drawn / (width * height)
    checks.check(0.005 < share < 0.8,
                 f"rendered with ezdxf's drawing add-on: {width} x {height}, "
                 f"{100 * share:.1f} % of the pixels drawn")


PORTAL = {
    "units": {"force": "kN", "length": "m"}, "frame": "plane", "material": "S355",
    "sections": [{"name": "HEB200", "profile": "HEB 200"}, {"name": "IPE300", "profile": "IPE 300"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [6, 0, 0], "type": "pinned"}],
}


def portal_loads(beam, column):
    return [{"name": "G", "loads": [{"at": [0, 3.5, 0], "force": [12, 0, 0]}],
             "member_loads": [{"member": beam, "type": "distributed", "value": [0, -20, 0]},
                              {"member": column, "type": "force", "position": 1.5,
                               "value": [5, 0, 0]}]}]


def draw_portal(path, version, beam_layer):
    """The portal in millimetres: the left column and the beam as LINEs,
    the right column as a polyline, the beam hinged at its end by its layer."""
    doc = ezdxf.new(version)
    doc.header["$INSUNITS"] = 4
    doc.layers.add("HEB200")
    doc.layers.add(beam_layer)
    doc.layers.add("NOTES")
    msp = doc.modelspace()
    left = msp.add_line((0, 0), (0, 3500), dxfattribs={"layer": "HEB200"})
    beam = msp.add_line((0, 3500), (6000, 3500), dxfattribs={"layer": beam_layer})
    if version == "R12":
        right = msp.add_polyline2d([(6000, 3500), (6000, 0)], dxfattribs={"layer": "HEB200"})
    else:
        right = msp.add_lwpolyline([(6000, 3500), (6000, 0)], dxfattribs={"layer": "HEB200"})
    msp.add_circle((3000, 5000), 250, dxfattribs={"layer": "NOTES"})
    doc.saveas(path)
    return "H" + beam.dxf.handle, "H" + right.dxf.handle + ".1", left


def numbers_of(results):
    """The results an engineer reads, as one flat list of numbers."""
    values = []
    for case in results["load_cases"]:
        for d in case["displacements"]:
            values += d["u"]
        for r in case["reactions"]:
            values += r["r"]
        for m in case["member_diagrams"]:
            for q in ("N", "Vy", "Mz"):
                values += [m["extremes"][q]["max"], m["extremes"][q]["min"]]
    return values


def check_round_trip(checks, program, out_dir, version):
    what = f"CAD round trip ({version}, mm drawing, m model)"
    drawing = os.path.join(out_dir, f"portal_{version}.dxf")
    # The release's word in any case: CAD programs may change a layer's.
    beam_layer = "IPE300@hinge_end" if version != "R12" else "IPE300@HINGE_END"
    beam, column, _ = draw_portal(drawing, version, beam_layer)
    drawn = dict(PORTAL, dxf=os.path.basename(drawing), load_cases=portal_loads(beam, column))
    if version == "R12":  # which has no $INSUNITS: the model says the unit
        drawn["dxf_units"] = "mm"
    typed = dict(PORTAL, load_cases=portal_loads("B", "C2"), members=[
        {"name": "C1", "from": [0, 0, 0], "to": [0, 3.5, 0], "section": "HEB200"},
        {"name": "B", "from": [0, 3.5, 0], "to": [6, 3.5, 0], "section": "IPE300",
         "release": "hinge_end"},
        {"name": "C2", "from": [6, 3.5, 0], "to": [6, 0, 0], "section": "HEB200"}])
    results = {}
    for name, model in (("drawn", drawn), ("typed", typed)):
        path = os.path.join(out_dir, f"{name}_{version}.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(model, f)
        out = os.path.join(out_dir, f"{name}_{version}_results")
        subprocess.run([program, path, "--quiet", "--json", out + ".json", "--dxf", out + ".dxf"],
                       check=True)
        with open(out + ".json", encoding="utf-8") as f:
            results[name] = json.load(f)
    a, b = numbers_of(results["drawn"]), numbers_of(results["typed"])
    largest = max(abs(v) for v in b)
    checks.check(len(a) == len(b) and largest > 1 and
                 all(abs(x - y) <= 1e-9 * largest for x, y in zip(a, b)),
                 f"{what}: {len(b)} results equal the typed frame's")

    original = ezdxf.readfile(drawing)
    extended = ezdxf.readfile(os.path.join(out_dir, f"drawn_{version}_results.dxf"))
    auditor = extended.audit()
    checks.check(not auditor.has_errors,
                 f"{what}: the drawing with results passes ezdxf's audit "
                 f"({len(auditor.errors)} errors)")
    kept = {(e.dxftype(), e.dxf.layer, e.dxf.get("handle")) for e in original.modelspace()}
    now = {(e.dxftype(), e.dxf.layer, e.dxf.get("handle")) for e in extended.modelspace()}
    checks.check(kept <= now, f"{what}: the drawing's {len(kept)} entities are kept")
    layers = {layer.dxf.name for layer in extended.layers}
    checks.check({"HEB200", beam_layer, "NOTES", PREFIX + "G-MOMENT", PREFIX + "G-DEFORMED"}
                 <= layers,
                 f"{what}: the drawing's layers and the results' layers")
    checks.check(extended.header.get("$INSUNITS") == 4, f"{what}: $INSUNITS says millimetres")
    frame = [e for e in extended.modelspace().query(f'LINE[layer=="{PREFIX}FRAME"]')]
    ends = sorted(tuple(round(c, 6) for c in (e.dxf.start[0], e.dxf.start[1], e.dxf.end[0],
                                                e.dxf.end[1])) for e in frame)
    checks.check(ends == sorted([(0, 0, 0, 3500), (0, 3500, 6000, 3500), (6000, 3500, 6000, 0)]),
                 f"{what}: the results drawn in the drawing's millimetres")
    if version != "R12":
        # The handles as written (ezdxf makes records of its own on loading).
        with open(os.path.join(out_dir, f"drawn_{version}_results.dxf"), encoding="utf-8") as f:
            lines = [line.strip() for line in f]
        pairs = list(zip(lines[0::2], lines[1::2]))
        seed_at = next(k + 1 for k, (c, v) in enumerate(pairs) if c == "9" and v == "$HANDSEED")
        seed = int(pairs[seed_at][1], 16)
        handles = [int(v, 16) for k, (c, v) in enumerate(pairs)
                   if c in ("5", "105") and k != seed_at]
        checks.check(len(handles) == len(set(handles)) and seed > max(handles),
                     f"{what}: {len(handles)} handles, all distinct, $HANDSEED above them")
    texts = collections.Counter(texts_on(extended.modelspace(), PREFIX + "G-MOMENT"))
    expected = expected_diagram_texts(results["drawn"]["load_cases"][0], "MOMENT", True)
    checks.check(texts == expected, f"{what}: the moment texts equal the JSON extremes")
    heights = {round(e.dxf.height, 9) for e in extended.modelspace().query("TEXT")
               if e.dxf.layer.startswith(PREFIX)}
    checks.check(heights == {TEXT_SHARE * 6000.0},
                 f"{what}: text {sorted(heights)} high, 1.2 % of the 6000 mm frame")
    check_scales(checks, extended, what)

    # The drawing with its results, saved as the engineer's drawing and
    # analysed again: the same results, the old results replaced.
    shutil.copy(os.path.join(out_dir, f"drawn_{version}_results.dxf"), drawing)
    again = os.path.join(out_dir, f"again_{version}")
    subprocess.run([program, os.path.join(out_dir, f"drawn_{version}.json"),
                    "--quiet", "--json", again + ".json", "--dxf", again + ".dxf"], check=True)
    with open(again + ".json", encoding="utf-8") as f:
        c = numbers_of(json.load(f))
    checks.check(c == numbers_of(results["drawn"]),
                 f"{what}: the drawing with its results analyses as the drawing did")
    second = ezdxf.readfile(again + ".dxf")
    checks.check(sorted(layer.dxf.name for layer in second.layers) ==
                 sorted(layer.dxf.name for layer in extended.layers) and
                 len(second.modelspace()) == len(extended.modelspace()) and
                 not second.audit().has_errors,
                 f"{what}: drawn into again, its results replaced, not doubled")


TEXT_SHARE = 0.012  # text height per frame size


def point_to_segment(p, a, b):
    ab = [b[i] - a[i] for i in range(3)]
    ap = [p[i] - a[i] for i in range(3)]
    length2 = sum(c * c for c in ab)
    t = max(0.0, min(1.0, sum(ap[i] * ab[i] for i in range(3)) / length2)) if length2 else 0.0
    return sum((ap[i] - t * ab[i]) ** 2 for i in range(3)) ** 0.5


def check_scales(checks, doc, what):
    """Each diagram drawn at the scale its legend states: the farthest
    vertex from its member (the line between the polyline's first and last
    vertices, which lie on it) over the largest value written."""
    msp = doc.modelspace()
    legend = texts_on(msp, PREFIX + "LEGEND")
    for layer in sorted({e.dxf.layer for e in msp.query("POLYLINE")}):
        kind = layer.rsplit("-", 1)[-1]
        if not layer.startswith(PREFIX) or kind not in DIAGRAM_QUANTITIES:
            continue
        farthest = 0.0
        for p in msp.query(f'POLYLINE[layer=="{layer}"]'):
            points = [tuple(v.dxf.location) for v in p.vertices]
            farthest = max(farthest, max(point_to_segment(q, points[0], points[-1])
                                         for q in points))
        largest = max(abs(float(t.split()[1])) for t in texts_on(msp, layer))
        line = next((t for t in legend if t.startswith(f"Layers {layer.rsplit('-', 1)[0]}-*:")), "")
        stated = re.search(rf"; {kind}: ([0-9.e+-]+) ", line)
        per_length = float(stated.group(1)) if stated else float("nan")
        # Drawing length per unit of the quantity; a millimetre drawing of a
        # model in metres draws 1000 times the model's length.
        drawn = farthest / largest
        unit = 1000.0 if doc.header.get("$INSUNITS") == 4 else 1.0
        # Texts hold five digits, and an extreme between two stations lies a
        # little beyond the polyline's vertices: a thousandth, where a scale
        # stated wrong is off by a factor.
        checks.check(abs(drawn * per_length / unit - 1.0) < 1e-3,
                     f"{what}: {layer} drawn at the stated {per_length:g} per length "
                     f"({drawn * per_length / unit:.9f} of it)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--keep", help="keep the drawings and the PNG in this directory")
    args = parser.parse_args()
    out_dir = args.keep or tempfile.mkdtemp(prefix="zervola-dxf-")
    os.makedirs(out_dir, exist_ok=True)
    checks = Checks()
    try:
        doc, results, _ = run(args.program, "loaded_portal.json", out_dir, "loaded_portal")
        check_drawing(checks, doc, results, "loaded portal")
        check_scales(checks, doc, "loaded portal")
        check_rendering(checks, doc, os.path.join(out_dir, "loaded_portal.png"))
        doc, results, _ = run(args.program, "office_frame.json", out_dir, "office_frame")
        check_drawing(checks, doc, results, "office frame")
        chosen = set_results(results)[1]["name"]
        doc, results, _ = run(args.program, "office_frame.json", out_dir, "office_one_set",
                              "--dxf-set", chosen)
        check_drawing(checks, doc, results, f"office frame, --dxf-set {chosen}", chosen)
        for version in ("R2000", "R12"):
            check_round_trip(checks, args.program, out_dir, version)
    finally:
        if not args.keep:
            shutil.rmtree(out_dir, ignore_errors=True)
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())

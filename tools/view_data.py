"""Builds the ZERVOLA_VIEW data (frame/output/viewer/README.md) from the
results JSON that zervola-frame writes and its model. Standard library only."""

import os

import view_model

FORCES = ("N", "Vy", "Vz", "T", "My", "Mz")
EXTREMES = FORCES + ("u", "v", "w")
# Station values are stored as whole numbers of a unit: the largest magnitude
# of an array becomes QUANT, which keeps a diagram's shape to 1e-4 of its
# height in about half the characters of decimal numbers.
QUANT = 9999
# A station's place along its member, in 1/XI_STEPS of the length.
XI_STEPS = 10000


class Quantized:
    """An array written as {"unit": u, "q": [integers]}: value = unit * q."""

    def __init__(self, values):
        top = max((abs(v) for v in values), default=0.0)
        self.unit = top / QUANT if top > 0 else 1.0
        self.q = [round(v / self.unit) for v in values]


class Numbers(list):
    """A flat array of numbers written with `digits` significant digits."""

    def __init__(self, values, digits=6):
        super().__init__(values)
        self.digits = digits


def _index_nodes(results):
    number = {n["node"]: k for k, n in enumerate(results["nodes"])}
    xyz = []
    for n in results["nodes"]:
        xyz += [n["x"], n["y"], n["z"]]
    return number, xyz


def _members(results, number, section_index):
    names, ends, axes, release, section = [], [], [], [], []
    for m in results["members"]:
        names.append(m["name"])
        ends += [number[m["start_node"]], number[m["end_node"]]]
        la = m["local_axes"]
        axes += la["x"] + la["y"] + la["z"]
        release.append(view_model.RELEASE_CODES.get(m.get("release", "none"), 0))
        section.append(section_index.get(m.get("section"), -1))
    return {"names": names, "nodes": ends, "axes": axes, "release": release, "section": section}


def _stations(results, members, lengths):
    """Station places per member, taken from the first load set with values
    along the members; every set of one run uses the same ones (ten equal
    divisions and every load point of every case). Without stations
    (--no-stations, or only modes) the two ends stand for them."""
    first = None
    for s in results.get("load_cases", []) + results.get("combinations", []):
        if s.get("member_diagrams") and "x" in s["member_diagrams"][0]:
            first = s
            break
    start, xi = [0], []
    for i in range(len(members["names"])):
        xs = first["member_diagrams"][i]["x"] if first else [0.0, lengths[i]]
        xi += [round(x / lengths[i] * XI_STEPS) for x in xs]
        start.append(len(xi))
    return start, xi


def _station_values(s, members, axes, number, results, count):
    """N, Vy, Vz, T, My, Mz and the deflection in global axes at every station.
    Without stations: the end forces and the node displacements at the ends."""
    values = {q: [] for q in FORCES}
    defl = []
    disp = {d["node"]: d["u"] for d in s.get("displacements", [])}
    starts = [m["start_node"] for m in results["members"]]
    stops = [m["end_node"] for m in results["members"]]
    for i, md in enumerate(s["member_diagrams"]):
        if md["member"] != members["names"][i]:
            raise ValueError("set %s: member_diagrams out of member order at %s" % (s["name"], md["member"]))
        e = axes[9 * i:9 * i + 9]
        if "x" in md:
            n = len(md["x"])
            if n != count[i]:
                raise ValueError("set %s, member %s: %d stations where the first set has %d"
                                 % (s["name"], md["member"], n, count[i]))
            for q in FORCES:
                values[q] += md[q]
            for u, v, w in zip(md["u"], md["v"], md["w"]):
                defl += [u * e[c] + v * e[3 + c] + w * e[6 + c] for c in range(3)]
        else:
            f = s["end_forces"][i]["f"]
            for k, q in enumerate(FORCES):
                values[q] += [f[k], f[6 + k]]
            for node in (starts[i], stops[i]):
                defl += disp.get(node, [0.0] * 6)[:3]
    return values, defl


def _extremes(s):
    out = {}
    for q in EXTREMES:
        arr = []
        for md in s["member_diagrams"]:
            e = md["extremes"][q]
            arr += [e["max"], e["x_max"], e["min"], e["x_min"]]
        out[q] = Numbers(arr, 5)
    return out


def _analysed_set(s, kind, ctx):
    values, defl = _station_values(s, ctx["members"], ctx["members"]["axes"], ctx["number"],
                                   ctx["results"], ctx["count"])
    out = {"name": s["name"], "kind": kind}
    out["deflection"] = Quantized(defl)
    for q in FORCES:
        out[q] = Quantized(values[q])
    ef = []
    for e in s["end_forces"]:
        ef += e["f"]
    out["endForces"] = Numbers(ef, 5)
    out["extremes"] = _extremes(s)
    st = []
    for e in s["stresses"]:
        st += [e["max"], e["x_max"], e["min"], e["x_min"], e["end_max"], e["end_min"]]
    out["stress"] = Numbers(st, 5)
    # A second-order set carries the loads of the set it was made from.
    loads = ctx["loads"].get(s["name"], ctx["loads"].get(s["name"].removesuffix(" second order")))
    out["loads"] = {k: Numbers(v, 5) for k, v in (loads.as_dict() if loads else
                                                  view_model.Loads().as_dict()).items()}
    ctx["raw"][s["name"]] = values
    return out


def _envelope(env, ctx, set_index):
    of = [set_index[n] for n in env["combinations"] if n in set_index]
    out = {"name": env["name"], "kind": "envelope", "of": of}
    raws = [ctx["raw"][n] for n in env["combinations"] if n in ctx["raw"]]
    for bound, pick in (("max", max), ("min", min)):
        out[bound] = {q: Quantized([pick(vals) for vals in zip(*(r[q] for r in raws))])
                      for q in FORCES}
    ef = {"max": [], "min": [], "maxBy": [], "minBy": []}
    for e in env["end_forces"]:
        ef["max"] += e["max"]
        ef["min"] += e["min"]
        ef["maxBy"] += [set_index[n] for n in e["max_by"]]
        ef["minBy"] += [set_index[n] for n in e["min_by"]]
    out["endForces"] = {k: Numbers(v, 5) for k, v in ef.items()}
    ext, by = {}, {}
    for q in EXTREMES:
        a, b = [], []
        for me in env["member_extremes"]:
            e = me[q]
            a += [e["max"], e["x_max"], e["min"], e["x_min"]]
            b += [set_index[e["max_by"]], set_index[e["min_by"]]]
        ext[q], by[q] = Numbers(a, 5), b
    out["extremes"], out["extremesBy"] = ext, by
    st, sb = [], []
    for e in env["end_forces"]:
        st += [e["stress_max"]["max"], e["stress_max"]["x"], e["stress_min"]["min"], e["stress_min"]["x"]]
        sb += [set_index[e["stress_max"]["by"]], set_index[e["stress_min"]["by"]]]
    out["stress"], out["stressBy"] = Numbers(st, 5), sb
    return out


def _shape(shape):
    flat = []
    for node in shape:
        flat += node if isinstance(node, list) else [node[d] for d in ("ux", "uy", "uz", "rx", "ry", "rz")]
    return Numbers(flat, 5)


def _modes(results):
    out = []
    for m in results.get("modes", []):
        out.append({"kind": "natural", "number": m["number"], "period": m.get("period"),
                    "frequency": m.get("frequency"), "scale": m["drawing_scale"],
                    "shape": _shape(m["shape"])})
    for b in results.get("buckling", []):
        for m in b["modes"]:
            out.append({"kind": "buckling", "number": m["mode"], "set": b["set"],
                        "factor": m["factor"], "scale": m["drawing_scale"],
                        "shape": _shape(m["shape"])})
    return out


def build(results, model):
    number, xyz = _index_nodes(results)
    sections = results.get("sections", [])
    section_index = {s["name"]: k for k, s in enumerate(sections)}
    members = _members(results, number, section_index)
    geo = view_model.MemberGeometry(members, xyz, results)
    lengths = [geo.length(i) for i in range(len(members["names"]))]
    start, xi = _stations(results, members, lengths)
    members["stationStart"] = start
    members["stationXi"] = xi
    finder = view_model.NodeFinder(xyz)
    units = dict(results.get("units", {}))
    units["stress"] = results.get("stress_unit", "")
    loads = view_model.set_loads(model, geo, finder, sections, members["section"], units) if model else {}
    ctx = {"members": members, "number": number, "results": results, "loads": loads, "raw": {},
           "count": [start[i + 1] - start[i] for i in range(len(lengths))]}
    sets = []
    for kind, key in (("case", "load_cases"), ("combination", "combinations")):
        for s in results.get(key, []):
            if s.get("member_diagrams"):
                sets.append(_analysed_set(s, kind, ctx))
    set_index = {s["name"]: k for k, s in enumerate(sets)}
    for env in results.get("envelopes", []):
        if all(n in set_index for n in env["combinations"]):
            sets.append(_envelope(env, ctx, set_index))
    members["axes"] = Numbers(members["axes"], 7)
    return {
        "format": "zervola-view",
        "version": 1,
        "title": results.get("title", os.path.basename(results.get("model", ""))),
        "frame": results.get("frame", "space"),
        "units": units,
        "signConvention": results.get("sign_convention", ""),
        "nodes": {"xyz": Numbers(xyz, 9)},
        "sections": {"names": [s["name"] for s in sections]},
        "members": members,
        "supports": view_model.supports(model, finder) if model else
        {"names": [], "node": [], "restrain": []},
        "sets": sets,
        "modes": _modes(results),
    }

"""What the 3D view needs from the model file that the results JSON does not
repeat: the supports' restrained directions and the loads of each load case,
placed on the analysed members and nodes. Standard library only."""

import json
import math

# Bits of a support's restraint mask, in the order of a node's six directions.
DIRECTION_BITS = {"ux": 1, "uy": 2, "uz": 4, "rx": 8, "ry": 16, "rz": 32}
RELEASE_CODES = {"none": 0, "hinge_start": 1, "hinge_end": 2, "pinned": 3}
# Points closer than this in every coordinate are one node (docs/model-format.md).
NODE_TOLERANCE = 1e-4
METRES_PER_LENGTH = {"mm": 0.001, "cm": 0.01, "m": 1.0, "in": 0.0254, "ft": 0.3048}


def strip_comments(text):
    """The model allows // and /* */ comments; json does not. Strings are kept
    as they are, so a "//" inside a name survives."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_model(path):
    with open(path, encoding="utf-8") as f:
        return json.loads(strip_comments(f.read()))


class NodeFinder:
    """Finds the node at a point as the program does: within NODE_TOLERANCE in
    every coordinate. A grid of that cell size keeps the search local."""

    def __init__(self, xyz):
        self.xyz = xyz
        self.cells = {}
        for k in range(len(xyz) // 3):
            self.cells.setdefault(self._cell(xyz[3 * k:3 * k + 3]), []).append(k)

    @staticmethod
    def _cell(p):
        return tuple(math.floor(c / NODE_TOLERANCE) for c in p)

    def find(self, p):
        cx, cy, cz = self._cell(p)
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for dz in (-1, 0, 1):
                    for k in self.cells.get((cx + dx, cy + dy, cz + dz), ()):
                        q = self.xyz[3 * k:3 * k + 3]
                        if all(abs(a - b) <= NODE_TOLERANCE for a, b in zip(p, q)):
                            return k
        return None


def support_mask(support):
    kind = support.get("type", "fixed")
    if kind == "fixed":
        return 63
    if kind == "pinned":
        return 7
    if kind == "roller":
        return DIRECTION_BITS["u" + support.get("direction", "z")]
    mask = 0
    for d in support.get("restrain", []):
        mask |= DIRECTION_BITS.get(d, 0)
    return mask


def supports(model, finder):
    names, nodes, masks = [], [], []
    for i, s in enumerate(model.get("supports", [])):
        k = finder.find(s["at"])
        if k is None:
            continue
        names.append(s.get("name", "S%d" % (i + 1)))
        nodes.append(k)
        masks.append(support_mask(s))
    return {"names": names, "node": nodes, "restrain": masks}


class MemberGeometry:
    """The analysed members (pieces, when crossings were connected) and, for a
    name as the model draws it, the pieces it was cut into."""

    def __init__(self, view_members, xyz, results):
        self.names = view_members["names"]
        self.ends = view_members["nodes"]
        self.axes = view_members["axes"]
        self.index = {name: i for i, name in enumerate(self.names)}
        self.xyz = xyz
        self.drawn = {}
        for d in results.get("drawn_members", []):
            self.drawn[d["name"]] = (d["length"], [(self.index[p["member"]], p["start"])
                                                   for p in d["pieces"]])

    def length(self, i):
        a, b = self.ends[2 * i], self.ends[2 * i + 1]
        return math.dist(self.xyz[3 * a:3 * a + 3], self.xyz[3 * b:3 * b + 3])

    def point(self, i, x):
        a = self.ends[2 * i]
        return [self.xyz[3 * a + c] + x * self.axes[9 * i + c] for c in range(3)]

    def to_global(self, i, v):
        e = self.axes[9 * i:9 * i + 9]
        return [v[0] * e[c] + v[1] * e[3 + c] + v[2] * e[6 + c] for c in range(3)]

    def pieces(self, name):
        """(length as drawn, [(member index, start along the drawn member)])."""
        if name in self.drawn:
            return self.drawn[name]
        i = self.index[name]
        return self.length(i), [(i, 0.0)]


class Loads:
    """One load set's loads as the view draws them, in global axes:
    forces and moments at points, distributed forces along members."""

    def __init__(self):
        self.forces, self.moments, self.distributed = [], [], []

    def add_scaled(self, other, factor):
        self.forces += [v * (factor if j % 6 >= 3 else 1) for j, v in enumerate(other.forces)]
        self.moments += [v * (factor if j % 6 >= 3 else 1) for j, v in enumerate(other.moments)]
        self.distributed += [v * (factor if j % 9 >= 3 else 1)
                             for j, v in enumerate(other.distributed)]

    def as_dict(self):
        return {"forces": self.forces, "moments": self.moments, "distributed": self.distributed}


def _member_load_vector(geo, i, value, axes):
    if axes == "local":
        return geo.to_global(i, value)
    if axes == "global_projected":
        # Per unit length of the projection: each component scaled by the sine
        # of the member's angle with that global axis.
        e = geo.axes[9 * i:9 * i + 3]
        return [value[c] * math.sqrt(max(0.0, 1.0 - e[c] * e[c])) for c in range(3)]
    return list(value)


def _add_distributed(loads, geo, name, ml):
    length, pieces = geo.pieces(name)
    scale = length if ml.get("relative") else 1.0
    a = ml.get("start", 0.0) * scale
    b = ml.get("end", length / scale) * scale
    q1 = ml.get("start_value", ml.get("value"))
    q2 = ml.get("end_value", ml.get("value"))
    for k, (i, s) in enumerate(pieces):
        e = pieces[k + 1][1] if k + 1 < len(pieces) else length
        lo, hi = max(a, s), min(b, e)
        if hi <= lo:
            continue

        def at(x):
            t = 0.0 if b == a else (x - a) / (b - a)
            return [q1[c] + t * (q2[c] - q1[c]) for c in range(3)]

        v1 = _member_load_vector(geo, i, at(lo), ml.get("axes", "global"))
        v2 = _member_load_vector(geo, i, at(hi), ml.get("axes", "global"))
        loads.distributed += [i, lo - s, hi - s] + v1 + v2


def _add_concentrated(loads, geo, name, ml):
    length, pieces = geo.pieces(name)
    x = ml.get("position", 0.0) * (length if ml.get("relative") else 1.0)
    # A load at a cut acts on the piece that begins there.
    i, s = pieces[0]
    for p, start in pieces:
        if start <= x + 1e-12:
            i, s = p, start
    v = ml["value"] if ml.get("axes", "global") == "global" else geo.to_global(i, ml["value"])
    target = loads.forces if ml["type"] == "force" else loads.moments
    target += geo.point(i, x - s) + list(v)


def _gravity(model, case, units):
    if "gravity" in case:
        return case["gravity"]
    if not case.get("self_weight"):
        return None
    g = model.get("gravity")
    if g is None:
        g = 9.81 / METRES_PER_LENGTH.get(units.get("length", "m"), 1.0)
    return [0, -g, 0] if model.get("frame") == "plane" else [0, 0, -g]


def case_loads(model, case, geo, finder, sections, member_sections, units):
    loads = Loads()
    for ld in case.get("loads", []):
        if finder.find(ld["at"]) is None:
            continue
        if "force" in ld:
            loads.forces += list(ld["at"]) + list(ld["force"])
        if "moment" in ld:
            loads.moments += list(ld["at"]) + list(ld["moment"])
    for ml in case.get("member_loads", []):
        if ml["member"] not in geo.index and ml["member"] not in geo.drawn:
            continue
        if ml["type"] == "distributed":
            _add_distributed(loads, geo, ml["member"], ml)
        elif ml["type"] in ("force", "moment"):
            _add_concentrated(loads, geo, ml["member"], ml)
    g = _gravity(model, case, units)
    if g is not None:
        for i in range(len(geo.names)):
            sec = sections[member_sections[i]]
            w = sec.get("density", 0.0) * sec.get("A", 0.0)
            if w:
                loads.distributed += [i, 0.0, geo.length(i)] + [w * c for c in g] * 2
    return loads


def set_loads(model, geo, finder, sections, member_sections, units):
    """Loads by load set name: the cases', and each combination's as the sum
    of its cases' scaled by their factors."""
    out = {}
    for case in model.get("load_cases", []):
        out[case["name"]] = case_loads(model, case, geo, finder, sections, member_sections, units)
    for combo in model.get("combinations", []):
        total = Loads()
        for name, factor in combo.get("factors", {}).items():
            if name in out:
                total.add_scaled(out[name], factor)
        out[combo["name"]] = total
    return out

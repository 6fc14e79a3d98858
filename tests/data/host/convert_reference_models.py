#!/usr/bin/env python3
"""Rewrites the reference models (library arrays and node records) in the
zervola-frame model format, and copies their expected results beside them.

Usage: convert_reference_models.py SOURCE_DIR [TARGET_DIR]

For every SOURCE_DIR/<name>.json it writes TARGET_DIR/<name>.model.json (the
model: members drawn between node coordinates, supports, springs and loads
placed by coordinates) and TARGET_DIR/<name>.expected.json (the expected
values, copied unchanged, keyed by coordinates and member names). Nothing is
computed here except the translation of records into supports, springs and
loads; the expected values are never recomputed.
"""
import json
import math
import os
import sys

DOFS = ["ux", "uy", "uz", "rx", "ry", "rz"]
RELEASES = {0: "none", 1: "hinge_start", 2: "hinge_end", 3: "pinned"}


def units_of(text):
    force, length = [t.strip() for t in text.split("(")[0].split(",")]
    return {"force": force, "length": length}


def convert(src):
    d = json.load(open(src))
    nodes = {n["id"]: [n["x"], n["y"], n["z"]] for n in d["nodes"]}
    per_node = len(DOFS)

    def node_dof(eq):  # 1-based equation -> (node, dof index)
        return (eq - 1) // per_node + 1, (eq - 1) % per_node

    model = {
        "title": d["name"] + ": " + d["description"],
        "units": units_of(d["units"]),
        "frame": "space" if d["space_frame"] != 0 else "plane",
        "sections": [],
        "members": [],
        "supports": [],
        "springs": [],
        "load_cases": [{"name": "reference", "loads": []}],
    }
    for s in d["sections"]:
        model["sections"].append({"name": "S%d" % s["id"], "E": s["E"], "G": s["G"], "A": s["A"],
                                  "It": s["It"], "Iy": s["Iy"], "Iz": s["Iz"],
                                  "extent_z": s["extent_z"], "extent_y": s["extent_y"],
                                  "thermal_coefficient": s["thermal_coefficient"]})
    for e in d["elements"]:
        m = {"name": "E%d" % e["id"], "from": nodes[e["n1"]], "to": nodes[e["n2"]],
             "section": "S%d" % e["section"], "release": RELEASES[e["end_code"]]}
        if e["orientation_point"] is not None:
            m["orientation_point"] = e["orientation_point"]
        model["members"].append(m)

    restrained = {}  # node -> {dof: value}
    for r in d["node_records"]:
        code, first, p = r["code"], r["R"], r["p"]
        if code in (113, 114, 116):
            count = 6 if code == 116 else 3
            for k in range(count):
                n, dof = node_dof(first + k)
                restrained.setdefault(n, {})[dof] = p[k]
        if code in (114, 213, 246):
            n, dof = node_dof(first)
            assert dof == 0, r
            spring = {"name": "K%d" % (len(model["springs"]) + 1), "at": nodes[n]}
            t, rot = p[0:3], p[3:6]
            if any(v != 0.0 for v in t):
                spring["translational"] = {"stiffness": sum(v * v for v in t), "direction": t}
            if any(v != 0.0 for v in rot):
                spring["rotational"] = {"stiffness": sum(v * v for v in rot), "axis": rot}
            if len(spring) > 2:
                model["springs"].append(spring)
        if code == 214:
            n, dof = node_dof(first)
            assert dof in (0, 3), r
            load = {"at": nodes[n], ("force" if dof == 0 else "moment"): p[0:3]}
            model["load_cases"][0]["loads"].append(load)
    for n in sorted(restrained):
        values = restrained[n]
        dofs = sorted(values)
        support = {"name": "N%d" % n, "at": nodes[n]}
        if dofs == [0, 1, 2, 3, 4, 5]:
            support["type"] = "fixed"
        elif dofs == [0, 1, 2]:
            support["type"] = "pinned"
        else:
            support["type"] = "custom"
            support["restrain"] = [DOFS[k] for k in dofs]
        moved = {DOFS[k]: v for k, v in sorted(values.items()) if v != 0.0}
        if moved:
            support["displacement"] = moved
        model["supports"].append(support)
    if not model["springs"]:
        del model["springs"]

    x = d["expected"]
    expected = {
        "source": "copied from the reference model " + os.path.basename(src),
        "tolerance": d["tolerance"]["absolute"],
        "displacements": [{"at": nodes[v["node"]], "u": v["u"]} for v in x["displacements"]],
        "reactions": [{"at": nodes[v["node"]], "r": v["r"]} for v in x["reactions"]],
    }
    if x.get("end_forces"):
        expected["end_forces"] = [{"member": "E%d" % v["element"], "f": v["f"]}
                                  for v in x["end_forces"]]
    if x.get("axial_forces"):
        expected["axial_forces"] = [{"member": "E%d" % v["element"], "N": v["N"]}
                                    for v in x["axial_forces"]]
    if x.get("derived_section_stresses"):
        expected["stresses_times_1e-6"] = [
            {"member": "E%d" % v["element"], "max": v["stress_max"], "min": v["stress_min"]}
            for v in x["derived_section_stresses"]["values"]]
    return model, expected


def main():
    source = sys.argv[1]
    target = sys.argv[2] if len(sys.argv) > 2 else os.path.dirname(os.path.abspath(__file__))
    for name in sorted(os.listdir(source)):
        if not name.endswith(".json"):
            continue
        model, expected = convert(os.path.join(source, name))
        stem = name[:-5]
        with open(os.path.join(target, stem + ".model.json"), "w") as f:
            json.dump(model, f, indent=1)
            f.write("\n")
        with open(os.path.join(target, stem + ".expected.json"), "w") as f:
            json.dump(expected, f, indent=1)
            f.write("\n")


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""The outputs of one run of zervola-frame say the same thing: every CSV
table equals the JSON document value for value (both print doubles exactly),
every table of the report (displacements, reactions, member end forces,
stresses, natural modes) equals it to the report's six significant digits, and the drawing
is well-formed and draws every member of every load set it names. Checked on every kept output set (tests/data/frame-outputs, which
the output_snapshot tests hold equal to what the program writes).

    outputs_agree.py OUTPUTS_DIR
"""

import csv
import io
import json
import math
import os
import re
import sys
from xml.etree import ElementTree

DOFS = ["ux", "uy", "uz", "rx", "ry", "rz"]
REACTIONS = ["Fx", "Fy", "Fz", "Mx", "My", "Mz"]
END_FORCES = ["N", "Vy", "Vz", "T", "My", "Mz"]
QUANTITIES = ["N", "Vy", "Vz", "T", "My", "Mz", "u", "v", "w"]
# The report prints six significant digits: a printed value is within half a
# unit of its sixth digit of the exact one.
REPORT_DIGITS = 6


class Faults:
    def __init__(self, run):
        self.run = run
        self.list = []
        self.checked = 0

    def equal(self, where, got, expected):
        self.checked += 1
        if got != expected:
            self.list.append(f"{self.run}: {where}: {got!r} where the JSON has {expected!r}")

    def near(self, where, printed, expected):
        self.checked += 1
        largest = max(abs(printed), abs(expected))
        half_unit = 0.0 if largest == 0.0 else \
            0.5 * 10.0 ** (math.floor(math.log10(largest)) - (REPORT_DIGITS - 1))
        if abs(printed - expected) > half_unit * (1.0 + 1.0e-9):
            self.list.append(f"{self.run}: {where}: the report prints {printed!r} where the JSON "
                             f"has {expected!r}")


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


def load_sets(results):
    return results["load_cases"] + results.get("combinations", [])


def check_csv(out_dir, results, faults):
    tables = os.path.join(out_dir, "csv")
    sets = {s["name"]: s for s in load_sets(results)}

    header, rows = read_csv(os.path.join(tables, "nodes.csv"))
    faults.equal("nodes.csv header", header, ["node", "x", "y", "z"])
    faults.equal("nodes.csv rows", len(rows), len(results["nodes"]))
    for row, node in zip(rows, results["nodes"]):
        faults.equal(f"nodes.csv node {row[0]}",
                     [int(row[0])] + [float(v) for v in row[1:]],
                     [node["node"], node["x"], node["y"], node["z"]])

    header, rows = read_csv(os.path.join(tables, "members.csv"))
    faults.equal("members.csv rows", len(rows), len(results["members"]))
    for row, m in zip(rows, results["members"]):
        faults.equal(f"members.csv {row[0]}",
                     [row[0], row[1], int(row[2]), int(row[3]), float(row[4]), row[5]],
                     [m["name"], m["section"], m["start_node"], m["end_node"], m["length"],
                      m["release"]])

    header, rows = read_csv(os.path.join(tables, "displacements.csv"))
    faults.equal("displacements.csv header", header, ["load_case", "node"] + DOFS)
    expected = [(s["name"], d["node"], d["u"]) for s in load_sets(results)
                for d in s["displacements"]]
    faults.equal("displacements.csv rows", len(rows), len(expected))
    for row, (name, node, u) in zip(rows, expected):
        faults.equal(f"displacements.csv {name} node {node}",
                     (row[0], int(row[1]), [float(v) for v in row[2:8]]), (name, node, u))

    header, rows = read_csv(os.path.join(tables, "reactions.csv"))
    faults.equal("reactions.csv header", header, ["load_case", "node"] + REACTIONS + ["support"])
    expected = [(s["name"], r["node"], r["r"], r.get("support", "")) for s in load_sets(results)
                for r in s["reactions"]]
    faults.equal("reactions.csv rows", len(rows), len(expected))
    for row, (name, node, r, support) in zip(rows, expected):
        faults.equal(f"reactions.csv {name} node {node}",
                     (row[0], int(row[1]), [float(v) for v in row[2:8]], row[8]),
                     (name, node, r, support))

    header, rows = read_csv(os.path.join(tables, "end_forces.csv"))
    faults.equal("end_forces.csv header", header,
                 ["load_case", "member", "end", "node"] + END_FORCES)
    members = {m["name"]: m for m in results["members"]}
    expected = []
    for s in load_sets(results):
        for f in s["end_forces"]:
            m = members[f["member"]]
            expected.append((s["name"], f["member"], "start", m["start_node"], f["f"][0:6]))
            expected.append((s["name"], f["member"], "end", m["end_node"], f["f"][6:12]))
    faults.equal("end_forces.csv rows", len(rows), len(expected))
    for row, e in zip(rows, expected):
        faults.equal(f"end_forces.csv {e[0]} {e[1]} {e[2]}",
                     (row[0], row[1], row[2], int(row[3]), [float(v) for v in row[4:10]]), e)

    header, rows = read_csv(os.path.join(tables, "stresses.csv"))
    keys = ("max", "min", "x_max", "x_min", "end_max", "end_min")
    expected = [(s["name"], x["member"], [x[k] for k in keys]) for s in load_sets(results)
                for x in s["stresses"]]
    faults.equal("stresses.csv rows", len(rows), len(expected))
    for row, e in zip(rows, expected):
        faults.equal(f"stresses.csv {e[0]} {e[1]}", (row[0], row[1], [float(v) for v in row[2:8]]), e)
        # The extremes along a member are never inside its ends' extremes.
        faults.equal(f"stresses {e[0]} {e[1]}: max >= end max", e[2][0] >= e[2][4], True)
        faults.equal(f"stresses {e[0]} {e[1]}: min <= end min", e[2][1] <= e[2][5], True)

    header, rows = read_csv(os.path.join(tables, "equilibrium.csv"))
    expected = []
    for s in load_sets(results):
        q = s["equilibrium"]
        expected.append((s["name"], "applied", q["applied_force"] + q["applied_moment"]))
        expected.append((s["name"], "reactions", q["reaction_force"] + q["reaction_moment"]))
        expected.append((s["name"], "residual", q["force_residual"] + q["moment_residual"]))
    faults.equal("equilibrium.csv rows", len(rows), len(expected))
    for row, e in zip(rows, expected):
        faults.equal(f"equilibrium.csv {e[0]} {e[1]}", (row[0], row[1], [float(v) for v in row[2:8]]),
                     e)

    header, rows = read_csv(os.path.join(tables, "member_diagrams.csv"))
    faults.equal("member_diagrams.csv header", header,
                 ["load_set", "member", "x", "after_point_load"] + QUANTITIES)
    expected = []
    for s in load_sets(results):
        for d in s["member_diagrams"]:
            for k, x in enumerate(d["x"]):
                expected.append((s["name"], d["member"], x, int(d["after_point_load"][k]),
                                 [d[q][k] for q in QUANTITIES]))
    faults.equal("member_diagrams.csv rows", len(rows), len(expected))
    for row, e in zip(rows, expected):
        faults.equal(f"member_diagrams.csv {e[0]} {e[1]} x {e[2]}",
                     (row[0], row[1], float(row[2]), int(row[3]), [float(v) for v in row[4:13]]), e)

    envelopes_csv = os.path.join(tables, "envelopes.csv")
    faults.equal("envelopes.csv present", os.path.exists(envelopes_csv), bool(results.get("envelopes", [])))
    if results.get("envelopes", []):
        header, rows = read_csv(envelopes_csv)
        expected = []
        for v in results.get("envelopes", []):
            for m, f in zip(v["member_extremes"], v["end_forces"]):
                high, low = f["stress_max"], f["stress_min"]
                expected.append((v["name"], m["member"], "stress", high["max"], high["x"], high["by"],
                                 low["min"], low["x"], low["by"]))
                for q in QUANTITIES:
                    b = m[q]
                    expected.append((v["name"], m["member"], q, b["max"], b["x_max"], b["max_by"],
                                     b["min"], b["x_min"], b["min_by"]))
        faults.equal("envelopes.csv rows", len(rows), len(expected))
        for row, e in zip(rows, expected):
            faults.equal(f"envelopes.csv {e[0]} {e[1]} {e[2]}",
                         (row[0], row[1], row[2], float(row[3]), float(row[4]), row[5],
                          float(row[6]), float(row[7]), row[8]), e)


def report_blocks(text):
    """The report's load sets: {name: [lines]} for each load case and combination."""
    blocks, name, lines = {}, None, []
    for line in text.split("\n"):
        # A second-order set is marked so after its name.
        m = re.match(r'^(Load case|Combination) \d+: "(.*)"( \(second order\))?$', line)
        if m or re.match(r"^(Envelope |Natural modes|Response spectrum|Linear buckling|"
                         r"Second-order analysis)", line):
            if name is not None:
                blocks[name] = lines
            name, lines = (m.group(2) if m else None), []
        elif name is not None:
            lines.append(line)
    if name is not None:
        blocks[name] = lines
    return blocks


def table(lines, title):
    """The header's words and the rows' words of the table under title."""
    for k, line in enumerate(lines):
        if line.startswith("  " + title):
            header = lines[k + 1].split()
            rows = []
            for row in lines[k + 2:]:
                if not row.strip():
                    break
                rows.append(row.split())
            return header, rows
    return None, None


def check_report(out_dir, results, faults):
    with open(os.path.join(out_dir, "report.txt"), encoding="utf-8") as f:
        text = f.read()
    if "Displacements (global axes)" not in text:
        return  # a summary report holds no tables
    blocks = report_blocks(text)
    members = {m["name"]: m for m in results["members"]}
    for s in load_sets(results):
        name = s["name"]
        lines = blocks.get(name)
        if lines is None:
            faults.list.append(f"{faults.run}: the report has no load set \"{name}\"")
            continue
        header, rows = table(lines, "Displacements")
        columns = [DOFS.index(c) for c in header[1:]]
        faults.equal(f"report {name}: displacement rows", len(rows), len(s["displacements"]))
        for row, d in zip(rows, s["displacements"]):
            faults.equal(f"report {name}: displacement node", int(row[0]), d["node"])
            for value, c in zip(row[1:], columns):
                faults.near(f"report {name}: node {d['node']} {DOFS[c]}", float(value), d["u"][c])

        header, rows = table(lines, "Reactions")
        named = "support" in header
        shown = header[2:] if named else header[1:]
        columns = [REACTIONS.index(c) for c in shown]
        faults.equal(f"report {name}: reaction rows", len(rows), len(s["reactions"]))
        for row, r in zip(rows, s["reactions"]):
            faults.equal(f"report {name}: reaction node", int(row[0]), r["node"])
            values = row[len(row) - len(columns):]
            if named:
                faults.equal(f"report {name}: node {r['node']} support",
                             " ".join(row[1:len(row) - len(columns)]), r.get("support", ""))
            for value, c in zip(values, columns):
                faults.near(f"report {name}: reaction at node {r['node']} {REACTIONS[c]}",
                            float(value), r["r"][c])

        header, rows = table(lines, "Member end forces")
        columns = [END_FORCES.index(c) for c in header[3:]]
        forces = {f["member"]: f["f"] for f in s["end_forces"]}
        member = None
        faults.equal(f"report {name}: end-force rows", len(rows), 2 * len(s["end_forces"]))
        for row in rows:
            values = row[len(row) - len(columns):]
            end, node = row[len(row) - len(columns) - 2], int(row[len(row) - len(columns) - 1])
            if end == "start":
                member = " ".join(row[:len(row) - len(columns) - 2])
            m = members[member]
            faults.equal(f"report {name}: {member} {end} node", node,
                         m["start_node"] if end == "start" else m["end_node"])
            first = 0 if end == "start" else 6
            for value, c in zip(values, columns):
                faults.near(f"report {name}: {member} {end} {END_FORCES[c]}", float(value),
                            forces[member][first + c])

        header, rows = table(lines, "Extreme normal stresses")
        stresses = {x["member"]: x for x in s["stresses"]}
        faults.equal(f"report {name}: stress rows", len(rows), len(s["stresses"]))
        for row, m in zip(rows, results["members"]):
            x = stresses[m["name"]]
            for column, key in zip(row[-6:], ("max", "x_max", "min", "x_min", "end_max", "end_min")):
                faults.near(f"report {name}: {m['name']} stress {key}", float(column), x[key])


SVG = "{http://www.w3.org/2000/svg}"


def check_svg(out_dir, results, faults):
    """The drawing is well-formed XML, and each panel names a load set by its
    number and draws every member once undeformed and once deformed, with
    every node's and member's label when it has labels."""
    try:
        root = ElementTree.parse(os.path.join(out_dir, "drawing.svg")).getroot()
    except ElementTree.ParseError as e:
        faults.list.append(f"{faults.run}: drawing.svg is not well-formed: {e}")
        return
    cases = [s["name"] for s in results["load_cases"]]
    combinations = [s["name"] for s in results.get("combinations", [])]
    members = sorted(m["name"] for m in results["members"])
    nodes = sorted(str(n["node"]) for n in results["nodes"])
    panels = [g for g in root.findall(SVG + "g") if g.get("id", "").startswith(("case-", "combination-"))]
    faults.equal("drawing.svg has panels", len(panels) > 0, True)
    for g in panels:
        kind, number = g.get("id").rsplit("-", 1)
        names = cases if kind == "case" else combinations
        title = next(t.text for t in g.iter(SVG + "text") if t.get("class") == "title")
        expected = f"{'Load case' if kind == 'case' else 'Combination'} {number}: " \
                   f"{names[int(number) - 1]}"
        faults.equal(f"drawing.svg {g.get('id')} title", title, expected)
        groups = {c.get("class"): c for c in g.findall(SVG + "g")}
        faults.equal(f"drawing.svg {g.get('id')} undeformed members",
                     len(groups["undeformed"].findall(SVG + "line")), len(members))
        faults.equal(f"drawing.svg {g.get('id')} deformed members",
                     len(groups["deformed"].findall(SVG + "polyline")), len(members))
        labels = lambda cls: sorted(t.text for t in g.iter(SVG + "text") if t.get("class") == cls)
        if labels("nodelabel"):
            faults.equal(f"drawing.svg {g.get('id')} node labels", labels("nodelabel"), nodes)
            faults.equal(f"drawing.svg {g.get('id')} member labels", labels("memberlabel"), members)


DIRECTIONS = ["X", "Y", "Z", "RX", "RY", "RZ"]
MODE_QUANTITIES = ["participation", "effective_mass", "effective_mass_ratio", "cumulative_ratio"]


def check_modes(out_dir, results, faults):
    """modes.csv and mode_shapes.csv equal the JSON's modes exactly; the
    report's table of modes prints them to its digits."""
    if "modes" not in results:
        return
    modes = results["modes"]
    header, rows = read_csv(os.path.join(out_dir, "csv", "modes.csv"))
    faults.equal("modes.csv rows", len(rows), len(modes))
    for row, m in zip(rows, modes):
        fields = dict(zip(header, row))
        expected = [m["number"], m["eigenvalue"], m["circular_frequency"], m["frequency"],
                    m["period"]]
        got = [int(fields["mode"]), float(fields["eigenvalue"]),
               float(fields["circular_frequency"]), float(fields["frequency"]),
               None if fields["period"] == "" else float(fields["period"])]
        for q in MODE_QUANTITIES:
            expected += [m[q][d] for d in DIRECTIONS]
            got += [float(fields[f"{q}_{d}"]) for d in DIRECTIONS]
        faults.equal(f"modes.csv mode {m['number']}", got, expected)
    header, rows = read_csv(os.path.join(out_dir, "csv", "mode_shapes.csv"))
    faults.equal("mode_shapes.csv rows", len(rows), sum(len(m["shape"]) for m in modes))
    for row in rows:
        m = modes[int(row[0]) - 1]
        faults.equal(f"mode_shapes.csv mode {row[0]} node {row[1]}",
                     [float(v) for v in row[5:]], m["shape"][int(row[1]) - 1])
    with open(os.path.join(out_dir, "report.txt"), encoding="utf-8") as f:
        lines = f.read().splitlines()
    heads = [k for k, line in enumerate(lines) if "omega (rad/s)" in line]
    faults.equal("report has a table of modes", len(heads), 1)
    for k, m in zip(range(heads[0] + 1 if heads else 0, len(lines)), modes if heads else []):
        words = lines[k].split()
        faults.equal(f"report mode {m['number']} number", int(words[0]), m["number"])
        faults.near(f"report mode {m['number']} omega", float(words[1]), m["circular_frequency"])
        faults.near(f"report mode {m['number']} f", float(words[2]), m["frequency"])
        if m["period"] is not None:
            faults.near(f"report mode {m['number']} T", float(words[3]), m["period"])


def main():
    root = sys.argv[1]
    total, faults_all = 0, []
    for run in sorted(os.listdir(root)):
        out_dir = os.path.join(root, run)
        if not os.path.isdir(out_dir):
            continue
        with open(os.path.join(out_dir, "results.json"), encoding="utf-8") as f:
            results = json.load(f)
        faults = Faults(run)
        check_csv(out_dir, results, faults)
        check_report(out_dir, results, faults)
        check_svg(out_dir, results, faults)
        check_modes(out_dir, results, faults)
        print(f"{run:32} {faults.checked:7} rows and values agree" if not faults.list else
              f"{run:32} {len(faults.list)} faults")
        total += faults.checked
        faults_all += faults.list
    for fault in faults_all[:40]:
        print(fault)
    print(f"outputs_agree: {total} rows and values compared, {len(faults_all)} faults")
    return 1 if faults_all else 0


if __name__ == "__main__":
    sys.exit(main())

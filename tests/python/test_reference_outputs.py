"""Every reference model and example that zervola-frame's outputs are kept for
gives, through Python, the same numbers as the kept JSON output, array for
array and bit for bit, and the same report, CSV tables and drawing."""

import json

import numpy as np
import pytest

import zervola
from conftest import OUTPUTS, snapshot_runs

RUNS = snapshot_runs()


def options_of(arguments):
    """The analysis, report and drawing options of a run's command line."""
    analysis, report, drawing, modal = {}, {}, {}, {}
    args = iter(arguments)
    for a in args:
        if a == "--modes":
            modal["modes"] = int(next(args))
        elif a == "--mass-matrix":
            modal["mass_matrix"] = next(args)
        elif a == "--numbering":
            analysis["numbering"] = next(args)
        elif a == "--connect-crossings":
            analysis["connect_crossings"] = True
        elif a == "--summary":
            report["summary"] = True
        elif a == "--view":
            drawing["view"] = next(args)
        elif a == "--scale":
            drawing["scale"] = float(next(args))
        elif a == "--moments":
            drawing["diagram"] = "moment"
        elif a == "--diagram":
            drawing["diagram"] = next(args)
        elif a == "--no-labels":
            drawing["labels"] = False
        elif a == "--svg-case":
            drawing["load_set"] = next(args)
        else:
            raise AssertionError(f"a kept run's option the test does not know: {a}")
    return analysis, report, drawing, modal


@pytest.fixture(params=RUNS, ids=[run[0] for run in RUNS])
def run(request, in_directory):
    name, model, arguments = request.param
    in_directory(model.parent)
    analysis, report, drawing, modal = options_of(arguments)
    read = zervola.read(model.name)
    if modal:
        # --modes keeps the model's mass matrix unless --mass-matrix names one.
        asked = read.modal_request or {}
        read.modal(modal["modes"], mass_matrix=modal.get("mass_matrix",
                                                         asked.get("mass_matrix", "consistent")))
    results = read.analyse(**analysis)
    expected = json.loads((OUTPUTS / name / "results.json").read_text())
    return name, results, expected, report, drawing


def same(actual, expected):
    expected = np.asarray(expected, dtype=float)
    assert actual.shape == expected.shape
    # Bit for bit: the same code computed both (NaN never occurs in results).
    assert np.array_equal(actual, expected), (actual, expected)


def test_there_are_runs():
    assert len(RUNS) >= 20


def test_nodes_and_members(run):
    _, r, doc, _, _ = run
    same(r.nodes, [[n["x"], n["y"], n["z"]] for n in doc["nodes"]])
    assert r.member_names == [m["name"] for m in doc["members"]]
    for m in doc["members"]:
        member = r.member(m["name"])
        assert (member.start_node, member.end_node) == (m["start_node"], m["end_node"])
        assert member.length == m["length"]
        same(member.local_axes, [m["local_axes"][a] for a in "xyz"])


def test_every_load_set(run):
    _, r, doc, _, _ = run
    sets = doc["load_cases"] + doc.get("combinations", [])
    assert r.load_cases + r.combinations == [s["name"] for s in sets]
    for s in sets:
        name = s["name"]
        same(r.displacements(name), [d["u"] for d in s["displacements"]])
        same(r.reactions(name), np.reshape([x["r"] for x in s["reactions"]], (-1, 6)))
        assert r.reaction_nodes(name).tolist() == [x["node"] for x in s["reactions"]]
        same(r.end_forces(name), [f["f"] for f in s["end_forces"]])
        stresses = r.stresses(name)
        for key in ("max", "min", "x_max", "x_min", "end_max", "end_min"):
            same(stresses[key], [x[key] for x in s["stresses"]])
        equilibrium = r.equilibrium(name)
        for key, value in s["equilibrium"].items():
            if key != "moments_about":
                same(np.asarray(equilibrium[key]), value)


def test_internal_forces_along_members(run):
    _, r, doc, _, _ = run
    for s in doc["load_cases"] + doc.get("combinations", []):
        for d in s["member_diagrams"]:
            member = r.member(d["member"])
            forces = member.internal_forces(s["name"])
            for q in ("x",) + zervola.QUANTITIES:
                same(getattr(forces, q), d[q])
            extremes = member.extremes(s["name"])
            for q in zervola.QUANTITIES:
                e = d["extremes"][q]
                assert extremes[q] == (e["max"], e["x_max"], e["min"], e["x_min"]), (member.name, q)


def test_envelopes(run):
    _, r, doc, _, _ = run
    assert r.envelopes == [e["name"] for e in doc.get("envelopes", [])]
    for v in doc.get("envelopes", []):
        e = r.envelope(v["name"])
        for key, bounds in (("displacements", e.displacements), ("reactions", e.reactions),
                            ("end_forces", e.end_forces)):
            width = bounds.max.shape[1]
            for side in ("max", "min", "max_by", "min_by"):
                rows = np.reshape([x[side] for x in v[key]], (-1, width))
                actual = getattr(bounds, side)
                if side.endswith("_by"):
                    assert actual.tolist() == rows.tolist()
                else:
                    same(actual, rows)
        for k, extremes in enumerate(v["member_extremes"]):
            for q, quantity in enumerate(zervola.QUANTITIES):
                x = extremes[quantity]
                got = e.internal_forces
                assert (got.max[k, q], got.x_max[k, q], got.max_by[k, q],
                        got.min[k, q], got.x_min[k, q], got.min_by[k, q]) == (
                    x["max"], x["x_max"], x["max_by"], x["min"], x["x_min"], x["min_by"])


def test_warnings(run):
    _, r, doc, _, _ = run
    assert [(w.code, w.message, list(w.items)) for w in r.warnings] == [
        (w["code"], w["message"], w["items"]) for w in doc["warnings"]]


def test_outputs_equal_the_kept_files(run, tmp_path):
    name, r, _, report, drawing = run
    kept = OUTPUTS / name
    assert r.to_json() == (kept / "results.json").read_text()
    assert r.report(**report) == (kept / "report.txt").read_text()
    r.write_svg(tmp_path / "drawing.svg", **drawing)
    assert (tmp_path / "drawing.svg").read_text() == (kept / "drawing.svg").read_text()
    r.write_csv(tmp_path / "csv")
    kept_tables = sorted(p.name for p in (kept / "csv").iterdir())
    assert sorted(p.name for p in (tmp_path / "csv").iterdir()) == kept_tables
    for table in kept_tables:
        assert (tmp_path / "csv" / table).read_text() == (kept / "csv" / table).read_text(), table

"""A frame built through the Python API is the same model as the same frame
read from its JSON file: the same document, and the same results."""

import json

import numpy as np
import pytest

import zervola
from conftest import ROOT

PORTAL = ROOT / "tests" / "data" / "frame-models" / "c1_plane_portal.model.json"


def results_document(results, file_name):
    """The JSON results without the model's file name, which differs between
    a model read from a file and one built in code: the document's "model"
    and the messages."""
    doc = json.loads(results.to_json().replace(json.dumps(str(file_name))[1:-1], "MODEL"))
    doc.pop("model", None)
    return doc


def pitched_portal():
    """c1_plane_portal.model.json, built item by item (N and mm): two columns,
    a tie and two rafters, under dead load with self-weight and under wind."""
    m = zervola.Model(units=("N", "mm"), frame="plane", title="c1 plane portal")
    steel = dict(E=200000, G=80000, thermal_coefficient=1.52587890625e-05,
                 density=7.62939453125e-06)
    m.add_section("col", A=6400, It=524288, Iy=16777216, Iz=41943040, extent_z=160,
                  extent_y=256, **steel)
    m.add_section("beam", A=5000, It=262144, Iy=12582912, Iz=100663296, extent_z=160,
                  extent_y=320, **steel)
    m.add_member("C1", (0, 0, 0), (0, 4000, 0), "col")
    m.add_member("C2", (6000, 0, 0), (6000, 4000, 0), "col")
    m.add_member("T1", (0, 4000, 0), (6000, 4000, 0), "beam")
    m.add_member("R1", (0, 4000, 0), (3000, 8000, 0), "beam")
    m.add_member("R2", (3000, 8000, 0), (6000, 4000, 0), "beam")
    m.add_support((0, 0, 0), "fixed")
    m.add_support((6000, 0, 0), "pinned")
    m.add_load_case("dead", gravity=(0, -9.8125, 0))
    m.add_member_load("dead", "T1", value=(0, -12, 0))
    m.add_member_load("dead", "R1", axes="global_projected", value=(0, -4, 0))
    m.add_member_load("dead", "R2", axes="global_projected", value=(0, -4, 0))
    m.add_load_case("wind")
    m.add_nodal_load("wind", (3000, 8000, 0), force=(5000, 0, 0))
    m.add_member_load("wind", "C1", axes="local", value=(0, -3, 0))
    m.add_member_load("wind", "R1", axes="local", value=(0, 1.5, 0))
    m.add_member_load("wind", "C2", start_value=(0, 0, 0), end_value=(2.5, 0, 0))
    m.add_combination("ULS", {"dead": 1.35, "wind": 1.5})
    m.add_combination("SLS", {"dead": 1.0, "wind": -1.0})
    m.add_envelope("ENV", ["ULS", "SLS"])
    return m


def test_built_portal_is_the_model_read_from_json():
    built = pitched_portal()
    read = zervola.read(PORTAL)
    assert json.loads(built.to_json()) == json.loads(read.to_json())
    assert results_document(built.analyse(), "<model>") == results_document(read.analyse(), PORTAL)


def test_built_portal_arrays_equal_the_read_ones():
    built, read = pitched_portal().analyse(), zervola.read(PORTAL).analyse()
    for name in read.load_cases + read.combinations:
        assert np.array_equal(built.displacements(name), read.displacements(name))
        assert np.array_equal(built.end_forces(name), read.end_forces(name))


def test_a_change_after_an_analysis_is_analysed_again():
    m = pitched_portal()
    before = m.analyse().displacements("wind")
    m.add_nodal_load("wind", (3000, 8000, 0), force=(5000, 0, 0))
    after = m.analyse().displacements("wind")
    assert not np.array_equal(before, after)


def test_sections_by_name_and_catalogue_profiles(tmp_path):
    m = zervola.Model(units=("kN", "m"), frame="space", material="S355")
    m.add_section("beam", profile="IPE 300")
    m.add_section("post", shape="rectangle", b=0.3, h=0.5, material="C30/37")
    m.add_member("P", (0, 0, 0), (0, 0, 3), "post")
    m.add_member("B", (0, 0, 3), (5, 0, 3), "beam")
    m.add_member("B2", (5, 0, 3), (10, 0, 3), "HEB 200")  # a profile named by the member
    m.add_support((0, 0, 0), "fixed")
    m.add_support((10, 0, 3), "pinned")
    m.add_load_case("dead", self_weight=True)
    r = m.analyse()
    assert r.displacements("dead")[2, 2] < 0  # the free end sags under self-weight
    (tmp_path / "m.json").write_text(m.to_json())
    again = zervola.read(tmp_path / "m.json")
    assert again.to_json() == m.to_json()
    assert np.array_equal(again.analyse().end_forces("dead"), r.end_forces("dead"))


def test_arguments_of_the_wrong_shape_are_refused_at_once():
    m = zervola.Model()
    with pytest.raises(ValueError, match="3 numbers"):
        m.add_member("M", (0, 0), (1, 0, 0), "s")
    with pytest.raises(TypeError, match="a number"):
        m.add_section("s", A="big")
    with pytest.raises(zervola.ModelError, match='no load case "wind"'):
        m.add_nodal_load("wind", (0, 0, 0), force=(1, 0, 0))

"""Results.to_html and write_html: zervola-frame's 3D view (--html) from
Python. The page holds its data as one JSON element, which must describe
the results the package gives: members, stations, load sets, diagrams."""

import json
import re
from pathlib import Path

import numpy as np
import pytest

import zervola

ROOT = Path(__file__).resolve().parents[2]
DATA = re.compile(r'<script type="application/json" id="zervola-view">(.*?)</script>', re.S)


@pytest.fixture(scope="module")
def results():
    return zervola.read(str(ROOT / "examples" / "loaded_portal.json")).analyse()


def page(results, **options):
    try:
        return results.to_html(**options)
    except zervola.OutputError as e:
        if "three.js" in str(e):
            pytest.skip("three.js was not found when zervola was built: " + str(e))
        raise


def view_data(html):
    found = DATA.findall(html)
    assert len(found) == 1
    return json.loads(found[0])


def decoded(quantized):
    return np.array(quantized["q"]) * quantized["unit"]


def test_page_is_self_contained(results):
    html = page(results)
    assert html.startswith("<!DOCTYPE html>")
    assert "<script src=" not in html and 'rel="stylesheet"' not in html
    assert "/*ZERVOLA_VIEW*/" not in html and "<!--THREE_LICENCE-->" not in html


def test_data_describes_the_results(results):
    data = view_data(page(results))
    assert data["format"] == "zervola-view" and data["version"] == 1
    members = data["members"]
    assert members["names"] == results.member_names
    names = [s["name"] for s in data["sets"]]
    assert names == results.load_cases + results.combinations + results.envelopes
    start = members["stationStart"]
    k = names.index(results.combinations[0])
    mz = decoded(data["sets"][k]["Mz"])
    for e, name in enumerate(results.member_names):
        forces = results.member(name).internal_forces(names[k])
        assert start[e + 1] - start[e] == len(forces.x)
        top = np.abs(mz).max()
        assert np.allclose(mz[start[e]:start[e + 1]], forces.Mz, rtol=0, atol=top / 9999)


def test_ends_only_without_stations(results):
    data = view_data(page(results, stations=False))
    start = data["members"]["stationStart"]
    assert all(b - a == 2 for a, b in zip(start, start[1:]))


def test_write_html(results, tmp_path):
    html = page(results)
    path = tmp_path / "portal.html"
    results.write_html(path)
    assert path.read_text(encoding="utf-8") == html

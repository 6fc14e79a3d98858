"""The solver choice from Python: both factorisations give the same
displacements, and the results say which one solved."""

import json

import numpy as np
import pytest

import zervola

from conftest import ROOT

EXAMPLES = ROOT / "examples"


def test_supernodal_and_skyline_agree():
    model = zervola.read(EXAMPLES / "office_frame.json")
    skyline = model.analyse(solver="skyline")
    supernodal = model.analyse(solver="supernodal", threads=2)
    assert skyline.solver["used"] == "skyline"
    assert supernodal.solver["used"] == "supernodal"
    assert supernodal.solver["forced"]
    assert supernodal.solver["supernodal_flops"] > 0
    # The office frame's skyline fits the library's addresses, and both
    # runs count the same skyline.
    assert skyline.solver["skyline_addressable"]
    assert skyline.solver["skyline_fits_memory"]
    assert supernodal.solver["skyline_bytes"] == skyline.solver["skyline_bytes"]
    names = [c["name"] for c in json.loads(skyline.to_json())["load_cases"]]
    assert names
    for name in names:
        a = skyline.displacements(name)
        b = supernodal.displacements(name)
        assert np.allclose(a, b, rtol=0, atol=1e-9 * np.abs(a).max())


def test_unknown_solver_is_refused():
    model = zervola.read(EXAMPLES / "office_frame.json")
    with pytest.raises(ValueError, match="solver"):
        model.analyse(solver="cholesky")

"""Results.to_dxf and write_dxf, and zervola.read(dxf_units=...): the
results drawn into CAD from Python equal zervola-frame's, and a drawing
read in another unit gives the frame typed in the model's."""

import json
import shutil
import subprocess
from pathlib import Path

import pytest

import zervola

ROOT = Path(__file__).resolve().parents[2]
PORTAL = ROOT / "examples" / "dxf_portal"


def layers(dxf):
    lines = [line.strip() for line in dxf.splitlines()]
    return {lines[k + 3] for k in range(0, len(lines) - 3, 2)
            if lines[k] == "0" and lines[k + 1] == "LAYER" and lines[k + 2] == "2"}


def test_the_drawing_equals_the_program_s(program, tmp_path):
    model = ROOT / "examples" / "loaded_portal.json"
    results = zervola.read(str(model)).analyse()
    drawing = results.to_dxf(load_set="ULS1")
    out = tmp_path / "portal.dxf"
    subprocess.run([program, str(model), "--quiet", "--dxf", str(out), "--dxf-set", "ULS1"],
                   check=True)
    assert drawing == out.read_text(encoding="utf-8")
    assert {"RESULTS_FRAME", "RESULTS_ULS1-MOMENT", "RESULTS_ULS1-REACTIONS"} <= layers(drawing)
    assert "RESULTS_dead-MOMENT" not in layers(drawing)
    results.write_dxf(tmp_path / "written.dxf", load_set="ULS1")
    assert (tmp_path / "written.dxf").read_text(encoding="utf-8") == drawing
    with pytest.raises(zervola.ModelError, match="--dxf-set"):
        results.to_dxf(load_set="no such set")


def test_a_drawing_read_in_millimetres_is_the_frame_in_metres(tmp_path):
    # The example's drawing is in metres; drawn in millimetres, with no unit
    # in its header, read with dxf_units="mm" it is the same frame.
    text = (PORTAL / "portal.dxf").read_text(encoding="utf-8").splitlines()
    scaled = []
    for k, line in enumerate(text):
        code = text[k - 1].strip() if k % 2 else None
        if code in ("10", "20", "11", "21"):
            line = repr(float(line) * 1000.0)
        scaled.append(line)
    (tmp_path / "portal.dxf").write_text("\n".join(scaled) + "\n", encoding="utf-8")
    shutil.copy(PORTAL / "portal_from_dxf.json", tmp_path / "model.json")
    in_metres = zervola.read(str(PORTAL / "portal_from_dxf.json")).analyse()
    in_millimetres = zervola.read(str(tmp_path / "model.json"), dxf_units="mm").analyse()
    a = json.loads(in_metres.to_json())
    b = json.loads(in_millimetres.to_json())
    assert a["nodes"] == b["nodes"]
    for case_a, case_b in zip(a["load_cases"], b["load_cases"]):
        for ra, rb in zip(case_a["reactions"], case_b["reactions"]):
            assert ra["r"] == pytest.approx(rb["r"], rel=1e-9, abs=1e-9)
    with pytest.raises(zervola.ModelError, match="lies on no node"):
        zervola.read(str(tmp_path / "model.json")).analyse()

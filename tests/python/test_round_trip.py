"""Model.to_json writes a document that zervola.read reads back as the same
model: the same document again, and the same results."""

import json

import pytest

import zervola
from conftest import snapshot_runs

MODELS = sorted({model for _, model, _ in snapshot_runs()})


def results_without_file_name(results, file_name):
    """The JSON results with the model's file name left out, where a model
    read from another file differs: the document's "model" and messages."""
    doc = json.loads(results.to_json().replace(json.dumps(str(file_name))[1:-1], "MODEL"))
    doc.pop("model", None)
    return doc


@pytest.mark.parametrize("model", MODELS, ids=[m.name for m in MODELS])
def test_to_json_reads_back_as_the_same_model(model, tmp_path):
    original = zervola.read(model)
    copy = tmp_path / "copy.json"
    copy.write_text(original.to_json(indent=1))
    again = zervola.read(copy)
    assert json.loads(again.to_json()) == json.loads(original.to_json())
    assert results_without_file_name(again.analyse(), copy) == results_without_file_name(
        original.analyse(), model)


def test_a_drawing_is_written_out_as_members(tmp_path):
    from conftest import ROOT
    original = zervola.read(ROOT / "examples" / "dxf_portal" / "portal_from_dxf.json")
    doc = json.loads(original.to_json())
    assert "dxf" not in doc
    assert [m["name"] for m in doc["members"]] == original.member_names

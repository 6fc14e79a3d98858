"""Bad input raises the package's exception of its kind with zervola-frame's
own message: a fault of the model is a ModelError (the program's exit
status 2), a model that cannot be analysed an AnalysisError (3), an output
that cannot be written an OutputError (4), all of them zervola.Error."""

import re
import subprocess

import pytest

import zervola
from conftest import ROOT

COMMAND_LINE = ROOT / "tests" / "data" / "frame-command-line"
ERROR_PREFIX = "zervola-frame: error: "
EXCEPTION_OF_STATUS = {2: zervola.ModelError, 3: zervola.AnalysisError}

# Models zervola-frame refuses or warns of: syntax, structure and meaning,
# drawings, mechanisms, a model not in one piece, hostile text.
BAD_MODELS = sorted(
    [COMMAND_LINE / "syntax_error.json", COMMAND_LINE / "unconnected.json"]
    + list((ROOT / "tests" / "data" / "mistakes").glob("*.json"))
    + list((ROOT / "tests" / "data" / "faults").glob("*.json")))


def printable(message):
    """The message as zervola-frame prints it: control characters other than
    line feeds as \\xNN (printable_text)."""
    return re.sub(r"[\x00-\x09\x0b-\x1f\x7f]", lambda m: f"\\x{ord(m.group()):02x}", message)


def analyse_file(name):
    return zervola.read(name).analyse()


def kept(name):
    """The exit status and error message kept for a run of zervola-frame."""
    text = (COMMAND_LINE / "expected" / name).read_text()
    status = int(re.match(r"exit status (\d+)", text).group(1))
    return status, text.split(ERROR_PREFIX, 1)[1].rstrip("\n")


def test_the_exceptions_form_one_hierarchy():
    for cls in (zervola.ModelError, zervola.AnalysisError, zervola.OutputError,
                zervola.StrictError):
        assert issubclass(cls, zervola.Error)
    assert issubclass(zervola.Error, Exception)


@pytest.mark.parametrize("kept_run, model", [("syntax_error.txt", "syntax_error.json"),
                                             ("not_in_one_piece.txt", "unconnected.json")])
def test_messages_equal_the_kept_ones(kept_run, model, in_directory):
    in_directory(COMMAND_LINE)
    status, message = kept(kept_run)
    with pytest.raises(EXCEPTION_OF_STATUS[status]) as raised:
        analyse_file(model)
    assert printable(str(raised.value)) == message


def test_an_unknown_load_set_to_draw_is_a_model_error():
    _, message = kept("unknown_svg_case.txt")
    results = zervola.read(ROOT / "examples" / "loaded_portal.json").analyse()
    with pytest.raises(zervola.ModelError) as raised:
        results.svg(load_set="NONE")
    assert str(raised.value) == message


def test_a_mechanism_names_its_node_and_carries_the_warnings(in_directory):
    in_directory(ROOT / "tests" / "data" / "mistakes")
    with pytest.raises(zervola.AnalysisError) as raised:
        analyse_file("tiny-member-mechanism-message.json")
    assert raised.value.node > 0
    assert "short_member" in [w.code for w in raised.value.warnings]


@pytest.mark.parametrize("model", BAD_MODELS, ids=[m.name for m in BAD_MODELS])
def test_bad_models_as_the_program_reports_them(model, program, in_directory):
    in_directory(model.parent)
    run = subprocess.run([str(program), model.name, "--no-progress", "-q"],
                         capture_output=True, text=True, errors="surrogateescape")
    if run.returncode == 0:
        results = analyse_file(model.name)
        warnings = [f"zervola-frame: warning [{w.code}]: {printable(w.message)}"
                    for w in results.warnings]
        assert "\n".join(warnings) in run.stderr
        assert run.stderr.count("zervola-frame: warning") == len(warnings)
        return
    assert run.returncode in EXCEPTION_OF_STATUS, run.stderr
    with pytest.raises(EXCEPTION_OF_STATUS[run.returncode]) as raised:
        analyse_file(model.name)
    message = run.stderr.split(ERROR_PREFIX, 1)[1].rstrip("\n")
    assert printable(str(raised.value)) == message


def test_strict_refuses_warnings(in_directory):
    in_directory(ROOT / "tests" / "data" / "mistakes")
    model = zervola.read("E-in-N-per-mm2.json")
    assert model.analyse().warnings
    with pytest.raises(zervola.StrictError) as raised:
        model.analyse(strict=True)
    assert [w.code for w in raised.value.warnings] == [w.code for w in model.analyse().warnings]


def test_a_fault_of_a_built_model_names_the_item_and_field():
    m = zervola.Model(units=("kN", "m"), frame="plane")
    m.add_section("s", E=2.1e8, G=8.1e7, A=1e-2, It=1e-6, Iy=1e-5, Iz=1e-4, extent_y=0.3,
                  extent_z=0.15)
    m.add_member("B1", (0, 0, 0), (5, 0, 0), "HEB310")
    m.add_load_case("dead")
    with pytest.raises(zervola.ModelError,
                       match=r'^<model>: member "B1" \(members\[0\]\): field "section": '
                             r'unknown section "HEB310"'):
        m.analyse()


def test_an_unwritable_output_is_an_output_error(tmp_path):
    results = zervola.read(ROOT / "examples" / "loaded_portal.json").analyse()
    (tmp_path / "taken").mkdir()
    with pytest.raises(zervola.OutputError, match="taken"):
        results.write_json(tmp_path / "taken")
    assert list((tmp_path / "taken").iterdir()) == []

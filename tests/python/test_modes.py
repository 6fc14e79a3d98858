"""The natural modes through the Python API: a frame whose sway frequency is
known in closed form, a model built in Python against the same model read
from its file, the effective masses adding up, the mistakes of asking for
modes raised with zervola-frame's messages, the response spectrum's input,
and the drawing of a mode."""

import json
import math
import shutil
import subprocess
import sys

import numpy as np
import pytest

import zervola
from conftest import ROOT, program_path

E = 2.1e8          # kN/m^2
IC = 1.0e-4        # m^4, the columns
H = 4.0            # m, the storey
BAY = 6.0          # m
COLUMN_AREA = 10.0  # m^2: columns that do not shorten, so the sway is their bending alone
OFFICE = ROOT / "examples" / "office_frame_modes.json"
DXF_PORTAL = ROOT / "examples" / "dxf_portal"
ERROR_PREFIX = "zervola-frame: error: "


def rigid_beam_portal(m=12.5, mass_matrix="consistent", modes=2, *, masses_at=(0.0, BAY),
                      column_density=None, gravity=None):
    """A one-storey plane portal with fixed feet, axially rigid columns, a
    beam a million times stiffer than they are, mass m (t) at each beam end
    (at x = masses_at on the beam's level; none: no masses) and none in the
    members: its sway frequency is sqrt(24 E Ic / (h^3 2 m)). modes None:
    no modes asked for."""
    model = zervola.Model(units=("kN", "m"), frame="plane", gravity=gravity)
    common = dict(E=E, G=8.1e7, It=1e-6, Iy=1e-6, extent_z=0.3, extent_y=0.3)
    column = dict(common, density=column_density) if column_density else common
    model.add_section("column", A=COLUMN_AREA, Iz=IC, **column)
    model.add_section("beam", A=10.0, Iz=100.0, **common)
    model.add_member("C1", (0, 0, 0), (0, H, 0), "column")
    model.add_member("C2", (BAY, 0, 0), (BAY, H, 0), "column")
    model.add_member("B", (0, H, 0), (BAY, H, 0), "beam")
    model.add_support((0, 0, 0), "fixed")
    model.add_support((BAY, 0, 0), "fixed")
    for x in masses_at:
        model.add_mass((x, H, 0), m)
    if modes is not None:
        model.modal(modes, mass_matrix=mass_matrix)
    return model


def office_frame():
    """examples/office_frame_modes.json built item by item: three storeys of
    two bays along x and one along y, braced in the wall at y = 0, its mass
    from the steel and from the floor loads of "gravity"."""
    m = zervola.Model(units=("kN", "m"), frame="space",
                      title="Three-storey office frame: natural modes and response spectrum",
                      gravity=9.81)
    steel = dict(E=2.1e8, G=8.1e7, thermal_coefficient=1.2e-5, density=7.85)
    m.add_section("HEB300", A=1.491e-2, It=1.85e-6, Iy=2.517e-4, Iz=8.563e-5, extent_z=0.30,
                  extent_y=0.30, **steel)
    m.add_section("IPE400", A=8.446e-3, It=5.108e-7, Iy=2.313e-4, Iz=1.318e-5, extent_z=0.40,
                  extent_y=0.18, **steel)
    m.add_section("CHS114", A=2.14e-3, It=6.26e-6, Iy=3.13e-6, Iz=3.13e-6, extent_z=0.1143,
                  extent_y=0.1143, **steel)
    xs, ys = (0, 6, 12), (0, 5)
    for storey in (1, 2, 3):
        bottom, top = 3.5 * (storey - 1), 3.5 * storey
        for y in ys:
            for x in xs:
                m.add_member(f"C{storey}-{x}-{y}", (x, y, bottom), (x, y, top), "HEB300")
        for y in ys:
            for x in xs[:2]:
                m.add_member(f"BX{storey}-{x}-{y}a", (x, y, top), (x + 3, y, top), "IPE400")
                m.add_member(f"BX{storey}-{x}-{y}b", (x + 3, y, top), (x + 6, y, top), "IPE400")
        for x in xs:
            m.add_member(f"BY{storey}-{x}", (x, 0, top), (x, 5, top), "IPE400",
                         release="hinge_end" if x == 12 else None)
        m.add_member(f"D{storey}", (0, 0, bottom), (6, 0, top), "CHS114", release="pinned")
    for x in xs:
        m.add_support((x, 0, 0), "fixed", name=f"base-{x}-0")
    for x in xs:
        m.add_support((x, 5, 0), "fixed", name=f"base-{x}-5")
    m.add_mass_from_loads("gravity", factor=1.0)
    m.modal(24, mass_matrix="consistent")
    m.spectrum(name="E", ec8=dict(type=1, ground="B", ag=2.0, q=4.0), directions=("X", "Y"))
    m.add_load_case("gravity")
    for top, (column, span) in ((3.5, (-20, -45)), (7, (-20, -45)), (10.5, (-12, -27))):
        for y in ys:
            for x in xs:
                m.add_nodal_load("gravity", (x, y, top), force=(0, 0, column))
            for x in (3, 9):
                m.add_nodal_load("gravity", (x, y, top), force=(0, 0, span))
    m.add_load_case("wind x")
    for top, push in ((3.5, 9), (7, 9), (10.5, 4.5)):
        for y in ys:
            m.add_nodal_load("wind x", (0, y, top), force=(push, 0, 0))
    m.add_nodal_load("wind x", (6, 5, 10.5), moment=(0, 0, 15))
    return m


def program_message(program, model, tmp_path):
    """zervola-frame's message for a model written to a file beside nothing
    else, run in that file's directory."""
    path = tmp_path / "model.json"
    path.write_text(model.to_json(indent=1))
    run = subprocess.run([str(program), path.name, "--no-progress", "-q"], cwd=tmp_path,
                         capture_output=True, text=True)
    assert run.returncode == 2, run.stderr
    return run.stderr.split(ERROR_PREFIX, 1)[1].rstrip("\n")


# -- closed forms and the figures of the analysis ------------------------------

@pytest.mark.parametrize("mass_matrix", ["consistent", "lumped"])
def test_rigid_beam_portal_sways_at_the_storey_stiffness(mass_matrix):
    m = 12.5
    expected = math.sqrt(24.0 * E * IC / (H**3 * 2.0 * m))
    r = rigid_beam_portal(m, mass_matrix).analyse()
    assert r.load_cases == [] and r.combinations == []
    assert r.modal.mass_matrix == mass_matrix
    assert [mode.number for mode in r.modes] == [1, 2]
    sway = r.modes[0]
    assert sway.circular_frequency == pytest.approx(expected, rel=1e-5)
    assert sway.frequency == pytest.approx(sway.circular_frequency / (2 * math.pi), rel=1e-12)
    assert sway.period * sway.frequency == pytest.approx(1.0, rel=1e-12)
    assert sway.eigenvalue == pytest.approx(sway.circular_frequency**2, rel=1e-9)
    # All the horizontal mass moves with the sway.
    assert r.modal.movable_mass["X"] == pytest.approx(2 * m, rel=1e-12)
    assert sway.effective_mass_ratio["X"] == pytest.approx(1.0, abs=1e-6)
    assert abs(sway.participation["X"]) == pytest.approx(math.sqrt(2 * m), rel=1e-5)
    assert set(sway.participation) == set(zervola.DIRECTIONS)
    # The shape: one row per node, both beam ends drawn at a translation of 1.
    assert sway.shape.shape == (len(r.nodes), 6)
    assert not sway.shape.flags.writeable
    top = [k for k, p in enumerate(r.nodes) if p[1] == H]
    assert np.abs(sway.shape[top, 0] * sway.drawing_scale) == pytest.approx([1.0, 1.0], abs=1e-6)
    # Where the mass came from, and the check that no mode was missed.
    assert r.modal.mass.points == pytest.approx(2 * m, rel=1e-12)
    assert r.modal.mass.members == 0.0 and r.modal.mass.from_loads == []
    assert r.modal.sturm.passed and r.modal.sturm.count == r.modal.sturm.found_below
    assert r.modal.eigensolver.factorisations >= 1 and r.modal.eigensolver.seconds >= 0
    np.testing.assert_array_equal(r.modal.frequencies, [mode.frequency for mode in r.modes])
    np.testing.assert_array_equal(r.modal.periods, [mode.period for mode in r.modes])


def test_effective_mass_ratios_of_all_modes_add_up_to_one():
    r = rigid_beam_portal(7.0, "lumped", modes=4, column_density=7.85).analyse()
    assert r.modal.directions_with_mass == 4
    ratios = r.modal.table("effective_mass_ratio")
    assert ratios.shape == (4, 6)
    for d in ("X", "Y"):
        assert sum(mode.effective_mass_ratio[d] for mode in r.modes) == pytest.approx(1.0, abs=1e-9)
        assert r.modes[-1].cumulative_ratio[d] == pytest.approx(1.0, abs=1e-9)
        assert sum(mode.effective_mass[d] for mode in r.modes) == pytest.approx(
            r.modal.movable_mass[d], rel=1e-9)
    np.testing.assert_allclose(ratios.sum(axis=0)[:2], [1.0, 1.0], atol=1e-9)
    np.testing.assert_allclose(np.cumsum(ratios, axis=0), r.modal.table("cumulative_ratio"),
                               atol=1e-12)
    # The columns' mass, density * A * h each; half of it at the fixed feet.
    assert r.modal.mass.members == pytest.approx(2 * 7.85 * COLUMN_AREA * H, rel=1e-9)
    assert r.modal.movable_mass["X"] == pytest.approx(14.0 + 7.85 * COLUMN_AREA * H, rel=1e-9)


def test_mass_from_loads_moves_as_the_same_mass_placed():
    placed = rigid_beam_portal(5.0).analyse()
    model = rigid_beam_portal(5.0, masses_at=(), gravity=9.81)
    model.add_load_case("G")
    model.add_nodal_load("G", (0, H, 0), force=(0, -98.1, 0))
    model.add_nodal_load("G", (BAY, H, 0), force=(0, -98.1, 0))
    model.add_mass_from_loads("G", factor=0.5)
    r = model.analyse()
    assert r.modal.mass.from_loads == [("G", pytest.approx(10.0, rel=1e-12))]
    assert r.modes[0].circular_frequency == pytest.approx(placed.modes[0].circular_frequency,
                                                           rel=1e-9)
    assert model.to_json().count('"mass_from_loads": [{"case": "G", "factor": 0.5}]') == 1


def test_a_static_model_has_no_modes():
    r = zervola.read(ROOT / "examples" / "loaded_portal.json").analyse()
    assert r.modal is None and r.modes == []


# -- the same model built and read ----------------------------------------------

def test_office_frame_built_in_python_is_the_example_read_from_json():
    built, read = office_frame(), zervola.read(OFFICE)
    document = json.loads(read.to_json())
    del document["$schema"]   # the editor's, not the model's
    assert json.loads(built.to_json()) == document
    assert built.modal_request == read.modal_request == {"modes": 24, "mass_matrix": "consistent"}
    rb, rr = built.analyse(), read.analyse()
    assert len(rr.modes) == 24
    np.testing.assert_array_equal(rb.modal.frequencies, rr.modal.frequencies)
    for a, b in zip(rb.modes, rr.modes):
        np.testing.assert_array_equal(a.shape, b.shape)
        assert a.effective_mass == b.effective_mass
    assert rb.modal.mass == rr.modal.mass
    assert rr.modal.mass.from_loads[0][0] == "gravity"


def test_to_json_keeps_the_dynamics_and_reads_back_as_the_same_modes(tmp_path):
    model = rigid_beam_portal(9.0, "lumped")
    model.add_mass((0, H, 0), 1.0, rotary_inertia=(0, 0, 2.5), name="plant")
    doc = json.loads(model.to_json())
    assert doc["modal"] == {"modes": 2, "mass_matrix": "lumped"}
    assert doc["masses"][2] == {"name": "plant", "at": [0.0, H, 0.0], "mass": 1.0,
                                "rotary_inertia": [0.0, 0.0, 2.5]}
    (tmp_path / "portal.json").write_text(model.to_json(indent=2))
    again = zervola.read(tmp_path / "portal.json")
    assert again.to_json() == model.to_json()
    assert again.masses == model.masses
    assert [m["name"] for m in again.masses] == ["M1", "M2", "plant"]
    np.testing.assert_array_equal(again.analyse().modal.frequencies,
                                  model.analyse().modal.frequencies)


def test_a_model_naming_a_drawing_gives_its_modes(tmp_path):
    """The DXF portal with its floors' loads as mass: read with its drawing,
    written out with the drawing's members, read back as the same modes."""
    shutil.copy(DXF_PORTAL / "portal.dxf", tmp_path / "portal.dxf")
    doc = json.loads(zervola.read(DXF_PORTAL / "portal_from_dxf.json").to_json())
    doc.pop("members")
    doc.update({"dxf": "portal.dxf", "gravity": 9.81,
                "mass_from_loads": [{"case": "floors"}], "modal": {"modes": 3}})
    (tmp_path / "dynamic.json").write_text(json.dumps(doc))
    from_drawing = zervola.read(tmp_path / "dynamic.json")
    written = json.loads(from_drawing.to_json())
    assert "dxf" not in written and written["modal"] == {"modes": 3}
    (tmp_path / "written.json").write_text(from_drawing.to_json())
    r, again = from_drawing.analyse(), zervola.read(tmp_path / "written.json").analyse()
    assert len(r.modes) == 3 and r.modal.mass.from_loads == [("floors", pytest.approx(130 / 9.81))]
    np.testing.assert_array_equal(r.modal.frequencies, again.modal.frequencies)


# -- mistakes --------------------------------------------------------------------

def mistakes():
    too_many = rigid_beam_portal(5.0, "lumped", modes=5)
    off_node = rigid_beam_portal(5.0, "lumped", masses_at=(1.0, BAY))
    massless = rigid_beam_portal(5.0, "lumped", masses_at=())
    return {
        "too many modes": (too_many, '"modes": asks for 5 modes, but the frame has mass in '
                                     'only 4 directions'),
        "mass on no node": (off_node, "is not a node of the frame"),
        "no mass": (massless, "the model has no mass"),
    }


@pytest.mark.parametrize("mistake", ["too many modes", "mass on no node", "no mass"])
def test_mistakes_are_model_errors_with_the_programs_message(mistake, tmp_path):
    model, words = mistakes()[mistake]
    with pytest.raises(zervola.ModelError) as raised:
        model.analyse()
    message = str(raised.value)
    assert message.startswith("<model>: ") and words in message
    program = program_path()
    if program is None:
        pytest.skip("zervola-frame is not built (set ZERVOLA_FRAME_PROGRAM)")
    expected = program_message(program, model, tmp_path)
    with pytest.raises(zervola.ModelError) as from_file:
        zervola.read(tmp_path / "model.json").analyse()
    assert str(from_file.value).replace(str(tmp_path / "model.json"), "model.json") == expected


def test_builder_arguments_of_the_wrong_kind_are_refused_at_once():
    m = zervola.Model()
    with pytest.raises(TypeError, match="a number"):
        m.add_mass((0, 0, 0), "heavy")
    with pytest.raises(ValueError, match="3 numbers"):
        m.add_mass((0, 0, 0), 1.0, rotary_inertia=(1, 2))
    with pytest.raises(TypeError, match="a number"):
        m.modal("six")
    with pytest.raises(ValueError, match="2 numbers"):
        m.spectrum(table=[(0.0, 1.0, 2.0)])


def test_the_reader_names_a_fractional_number_of_modes_and_an_unknown_matrix():
    for modes, matrix, words in ((2.5, "lumped", "whole number of modes"),
                                 (2, "diagonal", 'neither "consistent" nor "lumped"')):
        model = rigid_beam_portal()
        model.modal(modes, mass_matrix=matrix)
        with pytest.raises(zervola.ModelError, match=words):
            model.check()


# -- the response spectrum's input -------------------------------------------------

def test_a_tabulated_spectrum_is_accepted_and_round_trips(tmp_path):
    model = rigid_beam_portal()
    model.add_load_case("G")
    model.spectrum(table=[(0.0, 2.0), (0.5, 5.0), (2.0, 1.0)], damping=0.03,
                   directions=("X", "Y"), modal_combination="SRSS",
                   directional_combination="100/30", name="E")
    assert json.loads(model.to_json())["spectrum"] == {
        "name": "E", "table": [[0.0, 2.0], [0.5, 5.0], [2.0, 1.0]], "damping": 0.03,
        "directions": ["X", "Y"], "modal_combination": "SRSS", "directional_combination": "100/30"}
    expected = {"name": "E", "table": [(0.0, 2.0), (0.5, 5.0), (2.0, 1.0)], "damping": 0.03,
                "directions": ["X", "Y"], "direction_factors": (1.0, 1.0, 1.0),
                "modal_combination": "SRSS", "directional_combination": "100/30"}
    assert model.spectrum_request == expected
    assert len(model.analyse().modes) == 2
    (tmp_path / "spectrum.json").write_text(model.to_json())
    again = zervola.read(tmp_path / "spectrum.json")
    assert again.to_json() == model.to_json()
    assert again.spectrum_request == expected


def test_an_ec8_spectrum_takes_the_formats_defaults():
    model = rigid_beam_portal()
    model.spectrum(ec8=dict(type=1, ground="C", ag=2.45, q=3.9))
    assert json.loads(model.to_json())["spectrum"] == {
        "ec8": {"type": 1, "ground": "C", "ag": 2.45, "q": 3.9}}
    assert model.spectrum_request == {
        "name": "spectrum", "ec8": {"type": 1, "ground": "C", "ag": 2.45, "q": 3.9, "beta": 0.2},
        "damping": 0.05, "directions": ["X", "Y"], "direction_factors": (1.0, 1.0, 1.0),
        "modal_combination": "CQC", "directional_combination": "SRSS"}
    model.spectrum(ec8=dict(type=2, ground="A", ag=1.0), directions=["Z"])
    request = model.spectrum_request
    assert request["ec8"] == {"type": 2, "ground": "A", "ag": 1.0}   # elastic: no q, no beta
    assert request["directions"] == ["Z"]
    assert rigid_beam_portal().spectrum_request is None


@pytest.mark.parametrize("arguments, words", [
    (dict(table=[(0, 1), (1, 1)], ec8=dict(type=1, ground="B", ag=1.0)), "not both"),
    (dict(ec8=dict(type=3, ground="B", ag=1.0)), '"type"'),
    (dict(table=[(0, 1), (1, 1)], damping=1.5), '"damping"'),
    (dict(table=[(0, 1), (1, 1)], directions=["X", "X"]), "named twice"),
])
def test_a_bad_spectrum_is_a_model_error(arguments, words):
    model = rigid_beam_portal()
    model.spectrum(**arguments)
    with pytest.raises(zervola.ModelError, match=words):
        model.check()


def test_a_spectrum_needs_the_modes():
    model = rigid_beam_portal(modes=None)
    model.add_load_case("G")
    model.spectrum(table=[(0.0, 2.0), (1.0, 2.0)])
    with pytest.raises(zervola.ModelError, match='give "modal"'):
        model.check()


# -- drawing -----------------------------------------------------------------------

def test_plot_mode_draws_the_shape_headless():
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from zervola.plotting import plot_mode

    r = rigid_beam_portal().analyse()
    try:
        ax = plot_mode(r, 1, scale=0.5)
        gids = sorted(line.get_gid() for line in ax.lines)
        assert gids == ["mode:B", "mode:C1", "mode:C2",
                        "undeformed:B", "undeformed:C1", "undeformed:C2"]
        assert "mode 1" in ax.get_title()
        sway = r.modes[0]
        column = next(line for line in ax.lines if line.get_gid() == "mode:C1")
        x, y = column.get_xdata(), column.get_ydata()
        # The column's top moves by the drawn size of the largest translation;
        # the beam does not turn, so the column bends as a fixed-fixed beam
        # whose end slides: 3 s^2 - 2 s^3 of the top's sway.
        top = sway.shape[1, 0] * sway.drawing_scale * 0.5
        assert x[-1] == pytest.approx(top, abs=1e-9)
        s = np.linspace(0.0, 1.0, len(x))
        np.testing.assert_allclose(x, top * (3 * s**2 - 2 * s**3), atol=1e-6)
        np.testing.assert_allclose(y, H * s, atol=1e-5)
        # Without a scale, the largest translation is drawn 8% of the frame's size.
        ax = plot_mode(r, 2)
        assert ax.lines and "mode 2" in ax.get_title()
        with pytest.raises(KeyError, match="no mode 3"):
            plot_mode(r, 3)
        with pytest.raises(KeyError, match="no natural modes"):
            plot_mode(zervola.read(ROOT / "examples" / "loaded_portal.json").analyse(), 1)
    finally:
        plt.close("all")


def test_plot_mode_draws_a_space_frame_with_hinges():
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from zervola.plotting import mode_shape, plot_mode

    r = zervola.read(OFFICE).analyse()
    try:
        for number in range(1, len(r.modes) + 1):
            ax = plot_mode(r, number, plane="xy")
            assert len([l for l in ax.lines if l.get_gid().startswith("mode:")]) == len(
                r.member_names)
        # Every member's drawn ends are its nodes moved by the mode's shape.
        mode = r.modes[0]
        for name, (points, moved) in mode_shape(r, 1).items():
            m = r.member(name)
            for end, node in ((0, m.start_node), (-1, m.end_node)):
                np.testing.assert_allclose(points[end], r.nodes[node - 1], atol=1e-12)
                np.testing.assert_allclose(moved[end], mode.shape[node - 1, :3]
                                           * mode.drawing_scale, atol=1e-9)
    finally:
        plt.close("all")


def test_the_documented_example_prints_what_the_docs_show():
    run = subprocess.run([sys.executable, str(ROOT / "examples" / "python" / "portal_modes.py")],
                         capture_output=True, text=True, check=True)
    docs = (ROOT / "docs" / "python.md").read_text()
    shown = docs.split("prints the sway and two modes", 1)[1].split("(`examples/python", 1)[0]
    printed = [line.strip() for line in run.stdout.splitlines()]
    assert printed == [line.strip() for line in shown.splitlines() if line.startswith("    ")]


def test_spectrum_response_of_one_storey_is_its_mass_times_the_acceleration():
    """A flat spectrum along X on the rigid-beam portal (one sway mode
    carrying all the horizontal mass): base shear 2 m Sa, sway Sa / omega^2,
    magnitudes never negative, a column's moment zero at mid-height."""
    m, sa = 12.5, 3.0
    model = rigid_beam_portal(m, "lumped", modes=4)
    model.spectrum(table=[(0.0, sa), (20.0, sa)], directions=("X",))
    results = model.analyse()
    s = results.spectrum
    assert s is not None and s.name == "spectrum"
    assert s.base_shear["X"] == pytest.approx(2 * m * sa, rel=1e-5)
    assert s.base_shear["Y"] == 0.0
    omega2 = 24 * E * IC / H**3 / (2 * m)
    assert s.displacements[1, 0] == pytest.approx(sa / omega2, rel=1e-5)
    assert (s.end_forces >= 0).all() and (s.displacements >= 0).all()
    x, values = s.member_magnitudes(0)
    assert x[0] == 0.0 and x[-1] == pytest.approx(H)
    assert values[len(x) // 2, 5] == pytest.approx(0.0, abs=1e-4 * values[0, 5])
    assert results.modal is not None and len(s.modes) == 4


def test_no_spectrum_without_asking():
    assert rigid_beam_portal().analyse().spectrum is None

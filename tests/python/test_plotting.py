"""zervola.plotting draws what the results hold: the lines of a frame's
deformed shape pass through its members' stations moved by their
displacements, a diagram's line is the internal-force arrays themselves, and
matplotlib is imported only when something is drawn. Figures are made with
the Agg backend and never shown."""

import io
import os
import subprocess
import sys

import numpy as np
import pytest

import zervola

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (after the backend is chosen)

from zervola.plotting import plot_diagram, plot_frame  # noqa: E402


@pytest.fixture(autouse=True)
def close_figures():
    yield
    plt.close("all")


def portal():
    """A fixed-base portal in kN and m, with a load at a column's mid-height
    so that its diagrams jump."""
    m = zervola.Model(units=("kN", "m"), frame="plane")
    m.add_section("IPE300", A=5.38e-3, It=2.01e-7, I_strong=8.356e-5, I_weak=6.04e-6,
                  depth=0.3, width=0.15, E=2.1e8, G=8.1e7)
    m.add_member("C1", (0, 0, 0), (0, 4, 0), "IPE300")
    m.add_member("B1", (0, 4, 0), (6, 4, 0), "IPE300")
    m.add_member("C2", (6, 4, 0), (6, 0, 0), "IPE300")
    m.add_support((0, 0, 0), "fixed")
    m.add_support((6, 0, 0), "fixed")
    m.add_load_case("G")
    m.add_member_load("G", "B1", value=(0, -10, 0))
    m.add_load_case("W")
    m.add_nodal_load("W", (0, 4, 0), force=(20, 0, 0))
    m.add_member_load("W", "C1", type="force", value=(5, 0, 0), position=2)
    m.add_combination("G+W", {"G": 1.0, "W": 1.0})
    return m.analyse()


def space_frame():
    """A cantilever bent twice, out of every coordinate plane, z up: a column,
    a beam along x and one along y, loaded at its free end."""
    m = zervola.Model(units=("kN", "m"), frame="space")
    m.add_section("HEB200", profile="HEB 200", material="S355")
    m.add_member("C", (0, 0, 0), (0, 0, 3), "HEB200")
    m.add_member("B", (0, 0, 3), (4, 0, 3), "HEB200")
    m.add_member("D", (4, 0, 3), (4, 3, 3), "HEB200")
    m.add_support((0, 0, 0), "fixed")
    m.add_load_case("P")
    m.add_nodal_load("P", (4, 3, 3), force=(2, 0, -5))
    return m.analyse()


@pytest.fixture(scope="module")
def results():
    return portal()


def line(ax, gid):
    found = [l for l in ax.lines if l.get_gid() == gid]
    assert len(found) == 1, gid
    return found[0]


def expected_shape(results, name, load_set, scale):
    """The member's stations moved by scale times their displacements, in
    global axes, from the internal-force arrays."""
    m = results.member(name)
    f = m.internal_forces(load_set)
    start = results.nodes[m.start_node - 1]
    points = start + np.outer(f.x, m.local_axes[0])
    return points + scale * np.column_stack((f.u, f.v, f.w)) @ m.local_axes


def png(ax):
    buffer = io.BytesIO()
    ax.figure.savefig(buffer, format="png")
    return buffer.getvalue()


def test_importing_zervola_does_not_import_matplotlib():
    code = "import sys, zervola, zervola.plotting; print('matplotlib' in sys.modules)"
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         check=True, env=dict(os.environ))
    assert out.stdout.strip() == "False"


def test_undeformed_frame_is_its_members_between_their_nodes(results):
    ax = plot_frame(results)
    assert len(ax.lines) == 3
    for name in results.member_names:
        m = results.member(name)
        a, b = results.nodes[m.start_node - 1], results.nodes[m.end_node - 1]
        drawn = line(ax, f"undeformed:{name}")
        np.testing.assert_array_equal(drawn.get_xdata(), [a[0], b[0]])
        np.testing.assert_array_equal(drawn.get_ydata(), [a[1], b[1]])
    assert not any(l.get_gid().startswith("deformed:") for l in ax.lines)
    assert png(ax).startswith(b"\x89PNG")


@pytest.mark.parametrize("load_set", ["G", "W", "G+W"])
def test_deformed_frame_passes_through_the_displaced_stations(results, load_set):
    scale = 150.0
    ax = plot_frame(results, load_set, scale=scale, labels=True)
    displacements = results.displacements(load_set)
    for name in results.member_names:
        drawn = line(ax, f"deformed:{name}")
        expected = expected_shape(results, name, load_set, scale)
        np.testing.assert_allclose(drawn.get_xdata(), expected[:, 0], rtol=0, atol=1e-12)
        np.testing.assert_allclose(drawn.get_ydata(), expected[:, 1], rtol=0, atol=1e-12)
        # Its ends are the nodes moved by their own displacements.
        m = results.member(name)
        for end, node in ((0, m.start_node), (-1, m.end_node)):
            moved = results.nodes[node - 1] + scale * displacements[node - 1, :3]
            assert drawn.get_xdata()[end] == pytest.approx(moved[0], abs=1e-9)
            assert drawn.get_ydata()[end] == pytest.approx(moved[1], abs=1e-9)
    assert load_set in ax.get_title()
    assert png(ax).startswith(b"\x89PNG")


def test_without_a_scale_the_largest_displacement_is_drawn_8_percent_of_the_frame(results):
    ax = plot_frame(results, "G+W")
    size = np.max(np.ptp(results.nodes, axis=0))
    largest = 0.0
    for name in results.member_names:
        points = expected_shape(results, name, "G+W", 0.0)
        drawn = line(ax, f"deformed:{name}")
        moved = np.column_stack((drawn.get_xdata(), drawn.get_ydata())) - points[:, :2]
        largest = max(largest, np.max(np.linalg.norm(moved, axis=1)))
    assert largest == pytest.approx(0.08 * size, rel=1e-9)


def test_a_space_frame_is_projected_on_a_plane():
    results = space_frame()
    for plane, (i, j) in (("xz", (0, 2)), ("yz", (1, 2)), ("xy", (0, 1))):
        ax = plot_frame(results, "P", scale=10.0, plane=plane)
        for name in results.member_names:
            expected = expected_shape(results, name, "P", 10.0)
            drawn = line(ax, f"deformed:{name}")
            np.testing.assert_allclose(drawn.get_xdata(), expected[:, i], atol=1e-12)
            np.testing.assert_allclose(drawn.get_ydata(), expected[:, j], atol=1e-12)
        assert (ax.get_xlabel(), ax.get_ylabel()) == (plane[0], plane[1])
    # Out of every coordinate plane: drawn as an elevation, x across and z up.
    ax = plot_frame(results, "P")
    assert (ax.get_xlabel(), ax.get_ylabel()) == ("x", "z")


@pytest.mark.parametrize("quantity", zervola.QUANTITIES)
def test_diagram_is_the_internal_force_arrays(results, quantity):
    for name in results.member_names:
        ax = plot_diagram(results, name, quantity, "G+W")
        f = results.member(name).internal_forces("G+W")
        drawn = line(ax, f"{quantity}:{name}")
        np.testing.assert_array_equal(drawn.get_xdata(), f.x)
        np.testing.assert_array_equal(drawn.get_ydata(), getattr(f, quantity))
        plt.close(ax.figure)


def test_a_concentrated_load_is_a_jump_in_the_diagram(results):
    ax = plot_diagram(results, results.member("C1"), "Vy", "W")
    drawn = line(ax, "Vy:C1")
    x, v = drawn.get_xdata(), drawn.get_ydata()
    at = np.flatnonzero(x == 2.0)
    assert len(at) == 2
    assert abs(v[at[1]] - v[at[0]]) == pytest.approx(5.0)
    assert png(ax).startswith(b"\x89PNG")


def test_drawing_into_a_given_axes_makes_no_figure(results):
    figure, (left, right) = plt.subplots(1, 2)
    figures = plt.get_fignums()
    assert plot_frame(results, "G", ax=left) is left
    assert plot_diagram(results, "B1", "Mz", "G", ax=right) is right
    assert plt.get_fignums() == figures
    assert png(left).startswith(b"\x89PNG")


def test_bad_arguments_raise_before_drawing(results):
    figures = plt.get_fignums()
    with pytest.raises(ValueError, match="unknown quantity"):
        plot_diagram(results, "B1", "M", "G")
    with pytest.raises(KeyError, match="no member"):
        plot_diagram(results, "B9", "Mz", "G")
    with pytest.raises(KeyError, match="no load case or combination"):
        plot_diagram(results, "B1", "Mz", "Q")
    with pytest.raises(KeyError, match="no load case or combination"):
        plot_frame(results, "Q")
    with pytest.raises(ValueError, match="unknown plane"):
        plot_frame(results, "G", plane="zx")
    with pytest.raises(ValueError, match="positive"):
        plot_frame(results, "G", scale=0)
    assert plt.get_fignums() == figures

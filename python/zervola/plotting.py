"""Drawings of results with matplotlib: the frame undeformed and deformed, a
natural mode's shape, and a quantity along a member.

matplotlib is needed only when a function here is called (it is imported
then), so that ``import zervola`` works without it. Every function draws into
the Axes it is given, or into a new figure's, and returns that Axes; nothing
is shown or saved (``ax.figure.savefig(...)``, ``matplotlib.pyplot.show()``).

Each line drawn carries a gid naming what it is: ``"undeformed:C1"``,
``"deformed:C1"`` for member C1 in plot_frame, ``"mode:C1"`` in plot_mode,
``"Mz:C1"`` in plot_diagram,
so that a script (or a test) can find it with
``[l for l in ax.lines if l.get_gid() == "deformed:C1"]``.
"""

import numpy as np

from .results import QUANTITIES, MemberResults

# Planes a frame may be drawn in: the plane's name -> the columns of the
# coordinates drawn across and up.
PLANES = {"xy": (0, 1), "xz": (0, 2), "yz": (1, 2)}

# The largest displacement is drawn this fraction of the frame's size when no
# scale is given, as zervola-frame's drawing does.
_AUTO_SCALE_FRACTION = 0.08


def _new_axes(ax):
    if ax is not None:
        return ax
    try:
        import matplotlib.pyplot as plt
    except ImportError as error:
        raise ImportError("zervola.plotting needs matplotlib (Debian: apt-get install "
                          "python3-matplotlib; or pip install matplotlib)") from error
    _, ax = plt.subplots()
    return ax


def _plane(results, plane):
    """The plane's name and its two columns: the one given, else the
    coordinate plane the nodes lie in (x-y first), else x-z (an elevation of a
    space frame, z up)."""
    if plane is None:
        nodes = results.nodes
        for name, flat in (("xy", 2), ("xz", 1), ("yz", 0)):
            if np.ptp(nodes[:, flat]) == 0.0:
                plane = name
                break
        else:
            plane = "xz"
    try:
        return plane, PLANES[plane]
    except KeyError:
        raise ValueError(f"unknown plane {plane!r}: one of "
                         + ", ".join(repr(p) for p in PLANES)) from None


def _member(results, member):
    if isinstance(member, MemberResults):
        return member
    return results.member(member)


def deformed_shape(results, load_set):
    """dict member name -> (points, displacements): (n, 3) arrays over the
    member's stations (MemberResults.internal_forces), the undeformed points
    and their displacements in global axes."""
    shapes = {}
    for name in results.member_names:
        m = results.member(name)
        f = m.internal_forces(load_set)
        start = results.nodes[m.start_node - 1]
        points = start + np.outer(f.x, m.local_axes[0])
        displacements = np.column_stack((f.u, f.v, f.w)) @ m.local_axes
        shapes[name] = (points, displacements)
    return shapes


# A mode's shape is drawn through this many equal divisions of each member.
_MODE_DIVISIONS = 10


def _bending(v1, s1, v2, s2, length, release, xi):
    """A member's deflection across it at the fractions xi of its length,
    from its ends' deflections v1, v2 and slopes s1, s2: the cubic of a beam
    with no load between its ends (Hermite's), whose slope at a released end
    is its own (no moment there), not the node's."""
    if release == "pinned":
        return v1 + (v2 - v1) * xi
    if release == "hinge_end":
        e = v2 - v1 - s1 * length
        return v1 + s1 * length * xi + 1.5 * e * xi**2 - 0.5 * e * xi**3
    if release == "hinge_start":
        d = 0.5 * (s2 * length - (v2 - v1))
        return v1 + (v2 - v1 - d) * xi + d * xi**3
    return (v1 * (1 - 3 * xi**2 + 2 * xi**3) + s1 * length * (xi - 2 * xi**2 + xi**3)
            + v2 * (3 * xi**2 - 2 * xi**3) + s2 * length * (xi**3 - xi**2))


def _modal_results(results):
    if results.modal is None:
        raise KeyError("no natural modes: the model asks for none (Model.modal)")
    return results.modal


def mode_shape(results, number):
    """dict member name -> (points, displacements): (11, 3) arrays over ten
    equal divisions of each member, the undeformed points and the mode's
    displacements there in global axes, scaled to a largest translation of
    1 at the nodes (Mode.drawing_scale).

    Along a member, the axial displacement is linear between its ends and
    the deflections are the cubics that the ends' translations and rotations
    give (the beam element's own shape functions; at a released end the
    member's slope is free, its moment zero).

    Raises:
        KeyError: no natural modes, or no mode of that number.
    """
    mode = _modal_results(results).mode(number)
    shape = mode.shape * mode.drawing_scale
    releases = results._core.member_releases()
    xi = np.linspace(0.0, 1.0, _MODE_DIVISIONS + 1)
    shapes = {}
    for name in results.member_names:
        m = results.member(name)
        axes = m.local_axes
        a, b = shape[m.start_node - 1], shape[m.end_node - 1]
        ta, tb = axes @ a[:3], axes @ b[:3]    # local translations at the ends
        ra, rb = axes @ a[3:], axes @ b[3:]    # local rotations at the ends
        release = releases[m.index]
        u = ta[0] + (tb[0] - ta[0]) * xi
        # dv/dx = rz, dw/dx = -ry in the member's local axes.
        v = _bending(ta[1], ra[2], tb[1], rb[2], m.length, release, xi)
        w = _bending(ta[2], -ra[1], tb[2], -rb[1], m.length, release, xi)
        start = results.nodes[m.start_node - 1]
        points = start + np.outer(xi * m.length, axes[0])
        shapes[name] = (points, np.column_stack((u, v, w)) @ axes)
    return shapes


def auto_scale(results, shapes):
    """The scale at which the largest displacement of shapes (deformed_shape)
    is drawn 8% of the frame's size (the largest extent of its nodes); 1 when
    nothing moves."""
    largest = max((np.max(np.linalg.norm(d, axis=1)) for _, d in shapes.values()),
                  default=0.0)
    size = float(np.max(np.ptp(results.nodes, axis=0))) if len(results.nodes) else 0.0
    if largest == 0.0 or size == 0.0:
        return 1.0
    return _AUTO_SCALE_FRACTION * size / largest


def plot_frame(results, load_set=None, scale=None, ax=None, *, plane=None, labels=False):
    """Draws the members undeformed and, under a load set, deformed.

    The deformed shape passes through the stations of each member
    (MemberResults.internal_forces: x and the local u, v, w), so it curves
    as the members bend, not only as their ends move. A space frame is drawn
    projected on a coordinate plane.

    Args:
        results: Results.
        load_set: a load case or combination; None draws the undeformed frame only.
        scale: displacements drawn this many times their size; None: the
            largest drawn 8% of the frame's size (as zervola-frame's drawing).
        ax: a matplotlib Axes to draw into; None: a new figure's.
        plane: "xy", "xz" or "yz"; None: the coordinate plane the frame lies
            in (a plane frame: "xy"), else "xz".
        labels: write the members' names at their midpoints.
    Returns:
        The Axes. Its title names the load set and the scale.
    Raises:
        KeyError: no load case or combination named load_set.
        ValueError: an unknown plane, or a scale that is not positive.
        ImportError: no matplotlib.
    """
    _check_scale(scale)
    plane, columns = _plane(results, plane)
    shapes = deformed_shape(results, load_set) if load_set is not None else None
    ax = _new_axes(ax)
    scale = _draw(results, ax, plane, columns, shapes, scale, "deformed", labels)
    if shapes:
        ax.set_title(f"{load_set}: displacements × {scale:.4g}")
    return ax


def plot_mode(results, number, ax=None, scale=None, *, plane=None, labels=False):
    """Draws a natural mode's shape over the undeformed frame, as plot_frame
    draws a deformed shape: the members pass through ten equal divisions,
    curved as the mode bends them (mode_shape).

    Args:
        results: Results of a model that asks for its natural modes.
        number: the mode, 1 for the lowest.
        ax: a matplotlib Axes to draw into; None: a new figure's.
        scale: the drawn length of the mode's largest translation at a node;
            None: 8% of the frame's size (for the largest along the members).
        plane: "xy", "xz" or "yz"; None as plot_frame.
        labels: write the members' names at their midpoints.
    Returns:
        The Axes; each member's line has gid "mode:<member>", and the title
        names the mode, its frequency and period.
    Raises:
        KeyError: the model asks for no modes, or no mode of that number.
        ValueError: an unknown plane, or a scale that is not positive.
        ImportError: no matplotlib.
    """
    _check_scale(scale)
    mode = _modal_results(results).mode(number)
    plane, columns = _plane(results, plane)
    shapes = mode_shape(results, number)
    ax = _new_axes(ax)
    scale = _draw(results, ax, plane, columns, shapes, scale, "mode", labels)
    ax.set_title(f"mode {mode.number}: {mode.frequency:.4g} Hz, T = {mode.period:.4g} s "
                 f"(largest translation {scale:.4g})")
    return ax


def _check_scale(scale):
    if scale is not None and not scale > 0:
        raise ValueError(f"scale: a positive number is expected, not {scale!r}")


def _draw(results, ax, plane, columns, shapes, scale, kind, labels):
    """Draws the members undeformed (dashed under shapes) and shapes moved
    by scale times their displacements (auto_scale when None), lines with
    gids "undeformed:<member>" and "<kind>:<member>"; returns the scale."""
    i, j = columns
    for name in results.member_names:
        m = results.member(name)
        a, b = results.nodes[m.start_node - 1], results.nodes[m.end_node - 1]
        ax.plot([a[i], b[i]], [a[j], b[j]], color="0.6", linewidth=1.0,
                linestyle="--" if shapes else "-", gid=f"undeformed:{name}")
        if labels:
            ax.annotate(name, ((a[i] + b[i]) / 2, (a[j] + b[j]) / 2), fontsize="small",
                        ha="center", va="center", color="0.3")
    if shapes:
        if scale is None:
            scale = auto_scale(results, shapes)
        for name, (points, displacements) in shapes.items():
            drawn = points + scale * displacements
            ax.plot(drawn[:, i], drawn[:, j], color="C0", linewidth=1.5, gid=f"{kind}:{name}")
    ax.set_xlabel(plane[0])
    ax.set_ylabel(plane[1])
    ax.set_aspect("equal", adjustable="datalim")
    return scale


def plot_diagram(results, member, quantity, load_set, ax=None):
    """Draws one quantity along one member: x from its start across, the
    values up, as the arrays give them (zervola's signs: N positive in
    compression, moments in the end-force convention; sign_convention()).

    A concentrated load shows as a jump: its station is there twice.

    Args:
        results: Results.
        member: a member's name, or its MemberResults.
        quantity: one of QUANTITIES ("N", "Vy", "Vz", "T", "My", "Mz", "u", "v", "w").
        load_set: a load case or combination.
        ax: a matplotlib Axes to draw into; None: a new figure's.
    Returns:
        The Axes; the diagram is its line with gid "<quantity>:<member>".
    Raises:
        KeyError: no member or load set of that name.
        ValueError: an unknown quantity.
        ImportError: no matplotlib.
    """
    if quantity not in QUANTITIES:
        raise ValueError(f"unknown quantity {quantity!r}: one of "
                         + ", ".join(QUANTITIES))
    m = _member(results, member)
    f = m.internal_forces(load_set)
    values = getattr(f, quantity)
    ax = _new_axes(ax)
    ax.axhline(0.0, color="0.6", linewidth=0.8)
    ax.plot(f.x, values, color="C0", gid=f"{quantity}:{m.name}")
    ax.fill_between(f.x, values, 0.0, color="C0", alpha=0.2, linewidth=0)
    ax.set_xlim(0.0, m.length)
    ax.set_xlabel(f"x along {m.name}")
    ax.set_ylabel(quantity)
    ax.set_title(f"{m.name}: {quantity} under {load_set}")
    return ax

"""The results of one analysis as numpy arrays, and the outputs of zervola-frame.

Arrays are float64 and read-only, in the model's units and the JSON output's
order: row i of a node array is node i + 1 (nodes numbered by their first
appearance among the members' points), row e of a member array is the
model's member e. Node arrays have the columns ux, uy, uz, rx, ry, rz
(global axes); end forces the 12 columns of the start's and the end's
N, Vy, Vz, T, My, Mz in the member's local axes (sign_convention).
"""

import os
from typing import Dict, List, NamedTuple, Tuple

import numpy as np

from . import _core
from ._errors import warnings_of

QUANTITIES = ("N", "Vy", "Vz", "T", "My", "Mz", "u", "v", "w")

# The directions of the modal participation: translations along the global
# axes, rotations about the global axes through the origin.
DIRECTIONS = ("X", "Y", "Z", "RX", "RY", "RZ")


def _frozen(array):
    array.setflags(write=False)
    return array


class InternalForces(NamedTuple):
    """A member's internal forces and displacements along it, under one load
    set: arrays over its stations (ten equal divisions and every load point,
    twice at a concentrated load: just before and just after it).

    x: distance from the member's start; N, Vy, Vz, T, My, Mz: internal
    forces in the end-force convention continued along the member (N positive
    in compression, Mz' = Vy, My' = -Vz); u, v, w: local displacements;
    after: the station includes a concentrated load (of any load case) at x.
    """

    x: np.ndarray
    N: np.ndarray
    Vy: np.ndarray
    Vz: np.ndarray
    T: np.ndarray
    My: np.ndarray
    Mz: np.ndarray
    u: np.ndarray
    v: np.ndarray
    w: np.ndarray
    after: np.ndarray


class Bounds(NamedTuple):
    """An envelope's extremes: max and min arrays, the load set giving each
    (max_by, min_by: arrays of names) and, along members, where (x_max, x_min)."""

    max: np.ndarray
    min: np.ndarray
    max_by: np.ndarray
    min_by: np.ndarray
    x_max: np.ndarray
    x_min: np.ndarray


class Envelope:
    """The extremes over an envelope's load sets.

    Attributes:
        name, sets: its name and the load sets it covers.
        displacements: Bounds of (n_nodes, 6) arrays.
        reactions: Bounds of (n_supported, 6) arrays, rows as Results.reactions.
        end_forces: Bounds of (n_members, 12) arrays.
        stress: Bounds of (n_members, 2) arrays: column 0 the largest of the
            stress maxima, column 1 the smallest of the minima, with x.
        internal_forces: Bounds of (n_members, 9) arrays, columns QUANTITIES,
            the extremes along each member and where they occur.
    """

    def __init__(self, raw):
        self.name = raw["name"]
        self.sets = list(raw["sets"])
        names = np.array(self.sets, dtype=object)

        def bounds(b):
            return Bounds(_frozen(b["max"]), _frozen(b["min"]), _frozen(names[b["max_by"]]),
                          _frozen(names[b["min_by"]]), _frozen(b["x_max"]), _frozen(b["x_min"]))

        self.displacements = bounds(raw["displacements"])
        self.reactions = bounds(raw["reactions"])
        self.end_forces = bounds(raw["end_forces"])
        self.stress = bounds(raw["stress"])
        self.internal_forces = bounds(raw["diagram"])


class Mode(NamedTuple):
    """One natural mode (Results.modes), in the model's units with time in
    seconds.

    number: 1 for the lowest. eigenvalue: omega^2 (rad^2/s^2).
    circular_frequency: omega (rad/s); frequency: Hz; period: s, math.inf
    for a rigid-body mode. participation, effective_mass,
    effective_mass_ratio, cumulative_ratio: dicts keyed by DIRECTIONS ("X",
    "Y", "Z", "RX", "RY", "RZ"): Gamma_d = phi^T M r_d (phi mass-normalised),
    Gamma_d^2, its share of the movable mass of direction d, and the share of
    modes 1 to number. shape: read-only (n_nodes, 6) array, ux uy uz rx ry rz
    of every node (row i: node i + 1), mass-normalised (phi^T M phi = 1).
    drawing_scale: multiplies shape to a largest translation of 1.
    """

    number: int
    eigenvalue: float
    circular_frequency: float
    frequency: float
    period: float
    participation: Dict[str, float]
    effective_mass: Dict[str, float]
    effective_mass_ratio: Dict[str, float]
    cumulative_ratio: Dict[str, float]
    shape: np.ndarray
    drawing_scale: float


class MassSources(NamedTuple):
    """Where the mass came from, per global translation, before the supports
    take their share: members (the sections' density), points (the point
    masses), from_loads (list of (load case, mass) pairs, one per
    Model.add_mass_from_loads entry: the mass that case's loads give), total."""

    members: float
    points: float
    from_loads: List[Tuple[str, float]]
    total: float


class SturmCheck(NamedTuple):
    """K - shift M has count negative pivots, the number of eigenvalues below
    shift, and found_below of them were found: every mode below the highest
    reported was found when the two are equal."""

    shift: float
    count: int
    found_below: int

    @property
    def passed(self):
        return self.count == self.found_below


class Eigensolver(NamedTuple):
    """How the eigensolution went: the shift of its factorisation (below 0:
    rigid-body modes), the Lanczos vectors, those substituted, the
    factorisations, and the wall time (assembly included), in seconds."""

    shift: float
    basis_size: int
    vectors_substituted: int
    factorisations: int
    seconds: float


class SpectrumResults:
    """The response to the model's spectrum (Results.spectrum): every value a
    magnitude, combined over the modes and then the directions, to be taken
    with either sign.

    Attributes:
        name: the spectrum's name.
        modes: list of dicts {mode, period, acceleration (X, Y, Z),
            outside_spectrum, base_shear (X, Y, Z)}, one per mode combined.
        base_shear: (X, Y, Z) base shear of each excitation, combined.
        displacements: (n_nodes, 6) array; reactions: (n_supported, 6) with
            reaction_nodes; end_forces, end_displacements: (n_members, 12),
            local axes; stress_bound, stress_bound_x: (n_members,) the bound
            |N|/A + |My| z/Iy + |Mz| y/Iz and where it is largest.
    """

    def __init__(self, raw):
        self.name = raw["name"]
        self.modes = raw["modes"]
        self.base_shear = dict(zip(("X", "Y", "Z"), raw["base_shear"]))
        self.displacements = _frozen(raw["displacements"])
        self.reactions = _frozen(raw["reactions"])
        self.reaction_nodes = _frozen(raw["reaction_nodes"])
        self.end_forces = _frozen(raw["end_forces"])
        self.end_displacements = _frozen(raw["end_displacements"])
        self.stress_bound = _frozen(raw["stress_bound"])
        self.stress_bound_x = _frozen(raw["stress_bound_x"])
        self._stations = raw["stations"]

    def member_magnitudes(self, member_index):
        """(x, values): the stations of a member (0-based index) and the
        magnitudes of N, Vy, Vz, T, My, Mz, u, v, w there, (n_stations, 9)."""
        x, values = self._stations[member_index]
        return _frozen(x), _frozen(values)


class ModalResults:
    """The natural modes an analysis found (Results.modal).

    Attributes:
        modes: list of Mode, lowest first.
        mass_matrix: "consistent" or "lumped".
        mass: MassSources.
        movable_mass: dict keyed by DIRECTIONS: the mass (X, Y, Z) and
            rotary inertia about the global axes through the origin (RX, RY,
            RZ) that can move, the supports' share removed; the effective
            masses of all modes add up to it.
        directions_with_mass: at most this many modes exist.
        sturm: SturmCheck.
        eigensolver: Eigensolver.
    """

    def __init__(self, raw):
        directions = tuple(raw["directions"])

        def per_direction(values):
            return {d: float(v) for d, v in zip(directions, values)}

        self.mass_matrix = raw["mass_matrix"]
        m = raw["mass"]
        self.mass = MassSources(m["members"], m["points"], list(m["from_loads"]), m["total"])
        self.movable_mass = per_direction(raw["movable_mass"])
        self.directions_with_mass = raw["directions_with_mass"]
        self.sturm = SturmCheck(raw["sturm_shift"], raw["sturm_count"], raw["found_below"])
        self.eigensolver = Eigensolver(raw["shift"], raw["basis_size"], raw["vectors_substituted"],
                                       raw["factorisations"], raw["seconds"])
        self.modes = [Mode(mode["number"], mode["eigenvalue"], mode["circular_frequency"],
                           mode["frequency"], mode["period"],
                           per_direction(mode["participation"]),
                           per_direction(mode["effective_mass"]),
                           per_direction(mode["effective_mass_ratio"]),
                           per_direction(mode["cumulative_ratio"]),
                           _frozen(mode["shape"]), mode["drawing_scale"])
                      for mode in raw["modes"]]

    def _column(self, field):
        return _frozen(np.array([getattr(m, field) for m in self.modes], dtype=float))

    @property
    def frequencies(self):
        """(n_modes,) array of the frequencies, Hz."""
        return self._column("frequency")

    @property
    def circular_frequencies(self):
        """(n_modes,) array of the circular frequencies, rad/s."""
        return self._column("circular_frequency")

    @property
    def periods(self):
        """(n_modes,) array of the periods, s (inf for a rigid-body mode)."""
        return self._column("period")

    def table(self, field):
        """(n_modes, 6) array of a per-direction field of every mode
        ("participation", "effective_mass", "effective_mass_ratio",
        "cumulative_ratio"), columns DIRECTIONS."""
        if field not in ("participation", "effective_mass", "effective_mass_ratio",
                         "cumulative_ratio"):
            raise ValueError(f"unknown field {field!r}: one of participation, effective_mass, "
                             "effective_mass_ratio, cumulative_ratio")
        rows = [[getattr(m, field)[d] for d in DIRECTIONS] for m in self.modes]
        return _frozen(np.array(rows, dtype=float).reshape(len(rows), len(DIRECTIONS)))

    def mode(self, number):
        """The Mode of that number (1 = lowest)."""
        if isinstance(number, bool) or not 1 <= number <= len(self.modes):
            raise KeyError(f"no mode {number!r}: the analysis found modes 1 to {len(self.modes)}")
        return self.modes[number - 1]


class MemberResults:
    """One member's results: its geometry, and per load set its end forces,
    internal forces and their extremes.

    Attributes:
        name, index: the member's name and its index in the model.
        start_node, end_node: nodes (1-based) of its start and end.
        length: float.
        local_axes: (3, 3) array, rows x, y, z in global components.
    """

    def __init__(self, results, index):
        self._results = results
        self.index = index
        self.name = results.member_names[index]
        self.start_node = int(results._start[index])
        self.end_node = int(results._end[index])
        self.length = float(results._length[index])
        self.local_axes = results._axes[index]

    def end_forces(self, load_set):
        """(12,) array: the start's and the end's N, Vy, Vz, T, My, Mz, local axes."""
        return self._results.end_forces(load_set)[self.index]

    def end_displacements(self, load_set):
        """(12,) array: the ends' displacements and rotations, local axes."""
        return self._results.end_displacements(load_set)[self.index]

    def internal_forces(self, load_set):
        """InternalForces along the member under a load case or combination."""
        raw = self._results._core.diagram(self._results._set(load_set), self.index)
        return InternalForces(*(_frozen(raw[k]) for k in ("x",) + QUANTITIES + ("after",)))

    def extremes(self, load_set):
        """dict quantity -> (max, x_max, min, x_min): the exact extremes along the
        member (also between stations) of each of QUANTITIES."""
        table = self._results._core.extremes(self._results._set(load_set), self.index)
        return {q: tuple(float(v) for v in row) for q, row in zip(QUANTITIES, table)}


class Results:
    """What Model.analyse gives: every load case's and combination's results.

    Attributes:
        nodes: (n_nodes, 3) array of node coordinates.
        load_cases, combinations: lists of names; a load set is either.
        member_names: list of the members' names, in the model's order.
        envelopes: list of the envelopes' names.
        warnings: list of FrameWarning (the model's, then the analysis's).
        modal: ModalResults when the model asks for its natural modes, else None.
        modes: list of Mode (modal.modes), empty when none were asked for.
        spectrum: SpectrumResults when the model asks for a response
            spectrum, else None.
    """

    def __init__(self, core):
        self._core = core
        names = core.set_names
        self.load_cases = names[:core.n_cases]
        self.combinations = names[core.n_cases:]
        self._sets = {name: k for k, name in enumerate(names)}
        self.nodes = _frozen(core.nodes())
        self.member_names = core.member_names()
        self._members = {name: e for e, name in enumerate(self.member_names)}
        self._start, self._end, self._length, self._axes = (
            _frozen(a) for a in core.member_geometry())
        self.warnings = warnings_of(core.warnings())
        self.envelopes = core.envelope_names
        self._envelopes = {name: k for k, name in enumerate(self.envelopes)}
        raw_modal = core.modal()
        self.modal = ModalResults(raw_modal) if raw_modal is not None else None
        self.modes = self.modal.modes if self.modal is not None else []
        # Linear buckling (per set of the model's "buckling": set, combination,
        # compression, factors, shapes per node, members with N_Ed, N_cr and
        # buckling lengths) and the second-order sets (iterations, alpha_cr,
        # amplification, ...), as dicts; their sets' results are second-order.
        self.buckling = core.buckling()
        self.second_order = core.second_order()
        raw_spectrum = core.spectrum()
        self.spectrum = SpectrumResults(raw_spectrum) if raw_spectrum is not None else None

    def _set(self, name):
        try:
            return self._sets[name]
        except KeyError:
            raise KeyError(f"no load case or combination named {name!r}; there are "
                           + ", ".join(repr(n) for n in self._sets)) from None

    def displacements(self, load_set):
        """(n_nodes, 6) array: ux, uy, uz, rx, ry, rz of every node, global axes."""
        return _frozen(self._core.displacements(self._set(load_set)))

    def reactions(self, load_set):
        """(n_supported, 6) array: what supports and springs exert on each
        supported node (rows in the order of reaction_nodes)."""
        return _frozen(self._core.reactions(self._set(load_set))[1])

    def reaction_nodes(self, load_set):
        """(n_supported,) array of the supported nodes (1-based), the rows of reactions."""
        return _frozen(self._core.reactions(self._set(load_set))[0])

    def end_forces(self, load_set):
        """(n_members, 12) array of end forces in local axes."""
        return _frozen(self._core.end_forces(self._set(load_set)))

    def end_displacements(self, load_set):
        """(n_members, 12) array of end displacements in local axes."""
        return _frozen(self._core.end_displacements(self._set(load_set)))

    def stresses(self, load_set):
        """dict of (n_members,) arrays: max, min (along the whole member, tension
        positive), x_max, x_min (where), end_max, end_min (at its ends)."""
        return {k: _frozen(v) for k, v in self._core.stresses(self._set(load_set)).items()}

    def equilibrium(self, load_set):
        """dict: applied and reaction forces and moments (about the origin), the
        residuals and the relative residuals of the equilibrium check."""
        return self._core.equilibrium(self._set(load_set))

    def member(self, name):
        """MemberResults of the member of that name."""
        try:
            return MemberResults(self, self._members[name])
        except KeyError:
            raise KeyError(f"no member named {name!r}") from None

    def envelope(self, name):
        """Envelope of that name."""
        try:
            return Envelope(self._core.envelope(self._envelopes[name]))
        except KeyError:
            raise KeyError(f"no envelope named {name!r}") from None

    @property
    def solver(self):
        """dict: the factorisation that solved the load cases ("used":
        "skyline" or "supernodal"), whether the call asked for it
        ("forced"), whether the skyline's store fits the library's 32-bit
        addresses ("skyline_addressable"; when not, only the supernodal
        solver can solve the model), whether its store fits the memory
        the process may use ("skyline_fits_memory"; when not, the
        automatic choice takes the supernodal solver where it fits), and
        each one's predicted
        floating-point operations and factor bytes (skyline_flops,
        skyline_bytes, supernodal_flops, supernodal_bytes, and
        supernodal_working_bytes, what the supernodal solver holds beside
        its factor at its peak on one thread; 0 where not counted)."""
        return self._core.solver()

    @property
    def times(self):
        """dict of wall-clock seconds: mesh, solution, recovery."""
        return self._core.times()

    # -- zervola-frame's outputs ----------------------------------------------

    def to_json(self, timings=False):
        """Every result as zervola-frame's JSON document (--json --no-timings),
        as text; timings: include the eigensolver's wall time, which differs
        from run to run (it stays in modal.eigensolver.seconds)."""
        return self._core.json(timings)

    def report(self, summary=False, timings=False):
        """zervola-frame's readable report (summary: --summary; timings as
        for to_json)."""
        return self._core.report(summary, timings)

    def svg(self, view="auto", scale=None, diagram="none", labels=True, load_set=None):
        """zervola-frame's drawing (--svg) as text.

        Args:
            view: "auto", "xy", "xz", "yz" or "axonometric" (--view).
            scale: displacements drawn this many times their size (--scale).
            diagram: "none", "moment", "shear" or "axial" (--diagram).
            labels: node and member labels (False: --no-labels).
            load_set: draw only this load case or combination (--svg-case).
        Raises:
            ModelError: load_set names no load case or combination.
            ValueError: an unknown view or diagram.
        """
        return self._core.svg(view, scale, diagram, labels, load_set)

    def to_html(self, stations=True):
        """zervola-frame's 3D view (--html) as text: one HTML page that opens
        in a browser with no network and draws the frame, its deformed
        shape, the diagrams of every load set and envelope, supports, loads
        and mode shapes (docs/python.md).

        Args:
            stations: the diagrams at every station along the members
                (False: from the members' ends only, as --no-stations; a
                page many times smaller for a large model).
        Raises:
            OutputError: the view's files are not installed, or three.js was
                not found when zervola was built (Debian's libjs-three).
        """
        return self._core.html(stations)

    def to_dxf(self, load_set=None, scale=None):
        """zervola-frame's results in CAD (--dxf) as text: a DXF drawing with
        the frame, the member names, a legend and per load set layers for
        the deformed shape, the moment, shear and axial diagrams with their
        extremes, and the reactions (docs/model-format.md, "Results in
        CAD"). A model read from a file that names a drawing, and not
        changed since, gets that drawing back, whole, with the results
        added in its unit; a model changed after reading (its drawing's
        members are then its own) gets a drawing of its own.

        Args:
            load_set: draw only this load case or combination (--dxf-set).
            scale: displacements drawn this many times their size (--scale).
        Raises:
            ModelError: load_set names no load case or combination.
            OutputError: the model's drawing cannot be read again.
        """
        return self._core.dxf(load_set, scale)

    def write_dxf(self, path, load_set=None, scale=None):
        """Writes to_dxf(load_set, scale) to path, whole or not at all.
        Raises as to_dxf, and OutputError."""
        _core.write_files([(os.fspath(path), self.to_dxf(load_set, scale))])

    def write_json(self, path):
        """Writes to_json() to path, whole or not at all. Raises OutputError."""
        _core.write_files([(os.fspath(path), self.to_json())])

    def write_svg(self, path, **options):
        """Writes svg(**options) to path, whole or not at all. Raises OutputError."""
        _core.write_files([(os.fspath(path), self.svg(**options))])

    def write_html(self, path, stations=True):
        """Writes to_html(stations) to path, whole or not at all. Raises
        OutputError."""
        _core.write_files([(os.fspath(path), self.to_html(stations))])

    def write_csv(self, directory):
        """Writes zervola-frame's CSV tables (--csv) into directory (made if
        missing), the set whole or not at all. Raises OutputError."""
        directory = os.fspath(directory)
        os.makedirs(directory, exist_ok=True)
        _core.write_files([(os.path.join(directory, name), text)
                           for name, text in self._core.csv().items()])

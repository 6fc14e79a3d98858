"""Frame models: read from a file, or built item by item.

A Model holds its document in zervola's model format (docs/model-format.md)
and a checked copy made by the C++ reader. The builder methods append to the
document and check nothing beyond the shapes of their arguments: the C++
reader checks the whole model when it is analysed (or by :meth:`Model.check`)
and raises :class:`ModelError` with zervola-frame's message, which names the
item by its place in the document (``member "B1" (members[1]): field
"section": ...``).
"""

import json
from numbers import Integral, Real

from . import _core
from ._errors import ModelError, StrictError, warnings_of
from .results import Results

# The name a model built in Python has in messages, as a file name would.
_BUILT_MODEL_NAME = "<model>"


def _number(value, what):
    if isinstance(value, bool) or not isinstance(value, Real):
        raise TypeError(f"{what}: a number is expected, not {value!r}")
    return float(value)


def _vector(value, what, size=3):
    try:
        items = list(value)
    except TypeError:
        raise TypeError(f"{what}: a sequence of {size} numbers is expected, not {value!r}") from None
    if len(items) != size:
        raise ValueError(f"{what}: {size} numbers are expected, not {len(items)}")
    return [_number(v, what) for v in items]


def _whole(value, what):
    """A whole number kept as an int (JSON 2, not 2.0); another number is
    passed on as it is, for the C++ reader to refuse with its message."""
    if isinstance(value, Integral) and not isinstance(value, bool):
        return int(value)
    return _number(value, what)


def _ec8_parameters(given):
    """The "ec8" object of a spectrum: type a whole number, ground as given,
    the others numbers; unknown keys are left for the C++ reader to name."""
    out = {}
    for key, value in dict(given).items():
        if key == "type":
            out[key] = _whole(value, "spectrum: ec8 type")
        elif key in ("ground", "comment"):
            out[key] = value
        else:
            out[key] = _number(value, f"spectrum: ec8 {key}")
    return out


def _imperfection(value):
    direction, phi = value
    return {"direction": direction, "phi": _number(phi, "imperfection: phi")}


def _put(entry, key, value, convert=None):
    """Sets entry[key] when value is given (not None), converted."""
    if value is not None:
        entry[key] = convert(value) if convert else value


class Model:
    """A frame model: sections, members, supports, springs, load cases with
    nodal and member loads, combinations and envelopes (docs/model-format.md),
    and for its dynamics point masses, masses from load cases, the natural
    modes and a response spectrum asked for.

    Args:
        units: (force, length), such as ("kN", "m") or ("N", "mm"); every
            number of the model is in these units.
        frame: "space" (six degrees of freedom per node) or "plane" (the
            frame lies in an x-y plane and moves in it).
        title: optional title of the reports.
        material: the named material of sections that name none ("S355").
        gravity: acceleration of self-weight, length/s^2 (default 9.81 m/s^2
            in the model's units).
        connect_crossings: cut members where they cross or end on another's
            span, and connect them there.

    Raises:
        ModelError: (from analyse and check) any fault of the model.
    """

    def __init__(self, units=("kN", "m"), frame="space", title=None, *, material=None,
                 gravity=None, connect_crossings=None):
        force, length = (units["force"], units["length"]) if isinstance(units, dict) else units
        self._doc = {}
        _put(self._doc, "title", title)
        self._doc["units"] = {"force": force, "length": length}
        self._doc["frame"] = frame
        _put(self._doc, "material", material)
        _put(self._doc, "gravity", gravity, lambda g: _number(g, "gravity"))
        _put(self._doc, "connect_crossings", connect_crossings)
        self._name = _BUILT_MODEL_NAME
        self._path = None      # the file, while the model is as read from it
        self._dxf_units = None  # the unit its drawing was read in, if given
        self._checked = None   # the C++ reader's model of the document, once made
        self._cases = None     # load case name -> its entry in the document

    @classmethod
    def _read(cls, path, dxf_units=None):
        model = cls.__new__(cls)
        model._checked = _core.read_model(str(path), dxf_units=dxf_units)
        model._doc = json.loads(_core.model_document(str(path), dxf_units=dxf_units))
        model._name = str(path)
        model._path = str(path)
        model._dxf_units = dxf_units
        model._cases = None
        return model

    # -- the document ------------------------------------------------------

    def _changed(self):
        self._checked = None
        self._path = None

    def _list(self, key):
        self._changed()
        return self._doc.setdefault(key, [])

    def _case(self, name):
        if self._cases is None:
            self._cases = {c.get("name"): c for c in self._doc.get("load_cases", [])}
        try:
            case = self._cases[name]
        except KeyError:
            raise ModelError(f"{self._name}: no load case \"{name}\": add it with "
                             "add_load_case first") from None
        self._changed()
        return case

    def to_json(self, indent=None):
        """The model in zervola's model format (docs/model-format.md), as text.

        A model read from a file gives that file's document without its
        comments, with the members of a DXF drawing it names written out as
        members; :func:`zervola.read` of the text gives the same model back.

        Args:
            indent: passed to json.dumps (None: one line).
        """
        return json.dumps(self._doc, indent=indent, allow_nan=False)

    def check(self):
        """Checks the whole model as zervola-frame does before an analysis
        (syntax, structure, meaning) and returns self.

        Raises:
            ModelError: the first fault, naming the item and the field.
        """
        self._checked_model()
        return self

    def _checked_model(self, connect_crossings=False):
        if connect_crossings:
            if self._path is not None:
                return _core.read_model(self._path, connect_crossings=True,
                                        dxf_units=self._dxf_units)
            return _core.parse_model(self.to_json(), self._name, connect_crossings=True)
        if self._checked is None:
            self._checked = _core.parse_model(self.to_json(), self._name)
        return self._checked

    # -- what the model holds -----------------------------------------------

    @property
    def title(self):
        return self._doc.get("title", "")

    @property
    def units(self):
        """(force, length)."""
        u = self._doc.get("units", {})
        return (u.get("force"), u.get("length"))

    @property
    def frame(self):
        return self._doc.get("frame", "space")

    @property
    def member_names(self):
        """The members' names, as checked (default names and DXF members included)."""
        return self._checked_model().member_names

    @property
    def masses(self):
        """list of dict (name, at, mass, rotary_inertia), the point masses as
        checked: unnamed masses are M1, M2, ... by position."""
        return self._checked_model().masses

    @property
    def modal_request(self):
        """The natural modes asked for, as checked: {"modes": n,
        "mass_matrix": "consistent" | "lumped"}, or None."""
        return self._checked_model().modal

    @property
    def spectrum_request(self):
        """The response spectrum asked for, as checked, in the model format's
        words with every default filled in ("name", "table" or "ec8",
        "damping", "directions", "direction_factors", "modal_combination",
        "directional_combination"), or None; its results are
        Results.spectrum."""
        return self._checked_model().spectrum

    @property
    def warnings(self):
        """list of FrameWarning found while reading the model (unknown units,
        entities of a drawing that are no members)."""
        return warnings_of(self._checked_model().warnings)

    # -- building -----------------------------------------------------------

    def add_section(self, name, *, profile=None, shape=None, material=None, **properties):
        """Adds a section (docs/model-format.md, "Sections"), in one of four ways:

        - ``profile="IPE 300"``: a catalogue section, with ``material``;
        - ``shape="rectangle"`` (``"circle"``, ``"hollow_circle"``,
          ``"hollow_rectangle"``, ``"i"``) with its dimensions ``b``, ``h``,
          ``d``, ``t``, ``tw``, ``tf``;
        - by its own axes: ``A``, ``It``, ``I_strong``, ``I_weak``,
          ``depth``, ``width``;
        - in local axes: ``A``, ``It``, ``Iy``, ``Iz``, ``extent_y``, ``extent_z``.

        ``E`` and ``G`` (required without a material), ``thermal_coefficient``
        and ``density`` go with any of them and replace the material's.

        Args:
            name: unique, used by members.
            profile, shape, material: str or None.
            properties: the section's numbers by their names in the format.
        Raises:
            TypeError: a property that is no number.
        """
        entry = {"name": name}
        _put(entry, "profile", profile)
        _put(entry, "shape", shape)
        _put(entry, "material", material)
        for key, value in properties.items():
            entry[key] = _number(value, f"section {name!r}: {key}")
        self._list("sections").append(entry)

    def add_member(self, name, start, end, section, *, release=None, orientation_point=None,
                   temperature_change=None):
        """Adds a member from point ``start`` to point ``end``.

        Args:
            name: unique name.
            start, end: the points [x, y, z]; start is the member's "from".
            section: a section's name, or a catalogue profile ("HEB 200") in
                the model's material.
            release: "none", "hinge_start", "hinge_end" or "pinned".
            orientation_point: local z lies in the plane of the member and
                this point, towards it.
            temperature_change: uniform temperature change, for the stresses.
        Raises:
            TypeError, ValueError: a point that is not three numbers.
        """
        entry = {"name": name, "from": _vector(start, f"member {name!r}: start"),
                 "to": _vector(end, f"member {name!r}: end"), "section": section}
        _put(entry, "release", release)
        _put(entry, "orientation_point", orientation_point,
             lambda p: _vector(p, f"member {name!r}: orientation_point"))
        _put(entry, "temperature_change", temperature_change,
             lambda t: _number(t, f"member {name!r}: temperature_change"))
        self._list("members").append(entry)

    def add_support(self, at, type="fixed", *, name=None, direction=None, restrain=None,
                    displacement=None):
        """Adds a support at a node.

        Args:
            at: the point [x, y, z] of a node.
            type: "fixed", "pinned", "roller" (with ``direction`` "x", "y" or
                "z") or "custom" (with ``restrain``, a list of "ux" ... "rz").
            name: carried into the reactions of every output when given.
            displacement: prescribed values of restrained directions,
                {"uz": -0.01} (a settlement).
        """
        entry = {}
        _put(entry, "name", name)
        entry["at"] = _vector(at, "support: at")
        entry["type"] = type
        _put(entry, "direction", direction)
        _put(entry, "restrain", restrain, list)
        _put(entry, "displacement", displacement,
             lambda d: {k: _number(v, f"support: displacement {k}") for k, v in d.items()})
        self._list("supports").append(entry)

    def add_spring(self, at, *, name=None, translational=None, rotational=None, **stiffness):
        """Adds a spring at a node: ``kx``, ``ky``, ``kz`` (force/length),
        ``krx``, ``kry``, ``krz`` (moment/radian) along or about global axes,
        and ``translational=(k, [dx, dy, dz])`` or ``rotational=(k, [ax, ay, az])``
        along any direction or about any axis."""
        entry = {}
        _put(entry, "name", name)
        entry["at"] = _vector(at, "spring: at")
        for key, value in stiffness.items():
            entry[key] = _number(value, f"spring: {key}")
        if translational is not None:
            k, d = translational
            entry["translational"] = {"stiffness": _number(k, "spring: translational"),
                                      "direction": _vector(d, "spring: direction")}
        if rotational is not None:
            k, a = rotational
            entry["rotational"] = {"stiffness": _number(k, "spring: rotational"),
                                   "axis": _vector(a, "spring: axis")}
        self._list("springs").append(entry)

    def add_load_case(self, name, *, gravity=None, self_weight=None, second_order=None,
                      imperfection=None):
        """Adds a load case, to which nodal loads, member loads and support
        displacements are then added by its name.

        Args:
            gravity: [gx, gy, gz]: every member carries its self-weight,
                density * A * gravity per unit length.
            self_weight: True: the same with the model's gravity pointing down.
            second_order: True: analysed on the deformed geometry.
            imperfection: (direction, phi), direction "X" or "Y": a sway
                imperfection of a second-order case (EN 1993-1-1 5.3.2).
        """
        entry = {"name": name}
        _put(entry, "gravity", gravity, lambda g: _vector(g, f"load case {name!r}: gravity"))
        _put(entry, "self_weight", self_weight, bool)
        _put(entry, "second_order", second_order, bool)
        _put(entry, "imperfection", imperfection, _imperfection)
        self._list("load_cases").append(entry)
        if self._cases is not None:
            self._cases[name] = entry

    def add_nodal_load(self, case, at, *, force=None, moment=None, name=None):
        """Adds a load at a node to a load case: ``force`` [Fx, Fy, Fz] and
        ``moment`` [Mx, My, Mz] in global axes.

        Raises:
            ModelError: no load case of that name.
        """
        entry = {}
        _put(entry, "name", name)
        entry["at"] = _vector(at, "load: at")
        _put(entry, "force", force, lambda f: _vector(f, "load: force"))
        _put(entry, "moment", moment, lambda m: _vector(m, "load: moment"))
        self._case(case).setdefault("loads", []).append(entry)

    def add_member_load(self, case, member, type="distributed", *, value=None, axes=None,
                        start=None, end=None, start_value=None, end_value=None, position=None,
                        relative=None, uniform=None, difference_y=None, difference_z=None):
        """Adds a load along a member to a load case
        (docs/model-format.md, "Member loads and self-weight").

        Args:
            case: the load case's name.
            member: the member's name.
            type: "distributed", "force", "moment" or "temperature".
            value: a uniform intensity [qx, qy, qz], or the force or moment.
            axes: "global" (default), "local" or "global_projected".
            start, end: where a distributed load begins and ends.
            start_value, end_value: a trapezoid's intensities.
            position: where a force or moment acts.
            relative: True: start, end and position are fractions of the length.
            uniform, difference_y, difference_z: a temperature load.
        Raises:
            ModelError: no load case of that name.
        """
        entry = {"member": member, "type": type}
        _put(entry, "axes", axes)
        vectors = {"value": value, "start_value": start_value, "end_value": end_value}
        for key, v in vectors.items():
            _put(entry, key, v, lambda x, key=key: _vector(x, f"member load on {member!r}: {key}"))
        numbers = {"start": start, "end": end, "position": position, "uniform": uniform,
                   "difference_y": difference_y, "difference_z": difference_z}
        for key, v in numbers.items():
            _put(entry, key, v, lambda x, key=key: _number(x, f"member load on {member!r}: {key}"))
        _put(entry, "relative", relative, bool)
        self._case(case).setdefault("member_loads", []).append(entry)

    def add_support_displacement(self, case, at, **values):
        """Gives, in one load case, values to restrained directions of the
        support at a point (``uz=-0.01``), replacing the support's own."""
        entry = {"at": _vector(at, "support displacement: at"),
                 "displacement": {k: _number(v, f"support displacement: {k}")
                                  for k, v in values.items()}}
        self._case(case).setdefault("support_displacements", []).append(entry)

    def add_combination(self, name, factors, *, second_order=None, imperfection=None):
        """Adds a combination: a dict of load case name -> factor. A
        second-order combination combines its loads first and is then
        analysed on the deformed geometry (second-order results do not
        superpose); imperfection: (direction, phi) as for add_load_case."""
        entry = {"name": name,
                 "factors": {k: _number(v, f"combination {name!r}: {k}") for k, v in factors.items()}}
        _put(entry, "second_order", second_order, bool)
        _put(entry, "imperfection", imperfection, _imperfection)
        self._list("combinations").append(entry)

    def add_envelope(self, name, combinations):
        """Adds an envelope over a list of combinations (or load cases)."""
        self._list("envelopes").append({"name": name, "combinations": list(combinations)})

    # -- dynamics -----------------------------------------------------------

    def add_mass(self, at, mass, *, rotary_inertia=None, name=None):
        """Adds a mass at a node, beside the members' own (their sections'
        ``density``): it acts in the three translations.

        Args:
            at: the point [x, y, z] of a node.
            mass: in force * s^2 / length (kN and m: t), from 0 on.
            rotary_inertia: [Ix, Iy, Iz] about global axes through the node
                (mass * length^2); a plane frame takes [0, 0, Iz] only.
            name: named in messages; default M1, M2, ... by position.
        Raises:
            TypeError, ValueError: a point or an inertia that is not three
                numbers, a mass that is no number.
        """
        entry = {}
        _put(entry, "name", name)
        entry["at"] = _vector(at, "mass: at")
        entry["mass"] = _number(mass, "mass: mass")
        _put(entry, "rotary_inertia", rotary_inertia,
             lambda r: _vector(r, "mass: rotary_inertia"))
        self._list("masses").append(entry)

    def add_mass_from_loads(self, case, factor=1.0):
        """Takes mass from a load case's loads, as seismic codes ask: the
        downward component of its nodal and member loads, times factor, over
        the model's ``gravity`` (which must be given). The case's
        self-weight is not taken: the sections' density gives it.

        Args:
            case: the load case's name (checked when the model is).
            factor: positive, such as 0.3 for a share of the imposed load.
        """
        self._list("mass_from_loads").append(
            {"case": case, "factor": _number(factor, f"mass from loads {case!r}: factor")})

    def buckling(self, sets, modes=1):
        """Asks for the ``modes`` lowest critical load factors of each load
        case or combination named in ``sets`` (replacing an earlier request).
        """
        self._changed()
        self._doc["buckling"] = {"sets": list(sets), "modes": _whole(modes, "buckling: modes")}

    def modal(self, modes, mass_matrix="consistent"):
        """Asks for the ``modes`` lowest natural modes (replacing an earlier
        request). A model asking for modes may have no load case; it needs
        mass (a section's density, add_mass or add_mass_from_loads).

        Args:
            modes: how many, from 1 to the number of directions with mass.
            mass_matrix: "consistent" or "lumped".
        Raises:
            TypeError: modes that is no number.
        """
        self._changed()
        self._doc["modal"] = {"modes": _whole(modes, "modal: modes"), "mass_matrix": mass_matrix}

    def spectrum(self, *, table=None, ec8=None, damping=None, directions=None,
                 modal_combination=None, directional_combination=None, name=None):
        """Asks for a response-spectrum load set (replacing an earlier one),
        as the model format's "spectrum": exactly one of ``table`` and
        ``ec8``; what is not given takes the format's default. It needs
        :meth:`modal`. Only its input is read for now: the analysis does not
        yet give its results.

        Args:
            table: [(period s, acceleration length/s^2), ...], periods
                increasing, at least two points.
            ec8: EN 1998-1's spectrum, dict(type=1, ground="B", ag=...,
                q=..., beta=0.2): with q the design spectrum, without it
                the elastic one (ag in length/s^2).
            damping: ratio of critical, strictly inside (0, 1); default 0.05.
            directions: the directions excited, any of "X", "Y", "Z";
                default ("X", "Y").
            modal_combination: "CQC" (default) or "SRSS".
            directional_combination: "SRSS" (default) or "100/30".
            name: the load set's name; default "spectrum".
        Raises:
            TypeError, ValueError: a table point that is not two numbers, a
                damping that is no number.
        """
        entry = {}
        _put(entry, "name", name)
        _put(entry, "table", table,
             lambda t: [_vector(p, "spectrum: table point", size=2) for p in t])
        _put(entry, "ec8", ec8, _ec8_parameters)
        _put(entry, "damping", damping, lambda d: _number(d, "spectrum: damping"))
        _put(entry, "directions", directions, list)
        _put(entry, "modal_combination", modal_combination)
        _put(entry, "directional_combination", directional_combination)
        self._changed()
        self._doc["spectrum"] = entry

    # -- analysis -----------------------------------------------------------

    def analyse(self, *, numbering="auto", solver="auto", threads=0, connect_crossings=False,
                strict=False):
        """Analyses every load case and combination, as zervola-frame does.

        The C++ analysis runs with the GIL released: independent models
        analyse in parallel on a thread pool.

        Args:
            numbering: "auto", "band" or "profile" (--numbering): how the
                equations are numbered; results do not depend on it beyond
                rounding.
            solver: "auto", "skyline" or "supernodal" (--solver): which
                factorisation solves the load cases; Results.solver says
                which did and what each was predicted to cost.
            threads: threads of the supernodal factorisation (--threads);
                0, every processor.
            connect_crossings: cut members where they cross (--connect-crossings).
            strict: raise StrictError when there is any warning (--strict).
        Returns:
            Results.
        Raises:
            ModelError: a fault of the model, or a support or load on no node.
            AnalysisError: not in one piece, a mechanism, ... (with .node and
                .warnings).
            StrictError: strict and a warning.
            ValueError: an unknown numbering or solver, or negative threads.
        """
        checked = self._checked_model(connect_crossings)
        if strict and checked.warnings:
            raise StrictError(warnings_of(checked.warnings))
        results = Results(_core.analyse(checked, numbering, solver, threads))
        if strict and results.warnings:
            raise StrictError(results.warnings)
        return results


def read(path, dxf_units=None):
    """Reads a model file as zervola-frame does: the JSON model (comments
    allowed) and the members of the DXF drawing it names.

    Args:
        path: the model file (str or path-like).
        dxf_units: the unit its drawing is drawn in ("mm", "cm", "m", "in",
            "ft"), over the file's "dxf_units" and the drawing's $INSUNITS
            (--dxf-units); its coordinates are converted to the model's.
    Returns:
        Model.
    Raises:
        ModelError: the file cannot be read, or any fault of its syntax,
            structure or meaning (with file:line:column, or item and field).
    """
    return Model._read(path, dxf_units)

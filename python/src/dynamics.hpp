#pragma once

// The dynamics of a model as Python values: its masses, the natural modes
// and the response spectrum it asks for (in the model format's words, so
// that they compare with the document), and the natural modes an analysis
// found. Numbers are copied as they are; nothing is computed here.

#include <pybind11/pybind11.h>

#include <optional>

#include "zervola/frame/model.hpp"
#include "zervola/frame/modes.hpp"
#include "zervola/frame/seismic_results.hpp"
#include "zervola/frame/stability.hpp"
#include <vector>

namespace zervola::python {

// [{"name", "at": (x, y, z), "mass", "rotary_inertia": (Ix, Iy, Iz)}, ...]
pybind11::list point_masses(const frame::Model& model);

// [(load case, factor), ...]
pybind11::list masses_from_loads(const frame::Model& model);

// None, or {"modes", "mass_matrix": "consistent" | "lumped"}.
pybind11::object modal_request(const frame::Model& model);

// None, or the request as the model format writes it, every default filled
// in: {"name", "table": [(T, a), ...]} or {"name", "ec8": {"type", "ground",
// "ag"[, "q", "beta"]}}, then "damping", "directions" (["X", "Y"]),
// "direction_factors" ((fx, fy, fz)), "modal_combination" ("CQC" | "SRSS"),
// "directional_combination" ("SRSS" | "100/30").
pybind11::object spectrum_request(const frame::Model& model);

// None, or a dict of the ModalResult's fields: "mass_matrix", "mass"
// {"members", "points", "from_loads": [(case, mass)], "total"},
// "movable_mass" (6,), "directions" (the six names of the columns), the
// Sturm and eigensolver figures, and "modes": a list of dicts of each
// Mode's fields, "shape" an (n_nodes, 6) array and the four per-direction
// fields (6,) arrays.
pybind11::object modal_result(const std::optional<frame::ModalResult>& modal);
// Per buckling set (AnalysisResult::buckling) and per second-order set.
pybind11::list buckling_result(const std::vector<frame::BucklingSet>& sets);
pybind11::list second_order_result(const std::vector<frame::SecondOrderSet>& sets);

// The response to the spectrum as a dict of numbers and arrays (None when
// the model asks for none): name, modes [{mode, period, acceleration,
// outside_spectrum, base_shear}], base_shear (X, Y, Z), displacements
// (n_nodes, 6), reactions (n_supported, 6) with reaction_nodes, end_forces
// and end_displacements (n_members, 12), stress_bound and stress_bound_x
// (n_members), stations: per member (x, (n_stations, 9) magnitudes).
pybind11::object spectrum_result(const std::optional<frame::SpectrumResult>& spectrum);

}  // namespace zervola::python

// The dynamics of a model and of its results as Python values (dynamics.hpp).

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <string>

#include "dynamics.hpp"

namespace py = pybind11;

namespace zervola::python {
namespace {

const char* mass_matrix_name(frame::MassMatrix m) {
  return m == frame::MassMatrix::lumped ? "lumped" : "consistent";
}

template <std::size_t N>
py::array_t<double> row(const std::array<double, N>& values) {
  return py::array_t<double>(static_cast<py::ssize_t>(N), values.data());
}

py::array_t<double> shape_array(const std::vector<std::array<double, 6>>& shape) {
  const auto n = static_cast<py::ssize_t>(shape.size());
  py::array_t<double> out({n, py::ssize_t{6}});
  auto view = out.mutable_unchecked<2>();
  for (py::ssize_t i = 0; i < n; ++i)
    for (py::ssize_t j = 0; j < 6; ++j)
      view(i, j) = shape[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  return out;
}

py::dict ec8_parameters(const frame::ResponseSpectrum& s) {
  py::dict d;
  d["type"] = s.ec8.type;
  d["ground"] = std::string(1, s.ec8.ground_type);
  d["ag"] = s.ec8.ag;
  if (s.shape == frame::SpectrumShape::ec8_design) {
    d["q"] = s.ec8.behaviour_factor;
    d["beta"] = s.ec8.lower_bound_factor;
  }
  return d;
}

py::dict mode_fields(const frame::Mode& mode) {
  py::dict d;
  d["number"] = mode.number;
  d["eigenvalue"] = mode.eigenvalue;
  d["circular_frequency"] = mode.circular_frequency;
  d["frequency"] = mode.frequency;
  d["period"] = mode.period;
  d["participation"] = row(mode.participation);
  d["effective_mass"] = row(mode.effective_mass);
  d["effective_mass_ratio"] = row(mode.effective_mass_ratio);
  d["cumulative_ratio"] = row(mode.cumulative_ratio);
  d["shape"] = shape_array(mode.shape);
  d["drawing_scale"] = mode.drawing_scale;
  return d;
}

}  // namespace

py::list point_masses(const frame::Model& model) {
  py::list out;
  for (const frame::PointMass& m : model.masses) {
    py::dict d;
    d["name"] = m.name;
    d["at"] = py::make_tuple(m.at.x, m.at.y, m.at.z);
    d["mass"] = m.mass;
    d["rotary_inertia"] = py::make_tuple(m.rotary_inertia[0], m.rotary_inertia[1], m.rotary_inertia[2]);
    out.append(d);
  }
  return out;
}

py::list masses_from_loads(const frame::Model& model) {
  py::list out;
  for (const frame::MassFromLoads& m : model.mass_from_loads)
    out.append(py::make_tuple(m.load_case, m.factor));
  return out;
}

py::object modal_request(const frame::Model& model) {
  if (!model.modal) return py::none();
  py::dict d;
  d["modes"] = model.modal->modes;
  d["mass_matrix"] = mass_matrix_name(model.modal->mass_matrix);
  return d;
}

py::object spectrum_request(const frame::Model& model) {
  if (!model.spectrum) return py::none();
  const frame::SpectrumRequest& r = *model.spectrum;
  py::dict d;
  d["name"] = r.name;
  if (r.spectrum.shape == frame::SpectrumShape::table) {
    py::list table;
    for (const std::array<double, 2>& point : r.spectrum.table)
      table.append(py::make_tuple(point[0], point[1]));
    d["table"] = table;
  } else {
    d["ec8"] = ec8_parameters(r.spectrum);
  }
  d["damping"] = r.spectrum.damping;
  static constexpr std::array<const char*, 3> k_axes = {"X", "Y", "Z"};
  py::list directions;
  for (std::size_t k = 0; k < k_axes.size(); ++k)
    if (r.directions[k]) directions.append(k_axes[k]);
  d["directions"] = directions;
  d["direction_factors"] =
      py::make_tuple(r.direction_factors[0], r.direction_factors[1], r.direction_factors[2]);
  d["modal_combination"] = r.modal == frame::ModalCombination::srss ? "SRSS" : "CQC";
  d["directional_combination"] =
      r.directional == frame::DirectionalCombination::rule_100_30 ? "100/30" : "SRSS";
  return d;
}

py::list buckling_result(const std::vector<frame::BucklingSet>& sets) {
  py::list out;
  for (const frame::BucklingSet& b : sets) {
    py::list factors, shapes, members;
    for (const frame::BucklingMode& m : b.modes) {
      factors.append(m.factor);
      shapes.append(shape_array(m.shape));
    }
    for (const frame::BucklingMember& m : b.members) {
      py::dict d;
      d["member"] = m.name;
      d["N_Ed"] = m.axial_force;
      d["N_cr"] = m.critical_force;
      d["buckling_length_y"] = m.buckling_length_y;
      d["buckling_length_z"] = m.buckling_length_z;
      members.append(d);
    }
    py::dict d;
    d["set"] = b.set;
    d["combination"] = b.combination;
    d["compression"] = b.compression;
    d["factors"] = factors;
    d["shapes"] = shapes;
    d["members"] = members;
    d["sturm_shift"] = b.sturm_shift;
    d["sturm_count"] = b.sturm_count;
    d["found_below"] = b.found_below;
    out.append(d);
  }
  return out;
}

py::list second_order_result(const std::vector<frame::SecondOrderSet>& sets) {
  py::list out;
  for (const frame::SecondOrderSet& s : sets) {
    py::dict d;
    d["set"] = s.set;
    d["combination"] = s.combination;
    d["iterations"] = s.iterations;
    d["change"] = s.change;
    d["alpha_cr"] = s.compression ? py::object(py::float_(s.critical_factor)) : py::none();
    d["first_order_displacement"] = s.first_order_displacement;
    d["second_order_displacement"] = s.second_order_displacement;
    d["amplification"] = s.amplification;
    d["node"] = s.node;
    d["p_delta_moment"] = row(s.p_delta_moment);
    if (s.imperfection) {
      d["imperfection"] = py::make_tuple(s.imperfection_direction == 0 ? "X" : "Y",
                                         s.imperfection_phi, s.imperfection_force);
    } else {
      d["imperfection"] = py::none();
    }
    out.append(d);
  }
  return out;
}

py::object modal_result(const std::optional<frame::ModalResult>& modal) {
  if (!modal) return py::none();
  const frame::ModalResult& r = *modal;
  py::dict mass;
  mass["members"] = r.mass.members;
  mass["points"] = r.mass.points;
  py::list from_loads;
  for (const auto& [load_case, value] : r.mass.from_loads)
    from_loads.append(py::make_tuple(load_case, value));
  mass["from_loads"] = from_loads;
  mass["total"] = r.mass.total;

  py::list directions;
  for (const char* name : frame::k_participation_directions) directions.append(name);
  py::list modes;
  for (const frame::Mode& mode : r.modes) modes.append(mode_fields(mode));

  py::dict d;
  d["mass_matrix"] = mass_matrix_name(r.mass_matrix);
  d["mass"] = mass;
  d["movable_mass"] = row(r.movable_mass);
  d["directions"] = directions;
  d["directions_with_mass"] = r.directions_with_mass;
  d["sturm_shift"] = r.sturm_shift;
  d["sturm_count"] = r.sturm_count;
  d["found_below"] = r.found_below;
  d["shift"] = r.shift;
  d["basis_size"] = r.basis_size;
  d["vectors_substituted"] = r.vectors_substituted;
  d["factorisations"] = r.factorisations;
  d["seconds"] = r.seconds;
  d["modes"] = modes;
  return d;
}

py::object spectrum_result(const std::optional<frame::SpectrumResult>& spectrum) {
  if (!spectrum) return py::none();
  const frame::SpectrumResult& r = *spectrum;
  const auto table = [](const auto& rows, std::size_t width) {
    py::array_t<double> a({rows.size(), width});
    auto v = a.template mutable_unchecked<2>();
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t k = 0; k < width; ++k) v(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(k)) = rows[i][k];
    return a;
  };
  py::list modes;
  for (const frame::SpectrumModeResponse& m : r.modes) {
    py::dict mode;
    mode["mode"] = m.mode;
    mode["period"] = m.period;
    mode["acceleration"] = py::make_tuple(m.acceleration[0], m.acceleration[1], m.acceleration[2]);
    mode["outside_spectrum"] = m.outside_spectrum;
    mode["base_shear"] = py::make_tuple(m.base_shear[0], m.base_shear[1], m.base_shear[2]);
    modes.append(mode);
  }
  py::list stations;
  for (std::size_t e = 0; e < r.station_values.size(); ++e)
    stations.append(py::make_tuple(py::array_t<double>(static_cast<py::ssize_t>(r.station_x[e].size()),
                                                       r.station_x[e].data()),
                                   table(r.station_values[e], frame::k_quantities)));
  py::dict d;
  d["name"] = r.request.name;
  d["modes"] = modes;
  d["base_shear"] = py::make_tuple(r.base_shear[0], r.base_shear[1], r.base_shear[2]);
  d["displacements"] = table(r.displacements, 6);
  d["reactions"] = table(r.reactions, 6);
  d["reaction_nodes"] = py::array_t<std::int32_t>(static_cast<py::ssize_t>(r.reaction_nodes.size()),
                                                  r.reaction_nodes.data());
  d["end_forces"] = table(r.end_forces, 12);
  d["end_displacements"] = table(r.end_displacements, 12);
  d["stress_bound"] = py::array_t<double>(static_cast<py::ssize_t>(r.stress_bound.size()), r.stress_bound.data());
  d["stress_bound_x"] = py::array_t<double>(static_cast<py::ssize_t>(r.stress_bound_x.size()), r.stress_bound_x.data());
  d["stations"] = stations;
  return d;
}

}  // namespace zervola::python

// analyse and the results of one analysis, as numpy arrays (float64, one
// row per node or member, in the JSON output's order) and as the texts
// zervola-frame writes. Every number is the AnalysisResult's own, copied:
// the arrays equal the JSON output's bit for bit.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bindings.hpp"
#include "model_words.hpp"
#include "dynamics.hpp"
#include "model_binding.hpp"
#include "warnings.hpp"
#include "zervola/frame.hpp"

namespace py = pybind11;

namespace zervola::python {
namespace {

using frame::AnalysisResult;
using frame::CaseResult;
using frame::Model;

using Matrix = py::array_t<double>;

// One analysis: the model it was made from (shared with the Python Model),
// its result, and the load sets in the order of set indices (cases, then
// combinations).
struct Analysis {
  std::shared_ptr<const Model> model;
  AnalysisResult result;
  std::vector<frame::LoadSet> sets;
};

// rows x N array of rows of std::array<double, N>.
template <std::size_t N, typename Rows, typename Row>
Matrix matrix(const Rows& rows, Row row_of) {
  Matrix out({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(N)});
  auto view = out.mutable_unchecked<2>();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::array<double, N>& r = row_of(rows[i]);
    for (std::size_t j = 0; j < N; ++j)
      view(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(j)) = r[j];
  }
  return out;
}

template <typename T>
py::array_t<T> vector_array(const std::vector<T>& v) {
  return py::array_t<T>(static_cast<py::ssize_t>(v.size()), v.data());
}

py::array_t<double> vector3(const frame::Vector3& v) { return py::array_t<double>(3, v.data()); }

const CaseResult& set_result(const Analysis& a, std::size_t set) {
  if (set >= a.sets.size()) throw py::index_error("load set index out of range");
  return frame::set_result(a.result, set);
}

void check_member(const Analysis& a, std::size_t member) {
  if (member >= a.model->members.size()) throw py::index_error("member index out of range");
}

py::dict equilibrium(const frame::Equilibrium& q) {
  py::dict d;
  d["applied_force"] = vector3(q.applied_force);
  d["applied_moment"] = vector3(q.applied_moment);
  d["reaction_force"] = vector3(q.reaction_force);
  d["reaction_moment"] = vector3(q.reaction_moment);
  d["force_residual"] = vector3(q.force_residual);
  d["moment_residual"] = vector3(q.moment_residual);
  d["relative_force_residual"] = q.relative_force_residual;
  d["relative_moment_residual"] = q.relative_moment_residual;
  return d;
}

py::dict stresses(const CaseResult& c) {
  py::dict d;
  d["max"] = vector_array(c.stress_max);
  d["min"] = vector_array(c.stress_min);
  d["x_max"] = vector_array(c.stress_max_x);
  d["x_min"] = vector_array(c.stress_min_x);
  d["end_max"] = vector_array(c.end_stress_max);
  d["end_min"] = vector_array(c.end_stress_min);
  return d;
}

// Member e's diagram under a load set, as the JSON output forms it: the
// member's stations shared by every set, the nine quantities there, and
// "after": the station includes a concentrated load (of any load case) at x.
py::dict diagram(const Analysis& a, std::size_t set, std::size_t e) {
  std::vector<frame::Station> stations;
  std::vector<frame::StationValues> values;
  {
    py::gil_scoped_release unlocked;
    stations = frame::member_stations(a.result, e);
    const frame::MemberState state = frame::member_state(a.result, a.sets[set], e);
    values = frame::member_diagram(stations, state,
                                   frame::beam_properties(*a.model, e, a.result.members[e].length));
  }
  const auto n = static_cast<py::ssize_t>(stations.size());
  py::array_t<double> x(n);
  py::array_t<bool> after(n);
  for (py::ssize_t k = 0; k < n; ++k) {
    x.mutable_at(k) = stations[static_cast<std::size_t>(k)].x;
    after.mutable_at(k) = stations[static_cast<std::size_t>(k)].after;
  }
  py::dict d;
  d["x"] = x;
  d["after"] = after;
  for (std::size_t q = 0; q < frame::k_quantities; ++q) {
    py::array_t<double> column(n);
    for (py::ssize_t k = 0; k < n; ++k) column.mutable_at(k) = values[static_cast<std::size_t>(k)][q];
    d[frame::k_quantity_names[q]] = column;
  }
  return d;
}

// The extremes along member e under a load set: a (9, 4) array, one row
// per quantity (N, Vy, Vz, T, My, Mz, u, v, w), columns max, x_max, min, x_min.
Matrix extremes(const Analysis& a, std::size_t set, std::size_t e) {
  std::array<frame::Extreme, frame::k_quantities> ex;
  {
    py::gil_scoped_release unlocked;
    ex = frame::member_set_extremes(*a.model, a.result, a.sets[set], e);
  }
  return matrix<4>(ex, [](const frame::Extreme& x) {
    return std::array<double, 4>{x.max, x.x_max, x.min, x.x_min};
  });
}

// Bounds as arrays: max, min (rows x N), the sets that give them (indices
// into the envelope's sets) and, for diagrams, where along the member.
template <std::size_t N>
py::dict bounds(const std::vector<std::array<frame::Bound, N>>& rows) {
  const auto n = static_cast<py::ssize_t>(rows.size());
  const auto w = static_cast<py::ssize_t>(N);
  Matrix max({n, w}), min({n, w}), x_max({n, w}), x_min({n, w});
  py::array_t<std::int64_t> max_by({n, w}), min_by({n, w});
  for (py::ssize_t i = 0; i < n; ++i)
    for (py::ssize_t j = 0; j < w; ++j) {
      const frame::Bound& b = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      max.mutable_at(i, j) = b.max;
      min.mutable_at(i, j) = b.min;
      x_max.mutable_at(i, j) = b.x_max;
      x_min.mutable_at(i, j) = b.x_min;
      max_by.mutable_at(i, j) = static_cast<std::int64_t>(b.max_by);
      min_by.mutable_at(i, j) = static_cast<std::int64_t>(b.min_by);
    }
  py::dict d;
  d["max"] = max;
  d["min"] = min;
  d["max_by"] = max_by;
  d["min_by"] = min_by;
  d["x_max"] = x_max;
  d["x_min"] = x_min;
  return d;
}

py::dict envelope(const Analysis& a, std::size_t index) {
  if (index >= a.model->envelopes.size()) throw py::index_error("envelope index out of range");
  frame::EnvelopeResult e;
  {
    py::gil_scoped_release unlocked;
    e = frame::envelope(*a.model, a.result, a.model->envelopes[index]);
  }
  std::vector<std::array<frame::Bound, 2>> stress(e.stress_max.size());
  for (std::size_t k = 0; k < stress.size(); ++k) stress[k] = {e.stress_max[k], e.stress_min[k]};
  py::dict d;
  d["name"] = e.name;
  d["sets"] = e.sets;
  d["displacements"] = bounds(e.displacements);
  d["reactions"] = bounds(e.reactions);
  d["end_forces"] = bounds(e.end_forces);
  d["stress"] = bounds(stress);
  d["diagram"] = bounds(e.diagram);
  return d;
}

frame::View view_named(const std::string& name) {
  if (name == "auto") return frame::View::automatic;
  if (name == "xy") return frame::View::xy;
  if (name == "xz") return frame::View::xz;
  if (name == "yz") return frame::View::yz;
  if (name == "axonometric") return frame::View::axonometric;
  throw py::value_error("view: \"" + name + "\" is none of auto, xy, xz, yz, axonometric");
}

frame::DiagramKind diagram_named(const std::string& name) {
  if (name == "none") return frame::DiagramKind::none;
  if (name == "moment") return frame::DiagramKind::moment;
  if (name == "shear") return frame::DiagramKind::shear;
  if (name == "axial") return frame::DiagramKind::axial;
  throw py::value_error("diagram: \"" + name + "\" is none of none, moment, shear, axial");
}

frame::NumberingChoice numbering_named(const std::string& name) {
  if (name == "auto") return frame::NumberingChoice::automatic;
  if (name == "band") return frame::NumberingChoice::band;
  if (name == "profile") return frame::NumberingChoice::profile;
  throw py::value_error("numbering: \"" + name + "\" is none of auto, band, profile");
}

frame::SolverChoice solver_named(const std::string& name) {
  if (name == "auto") return frame::SolverChoice::automatic;
  if (name == "skyline") return frame::SolverChoice::skyline;
  if (name == "supernodal") return frame::SolverChoice::supernodal;
  throw py::value_error("solver: \"" + name + "\" is none of auto, skyline, supernodal");
}

Analysis analyse(const ModelHandle& h, const std::string& numbering, const std::string& solver,
                 int threads) {
  const frame::NumberingChoice choice = numbering_named(numbering);
  const frame::SolverChoice solver_choice = solver_named(solver);
  if (threads < 0) throw py::value_error("threads: " + std::to_string(threads) + " is negative");
  py::gil_scoped_release unlocked;
  Analysis a{h.model,
             frame::analyse(*h.model, {.numbering = choice, .solver = solver_choice, .threads = threads}),
             frame::load_sets(*h.model)};
  return a;
}

std::string svg(const Analysis& a, const std::string& view, std::optional<double> scale,
                const std::string& diagram_kind, bool labels,
                std::optional<std::string> load_set) {
  frame::DrawingOptions o;
  o.view = view_named(view);
  o.deformation_scale = scale;
  o.diagram = diagram_named(diagram_kind);
  o.labels = labels;
  o.load_case = std::move(load_set);
  py::gil_scoped_release unlocked;
  return frame::draw_svg(*a.model, a.result, o);
}

std::string dxf(const Analysis& a, std::optional<std::string> load_set, std::optional<double> scale) {
  frame::DxfOptions o;
  o.load_set = std::move(load_set);
  o.deformation_scale = scale;
  py::gil_scoped_release unlocked;
  return frame::format_dxf(*a.model, a.result, o);
}

// Writes files whole or not at all, as zervola-frame does.
void write_files(std::vector<std::pair<std::string, std::string>> files) {
  frame::OutputFiles out;
  for (auto& [path, content] : files) out.add(std::move(path), std::move(content));
  out.commit();
}

}  // namespace

void bind_results(py::module_& m) {
  using Set = std::size_t;
  py::class_<Analysis>(m, "Results")
      .def_property_readonly("set_names",
                             [](const Analysis& a) {
                               std::vector<std::string> names;
                               for (const frame::LoadSet& s : a.sets) names.push_back(s.name);
                               return names;
                             })
      .def_property_readonly("envelope_names",
                             [](const Analysis& a) {
                               std::vector<std::string> names;
                               for (const frame::Envelope& v : a.model->envelopes) names.push_back(v.name);
                               return names;
                             })
      .def_property_readonly("n_cases", [](const Analysis& a) { return a.result.cases.size(); })
      .def("nodes",
           [](const Analysis& a) {
             return matrix<3>(a.result.nodes, [](const frame::Point3& p) {
               return std::array<double, 3>{p.x, p.y, p.z};
             });
           })
      .def("member_names",
           [](const Analysis& a) {
             std::vector<std::string> names;
             for (const frame::Member& e : a.model->members) names.push_back(e.name);
             return names;
           })
      .def("member_geometry",
           [](const Analysis& a) {
             const auto& g = a.result.members;
             const auto n = static_cast<py::ssize_t>(g.size());
             py::array_t<std::int32_t> start(n), end(n);
             py::array_t<double> length(n);
             py::array_t<double> axes({n, py::ssize_t{3}, py::ssize_t{3}});
             for (py::ssize_t e = 0; e < n; ++e) {
               const frame::MemberGeometry& x = g[static_cast<std::size_t>(e)];
               start.mutable_at(e) = x.start_node;
               end.mutable_at(e) = x.end_node;
               length.mutable_at(e) = x.length;
               for (py::ssize_t i = 0; i < 3; ++i)
                 for (py::ssize_t j = 0; j < 3; ++j)
                   axes.mutable_at(e, i, j) =
                       x.axes[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
             }
             return py::make_tuple(start, end, length, axes);
           })
      .def("displacements",
           [](const Analysis& a, Set k) {
             return matrix<6>(set_result(a, k).displacements, [](const auto& r) -> const auto& { return r; });
           })
      .def("reactions",
           [](const Analysis& a, Set k) {
             const auto& reactions = set_result(a, k).reactions;
             py::array_t<std::int32_t> nodes(static_cast<py::ssize_t>(reactions.size()));
             std::vector<std::string> supports;
             for (std::size_t i = 0; i < reactions.size(); ++i) {
               nodes.mutable_at(static_cast<py::ssize_t>(i)) = reactions[i].node;
               supports.push_back(reactions[i].support);
             }
             return py::make_tuple(nodes,
                                   matrix<6>(reactions, [](const frame::Reaction& r) -> const auto& { return r.value; }),
                                   supports);
           })
      .def("end_forces",
           [](const Analysis& a, Set k) {
             return matrix<12>(set_result(a, k).end_forces, [](const auto& r) -> const auto& { return r; });
           })
      .def("end_displacements",
           [](const Analysis& a, Set k) {
             return matrix<12>(set_result(a, k).end_displacements, [](const auto& r) -> const auto& { return r; });
           })
      .def("stresses", [](const Analysis& a, Set k) { return stresses(set_result(a, k)); })
      .def("equilibrium", [](const Analysis& a, Set k) { return equilibrium(set_result(a, k).equilibrium); })
      .def("diagram",
           [](const Analysis& a, Set k, std::size_t e) {
             (void)set_result(a, k);
             check_member(a, e);
             return diagram(a, k, e);
           })
      .def("extremes",
           [](const Analysis& a, Set k, std::size_t e) {
             (void)set_result(a, k);
             check_member(a, e);
             return extremes(a, k, e);
           })
      .def("member_releases",
           [](const Analysis& a) {
             std::vector<std::string> releases;
             for (const frame::Member& e : a.model->members) releases.push_back(release_name(e.release));
             return releases;
           })
      .def("modal", [](const Analysis& a) { return modal_result(a.result.modal); })
      .def("buckling", [](const Analysis& a) { return buckling_result(a.result.buckling); })
      .def("second_order", [](const Analysis& a) { return second_order_result(a.result.second_order); })
      .def("spectrum", [](const Analysis& a) { return spectrum_result(a.result.spectrum); })
      .def("envelope", &envelope)
      .def("warnings", [](const Analysis& a) { return warning_tuples(a.result.warnings); })
      .def("solver",
           [](const Analysis& a) {
             const frame::SolverSummary& s = a.result.mesh.solver;
             py::dict d;
             d["used"] = s.used == frame::SolverChoice::supernodal ? "supernodal" : "skyline";
             d["forced"] = s.forced;
             d["skyline_addressable"] = s.skyline_addressable;
             d["skyline_fits_memory"] = s.skyline_fits_memory;
             d["skyline_flops"] = s.skyline_flops;
             d["skyline_bytes"] = s.skyline_bytes;
             d["supernodal_flops"] = s.supernodal_flops;
             d["supernodal_bytes"] = s.supernodal_bytes;
             d["supernodal_working_bytes"] = s.supernodal_working_bytes;
             return d;
           })
      .def("times",
           [](const Analysis& a) {
             py::dict d;
             d["mesh"] = a.result.times.mesh;
             d["solution"] = a.result.times.solution;
             d["recovery"] = a.result.times.recovery;
             return d;
           })
      .def("json",
           [](const Analysis& a, bool timings) {
             py::gil_scoped_release unlocked;
             frame::ResultDetail detail;
             detail.timings = timings;
             return frame::format_json_results(*a.model, a.result, detail);
           },
           py::arg("timings") = false)
      .def("csv",
           [](const Analysis& a) {
             py::gil_scoped_release unlocked;
             return frame::format_csv_tables(*a.model, a.result);
           })
      .def("report",
           [](const Analysis& a, bool summary, bool timings) {
             py::gil_scoped_release unlocked;
             return frame::format_report(*a.model, a.result,
                                         summary ? frame::ReportDetail::summary : frame::ReportDetail::full,
                                         timings);
           },
           py::arg("summary") = false, py::arg("timings") = false)
      .def("svg", &svg, py::arg("view") = "auto", py::arg("scale") = py::none(),
           py::arg("diagram") = "none", py::arg("labels") = true, py::arg("load_set") = py::none())
      .def("dxf", &dxf, py::arg("load_set") = py::none(), py::arg("scale") = py::none())
      .def("html",
           [](const Analysis& a, bool stations) {
             py::gil_scoped_release unlocked;
             frame::ResultDetail detail;
             detail.stations = stations;
             return frame::format_html_view(*a.model, a.result, detail);
           },
           py::arg("stations") = true);

  m.def("analyse", &analyse, py::arg("model"), py::arg("numbering") = "auto",
        py::arg("solver") = "auto", py::arg("threads") = 0);
  m.def("write_files", &write_files, py::arg("files"), py::call_guard<py::gil_scoped_release>());
  m.def("sign_convention", [] { return std::string(frame::sign_convention_text()); });
}

}  // namespace zervola::python

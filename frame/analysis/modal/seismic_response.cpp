#include "analysis/modal/seismic_response.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "analysis/loads/member_loads.hpp"
#include "analysis/solution/case_recovery.hpp"
#include "analysis/solution/every_case.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/internal_forces.hpp"

namespace zervola::frame {

namespace {

using Size = std::size_t;

constexpr std::array<const char*, 3> k_axes = {"X", "Y", "Z"};

// The combined magnitudes of one excitation direction, or of all of them.
struct Magnitudes {
  std::vector<std::array<double, 6>> displacements;
  std::vector<std::array<double, 6>> reactions;
  std::vector<std::int32_t> reaction_nodes;
  std::vector<std::array<double, 12>> end_forces;
  std::vector<std::array<double, 12>> end_displacements;
  std::vector<std::vector<StationValues>> stations;
  double base_shear = 0.0;
};

// A mode's shape in the library's equations.
std::vector<double> library_shape(const Mesh& mesh, const Mode& mode) {
  std::vector<double> phi(static_cast<Size>(mesh.n_equations), 0.0);
  for (Size node = 0; node < mode.shape.size(); ++node)
    for (Size k = 0; k < 6; ++k)
      phi[static_cast<Size>(6 * (mesh.library_node[node] - 1)) + k] = mode.shape[node][k];
  return phi;
}

// The modes' responses to the excitation along d, combined over the modes.
Magnitudes direction_response(const Model& model, const Mesh& mesh, const Placement& placement,
                              const NaturalModes& modes, const std::vector<int>& used,
                              const std::vector<double>& acceleration, int d,
                              const std::vector<MemberGeometry>& members,
                              const std::vector<Transform>& transforms, const ModalCombiner& combiner,
                              std::vector<SpectrumModeResponse>& per_mode, Progress& progress) {
  const Size count = used.size();
  const auto n = static_cast<Size>(mesh.n_equations);
  // The inertia forces of each mode as a load case of a model of its own,
  // and the displacements they cause.
  Model states = model;
  states.load_cases.clear();
  states.combinations.clear();
  states.envelopes.clear();
  Placement placed = placement;
  placed.load_node.assign(count, {});
  placed.displaced_support.assign(count, {});
  std::vector<std::vector<double>> u(count);
  for (Size q = 0; q < count; ++q) {
    const Mode& mode = modes.result.modes[static_cast<Size>(used[q])];
    const double factor = mode.participation[static_cast<Size>(d)] * acceleration[q];
    const std::vector<double> phi = library_shape(mesh, mode);
    std::vector<double> m_phi(n, 0.0);
    global::multiply(modes.mass, phi.data(), m_phi.data(), 1);
    LoadCase c;
    c.name = fmt::format("mode {} along {}", mode.number, k_axes[static_cast<Size>(d)]);
    for (Size node = 0; node < mesh.nodes.size(); ++node) {
      const auto first = static_cast<Size>(6 * (mesh.library_node[node] - 1));
      NodalLoad l;
      l.at = mesh.nodes[node];
      for (Size k = 0; k < 3; ++k) {
        l.force[k] = factor * m_phi[first + k];
        l.moment[k] = factor * m_phi[first + 3 + k];
      }
      if (l.force == Vector3{} && l.moment == Vector3{}) continue;
      c.loads.push_back(l);
      placed.load_node[q].push_back(mesh.library_node[node]);
    }
    states.load_cases.push_back(std::move(c));
    u[q].resize(n);
    const double scale = factor / mode.eigenvalue;
    for (Size i = 0; i < n; ++i) u[q][i] = scale * phi[i];
  }
  MemberLoading loading;
  loading.correction.assign(count, std::vector<Vector12>(members.size(), Vector12{}));
  loading.nodal.assign(count, std::vector<std::array<double, 6>>(mesh.nodes.size()));
  const std::vector<CaseResult> state =
      for_every_case(count, progress, [&](std::size_t q, Progress& reporting) {
        return recover_case(states, mesh, placed, q, loading, members, transforms, u[q], reporting);
      });

  Magnitudes m;
  std::vector<double> values(count);
  const auto combine = [&](auto value_of) {
    for (Size q = 0; q < count; ++q) values[q] = value_of(state[q]);
    return combiner.combine(values);
  };
  m.displacements.resize(mesh.nodes.size());
  for (Size node = 0; node < mesh.nodes.size(); ++node)
    for (Size k = 0; k < 6; ++k)
      m.displacements[node][k] = combine([&](const CaseResult& r) { return r.displacements[node][k]; });
  const Size supported = count > 0 ? state[0].reactions.size() : 0;
  m.reactions.resize(supported);
  for (Size s = 0; s < supported; ++s) m.reaction_nodes.push_back(state[0].reactions[s].node);
  for (Size s = 0; s < supported; ++s)
    for (Size k = 0; k < 6; ++k)
      m.reactions[s][k] = combine([&](const CaseResult& r) { return r.reactions[s].value[k]; });
  for (Size q = 0; q < count; ++q) {
    double shear = 0.0;
    for (const Reaction& r : state[q].reactions) shear += r.value[static_cast<Size>(d)];
    per_mode[q].base_shear[static_cast<Size>(d)] = std::fabs(shear);
  }
  m.base_shear = combine([&](const CaseResult& r) {
    double shear = 0.0;
    for (const Reaction& x : r.reactions) shear += x.value[static_cast<Size>(d)];
    return shear;
  });
  const Size n_members = members.size();
  m.end_forces.resize(n_members);
  m.end_displacements.resize(n_members);
  m.stations.resize(n_members);
  std::vector<std::vector<StationValues>> diagrams(count);
  for (Size e = 0; e < n_members; ++e) {
    for (Size k = 0; k < 12; ++k) {
      m.end_forces[e][k] = combine([&](const CaseResult& r) { return r.end_forces[e][k]; });
      m.end_displacements[e][k] = combine([&](const CaseResult& r) { return r.end_displacements[e][k]; });
    }
    const std::vector<Station> stations = diagram_stations({}, members[e].length);
    const BeamProperties b = beam_properties(model, e, members[e].length);
    for (Size q = 0; q < count; ++q) {
      MemberState s;
      s.end_forces = state[q].end_forces[e];
      s.end_displacements = state[q].end_displacements[e];
      diagrams[q] = member_diagram(stations, s, b);
    }
    m.stations[e].resize(stations.size());
    for (Size t = 0; t < stations.size(); ++t)
      for (Size k = 0; k < k_quantities; ++k) {
        for (Size q = 0; q < count; ++q) values[q] = diagrams[q][t][k];
        m.stations[e][t][k] = combiner.combine(values);
      }
  }
  return m;
}

void warn_of_spectrum(const Model& model, const ModalResult& modal, const std::vector<int>& rigid,
                      const std::vector<SpectrumModeResponse>& per_mode,
                      std::vector<Warning>& warnings) {
  const SpectrumRequest& request = *model.spectrum;
  if (!rigid.empty())
    warnings.push_back({"rigid_body_mode_in_spectrum",
                        fmt::format("the spectrum leaves out {} rigid-body mode{} (no period): the "
                                    "frame can move as a whole; support it",
                                    rigid.size(), rigid.size() == 1 ? "" : "s"),
                        {request.name}});
  std::vector<std::string> outside;
  for (const SpectrumModeResponse& r : per_mode)
    if (r.outside_spectrum) outside.push_back(fmt::format("{} (T = {:.4g} s)", r.mode, r.period));
  if (!outside.empty()) {
    std::string list;
    for (const std::string& s : outside) list += (list.empty() ? "" : ", ") + s;
    warnings.push_back({"period_outside_spectrum",
                        fmt::format("the spectrum \"{}\" is not given at the period of mode{} {}: "
                                    "its nearest value is taken; extend the spectrum",
                                    printable_text(request.name), outside.size() == 1 ? "" : "s", list),
                        {request.name}});
  }
  if (modal.modes.empty()) return;
  for (Size d = 0; d < 3; ++d) {
    if (!request.directions[d]) continue;
    const double share = modal.modes.back().cumulative_ratio[d];
    if (modal.movable_mass[d] > 0.0 && share < k_spectrum_mass_share)
      warnings.push_back(
          {"modal_mass_below_90",
           fmt::format("the {} modes carry {:.1f} % of the movable mass along {}, below the {:.0f} % "
                       "that EN 1998-1 4.3.3.3.1 asks for: ask for more modes",
                       modal.modes.size(), 100.0 * share, k_axes[d], 100.0 * k_spectrum_mass_share),
           {request.name}});
  }
}

}  // namespace

SpectrumResult response_spectrum(const Model& model, const Mesh& mesh, const Placement& placement,
                                 const NaturalModes& modes, const std::vector<MemberGeometry>& members,
                                 const std::vector<Transform>& transforms, std::vector<Warning>& warnings,
                                 Progress& progress) {
  const SpectrumRequest& request = *model.spectrum;
  const ModalResult& modal = modes.result;
  SpectrumResult out;
  out.request = request;
  std::vector<int> used;
  std::vector<int> rigid;
  std::vector<double> omegas;
  for (Size k = 0; k < modal.modes.size(); ++k) {
    if (modal.modes[k].circular_frequency > 0.0) {
      used.push_back(static_cast<int>(k));
      omegas.push_back(modal.modes[k].circular_frequency);
    } else {
      rigid.push_back(static_cast<int>(k));
    }
  }
  for (int k : used) {
    const Mode& mode = modal.modes[static_cast<Size>(k)];
    const SpectralValue v = spectral_acceleration(request.spectrum, mode.period);
    SpectrumModeResponse r;
    r.mode = mode.number;
    r.period = mode.period;
    r.outside_spectrum = v.outside_table;
    for (Size d = 0; d < 3; ++d)
      if (request.directions[d]) r.acceleration[d] = v.acceleration * request.direction_factors[d];
    out.modes.push_back(r);
  }
  warn_of_spectrum(model, modal, rigid, out.modes, warnings);

  const ModalCombiner combiner(omegas, request.spectrum.damping, request.modal);
  std::array<Magnitudes, 3> per_direction;
  for (int d = 0; d < 3; ++d) {
    if (!request.directions[static_cast<Size>(d)] || used.empty()) continue;
    std::vector<double> acceleration;
    for (const SpectrumModeResponse& r : out.modes) acceleration.push_back(r.acceleration[static_cast<Size>(d)]);
    per_direction[static_cast<Size>(d)] =
        direction_response(model, mesh, placement, modes, used, acceleration, d, members, transforms,
                           combiner, out.modes, progress);
    out.base_shear[static_cast<Size>(d)] = per_direction[static_cast<Size>(d)].base_shear;
  }

  // Over the directions, quantity by quantity; a direction not excited adds 0.
  const auto across = [&](auto value_of) {
    std::array<double, 3> e{};
    for (Size d = 0; d < 3; ++d)
      if (request.directions[d] && !used.empty()) e[d] = value_of(per_direction[d]);
    return combine_directions(e, request.directional);
  };
  out.displacements.resize(mesh.nodes.size());
  for (Size node = 0; node < mesh.nodes.size(); ++node)
    for (Size k = 0; k < 6; ++k)
      out.displacements[node][k] = across([&](const Magnitudes& m) { return m.displacements[node][k]; });
  // The supported nodes, in the order of a load case's reactions (every
  // excited direction has them all).
  for (const Magnitudes& m : per_direction)
    if (!m.reaction_nodes.empty()) out.reaction_nodes = m.reaction_nodes;
  out.reactions.resize(out.reaction_nodes.size());
  for (Size s = 0; s < out.reactions.size(); ++s)
    for (Size k = 0; k < 6; ++k)
      out.reactions[s][k] = across([&](const Magnitudes& m) { return m.reactions[s][k]; });
  const Size n_members = members.size();
  out.end_forces.resize(n_members);
  out.end_displacements.resize(n_members);
  out.station_x.resize(n_members);
  out.station_values.resize(n_members);
  out.stress_bound.assign(n_members, 0.0);
  out.stress_bound_x.assign(n_members, 0.0);
  for (Size e = 0; e < n_members; ++e) {
    for (Size k = 0; k < 12; ++k) {
      out.end_forces[e][k] = across([&](const Magnitudes& m) { return m.end_forces[e][k]; });
      out.end_displacements[e][k] = across([&](const Magnitudes& m) { return m.end_displacements[e][k]; });
    }
    const std::vector<Station> stations = diagram_stations({}, members[e].length);
    out.station_values[e].resize(stations.size());
    const Section* section = nullptr;
    for (const Section& s : model.sections)
      if (s.name == model.members[e].section) section = &s;
    for (Size t = 0; t < stations.size(); ++t) {
      out.station_x[e].push_back(stations[t].x);
      for (Size k = 0; k < k_quantities; ++k)
        out.station_values[e][t][k] = across([&](const Magnitudes& m) {
          return m.stations.empty() ? 0.0 : m.stations[e][t][k];
        });
      if (section == nullptr || section->area <= 0.0) continue;
      const StationValues& v = out.station_values[e][t];
      double bound = v[0] / section->area;
      if (section->inertia_y > 0.0) bound += v[4] * 0.5 * section->extent_z / section->inertia_y;
      if (section->inertia_z > 0.0) bound += v[5] * 0.5 * section->extent_y / section->inertia_z;
      if (bound > out.stress_bound[e]) {
        out.stress_bound[e] = bound;
        out.stress_bound_x[e] = stations[t].x;
      }
    }
  }
  return out;
}

}  // namespace zervola::frame

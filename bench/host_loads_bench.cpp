// The cost of member loads in zervola-frame: the analysis of an n x n x n
// building (as grid_frame.hpp builds it: columns between floors, beams
// along x and y on every floor above the ground, fixed bases) with two load
// cases of nodal loads, against the same with self-weight, a uniform load
// and a point load on every beam, wind on the columns of one face, and ten
// combinations of the two cases. Prints the times and their ratio; it
// decides nothing.
//
//   host_loads_bench [n] [repeats]     (default 20 and 3)

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include <zervola/frame.hpp>

namespace {

using namespace zervola::frame;

constexpr double k_bay = 5.0;      // m between columns
constexpr double k_storey = 3.5;   // m between floors
constexpr int k_combinations = 10;

Model building(int n, bool member_loads) {
  Model m;
  m.source_file = "building.json";
  m.frame = FrameKind::space;
  Section steel;
  steel.name = "S";
  steel.elastic_modulus = 2.1e8;
  steel.shear_modulus = 8.1e7;
  steel.area = 1.0e-2;
  steel.torsion_constant = 1.0e-5;
  steel.inertia_y = 2.0e-4;
  steel.inertia_z = 1.0e-4;
  steel.extent_z = 0.3;
  steel.extent_y = 0.2;
  steel.thermal_coefficient = 1.2e-5;
  steel.density = 7.85;
  m.sections.push_back(steel);
  const auto point = [](int ix, int iy, int iz) {
    return Point3{ix * k_bay, iy * k_bay, iz * k_storey};
  };
  LoadCase lateral;
  lateral.name = "lateral";
  LoadCase vertical;
  vertical.name = "vertical";
  const auto member = [&](const Point3& a, const Point3& b, bool beam, bool windward) {
    Member mem;
    mem.name = fmt::format("M{}", m.members.size() + 1);
    mem.from = a;
    mem.to = b;
    mem.section = m.sections.front().name;
    mem.origin.file = m.source_file;
    mem.origin.place = "members";
    m.members.push_back(mem);
    if (!member_loads) return;
    MemberLoad l;
    l.member = mem.name;
    l.origin = mem.origin;
    if (beam) {
      l.kind = MemberLoadKind::distributed;
      l.start_value = l.end_value = {0.0, 0.0, -5.0};
      vertical.member_loads.push_back(l);
      l.kind = MemberLoadKind::force;
      l.relative = true;
      l.position = 0.5;
      l.start_value = {0.0, 0.0, -10.0};
      vertical.member_loads.push_back(l);
    } else if (windward) {
      l.kind = MemberLoadKind::distributed;
      l.start_value = l.end_value = {2.0, 0.0, 0.0};
      lateral.member_loads.push_back(l);
    }
  };
  for (int iz = 0; iz < n; ++iz)
    for (int iy = 0; iy < n; ++iy)
      for (int ix = 0; ix < n; ++ix) {
        if (iz + 1 < n) member(point(ix, iy, iz), point(ix, iy, iz + 1), false, ix == 0);
        if (iz == 0) {
          Support s;
          s.name = fmt::format("S{}", m.supports.size() + 1);
          s.at = point(ix, iy, iz);
          s.restrained.fill(true);
          s.kind = "fixed";
          m.supports.push_back(s);
          continue;
        }
        if (ix + 1 < n) member(point(ix, iy, iz), point(ix + 1, iy, iz), true, false);
        if (iy + 1 < n) member(point(ix, iy, iz), point(ix, iy + 1, iz), true, false);
        lateral.loads.push_back({"L", point(ix, iy, iz), {1.0, 0.0, 0.0}, {}, {}});
        vertical.loads.push_back({"V", point(ix, iy, iz), {0.0, 0.0, -10.0}, {}, {}});
      }
  if (member_loads) vertical.gravity = Vector3{0.0, 0.0, -9.81};
  m.load_cases = {lateral, vertical};
  if (member_loads)
    for (int k = 0; k < k_combinations; ++k) {
      Combination c;
      c.name = fmt::format("C{}", k + 1);
      c.factors = {{"lateral", 0.5 + 0.1 * k}, {"vertical", 1.35 - 0.05 * k}};
      m.combinations.push_back(std::move(c));
    }
  return m;
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One analysis, in seconds.
double analysis_time(const Model& model, AnalysisResult& result) {
  const auto t0 = std::chrono::steady_clock::now();
  result = analyse(model);
  return seconds_since(t0);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 20;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  const Model plain = building(n, false);
  const Model loaded = building(n, true);
  validate_model(loaded);
  std::size_t n_loads = 0;
  for (const LoadCase& c : loaded.load_cases) n_loads += c.member_loads.size();
  fmt::print("{0} x {0} x {0} building: {1} members, 2 load cases; loaded: {2} member loads, "
             "self-weight, {3} combinations\n",
             n, plain.members.size(), n_loads, loaded.combinations.size());
  // Alternately, so that both see the same machine; the best of each.
  AnalysisResult r_plain, r_loaded;
  double t_plain = 1e300, t_loaded = 1e300;
  for (int k = 0; k < repeats; ++k) {
    t_plain = std::min(t_plain, analysis_time(plain, r_plain));
    t_loaded = std::min(t_loaded, analysis_time(loaded, r_loaded));
  }
  fmt::print("analysis, nodal loads only:                 {:8.3f} s\n", t_plain);
  fmt::print("analysis, member loads and combinations:    {:8.3f} s ({:+.2f} %)\n", t_loaded,
             100.0 * (t_loaded / t_plain - 1.0));
  // What the outputs add: the diagrams and extremes of every member for
  // every load case and combination.
  const auto t0 = std::chrono::steady_clock::now();
  double checksum = 0.0;
  for (const LoadSet& s : load_sets(loaded))
    for (std::size_t e = 0; e < loaded.members.size(); ++e) {
      const MemberState state = member_state(r_loaded, s, e);
      const std::vector<Station> st = member_stations(r_loaded, e);
      const auto v = member_diagram(st, state, beam_properties(loaded, e, r_loaded.members[e].length));
      checksum += member_extremes(st, v, state)[5].max;
    }
  fmt::print("diagrams and extremes of every member, {} load sets: {:8.3f} s (checksum {:.6g})\n",
             load_sets(loaded).size(), seconds_since(t0), checksum);
  return 0;
}

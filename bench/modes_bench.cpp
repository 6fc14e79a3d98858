// The natural modes beside one static analysis of the same n x n x n
// building (zervola_frame's analyse, in one process, one after the other):
// the 20 lowest modes, then one load case, each as wall time, with the
// eigensolver's figures (factorisations, vectors substituted, basis) and the
// memory it holds beside the stiffness store. Names the processor. Prints
// the figures and their ratio; it decides nothing.
//
//   modes_bench [n [modes]]      (default 20 20)

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <zervola/frame.hpp>

#include "processor_name.hpp"

namespace {

using namespace zervola::frame;

constexpr double k_bay = 5.0;     // m between columns
constexpr double k_storey = 3.5;  // m between floors

// Columns between floors, beams along x and y on every floor above the
// ground, fixed bases; steel of 7.85 t/m^3.
Model building(int n) {
  Model m;
  m.source_file = fmt::format("building");
  m.frame = FrameKind::space;
  Section s;
  s.name = fmt::format("S");
  s.elastic_modulus = 2.1e8;
  s.shear_modulus = 8.1e7;
  s.area = 1.0e-2;
  s.torsion_constant = 1.0e-5;
  s.inertia_y = 2.0e-4;
  s.inertia_z = 1.0e-4;
  s.extent_z = 0.3;
  s.extent_y = 0.2;
  s.density = 7.85;
  m.sections.push_back(s);
  m.gravity = 9.81;
  const auto point = [](int ix, int iy, int iz) {
    return Point3{ix * k_bay, iy * k_bay, iz * k_storey};
  };
  const auto member = [&](Point3 a, Point3 b) {
    Member e;
    e.name = fmt::format("M{}", m.members.size() + 1);
    e.from = a;
    e.to = b;
    e.section = fmt::format("S");
    m.members.push_back(e);
  };
  for (int iz = 0; iz < n; ++iz)
    for (int iy = 0; iy < n; ++iy)
      for (int ix = 0; ix < n; ++ix) {
        if (iz + 1 < n) member(point(ix, iy, iz), point(ix, iy, iz + 1));
        if (iz == 0) continue;
        if (ix + 1 < n) member(point(ix, iy, iz), point(ix + 1, iy, iz));
        if (iy + 1 < n) member(point(ix, iy, iz), point(ix, iy + 1, iz));
      }
  for (int iy = 0; iy < n; ++iy)
    for (int ix = 0; ix < n; ++ix) {
      Support s0;
      s0.name = fmt::format("S{}", m.supports.size() + 1);
      s0.at = point(ix, iy, 0);
      s0.restrained.fill(true);
      s0.kind = fmt::format("fixed");
      m.supports.push_back(s0);
    }
  return m;
}

double seconds(const Model& model, AnalysisResult& out) {
  const auto start = std::chrono::steady_clock::now();
  out = analyse(model);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 20;
  const int modes = argc > 2 ? std::atoi(argv[2]) : 20;
  fmt::print("natural modes beside one static analysis, {0} x {0} x {0} building, on {1}\n", n,
             bench::processor_name());
  Model statics = building(n);
  LoadCase lateral;
  lateral.name = fmt::format("lateral");
  for (int iz = 1; iz < n; ++iz)
    for (int iy = 0; iy < n; ++iy)
      for (int ix = 0; ix < n; ++ix) {
        NodalLoad l;
        l.at = {ix * k_bay, iy * k_bay, iz * k_storey};
        l.force = {1.0, 0.5, -10.0};
        lateral.loads.push_back(l);
      }
  statics.load_cases.push_back(lateral);
  Model dynamics = building(n);
  dynamics.modal = ModalRequest{modes, MassMatrix::consistent, {}};

  AnalysisResult s;
  AnalysisResult d;
  const double t_modes = seconds(dynamics, d);
  const double t_static = seconds(statics, s);
  const ModalResult& r = *d.modal;
  const double store_mb = 8.0 * s.mesh.profile_after / 1.0e6;
  const double basis_mb = 2.0 * 8.0 * r.basis_size * s.mesh.n_equations / 1.0e6;
  // Each entry: its value and its row and column (Index is 64 bits).
  const double mass_mb = 24.0 * static_cast<double>(r.mass_entries) / 1.0e6;
  fmt::print("  {} members, {} equations, skyline store {:.0f} MB\n", statics.members.size(),
             s.mesh.n_equations, store_mb);
  fmt::print("  one static analysis (mesh, assembly, factorisation, one case, recovery): {:.2f} s\n",
             t_static);
  fmt::print("  {} lowest modes (mesh, masses, eigensolution):                       {:.2f} s "
             "= {:.2f} x the static analysis\n",
             modes, t_modes, t_modes / t_static);
  fmt::print("    eigensolution {:.2f} s: {} factorisations, {} vectors substituted, basis of {}\n",
             r.seconds, r.factorisations, r.vectors_substituted, r.basis_size);
  fmt::print("    memory held: one skyline store {:.0f} MB, the mass matrix's entries {:.0f} MB and "
             "the basis with M times it {:.0f} MB = {:.2f} x the stiffness store\n",
             store_mb, mass_mb, basis_mb, (store_mb + mass_mb + basis_mb) / store_mb);
  fmt::print("    mode 1: {:.4f} Hz; mode {}: {:.4f} Hz; Sturm count {} = found {}\n",
             r.modes.front().frequency, modes, r.modes.back().frequency, r.sturm_count, r.found_below);
  return 0;
}

#pragma once

// A small host-style frame for the result-recovery tests: the host's arrays
// as plain vectors, views over them, and random bars with fixed seeds.

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "common/frame_model.hpp"
#include "common/matrix12.hpp"
#include "element/local_axes.hpp"
#include "results/neighbour_force.hpp"
#include "results/recovery_model.hpp"

namespace zervola::test {

inline constexpr double k_marker = element::k_no_orientation_marker;

struct Section {
  double E = 200000.0, G = 80000.0, A = 3000.0, It = 4.0e6, Iy = 2.5e7, Iz = 9.0e6;
  double extent_z = 300.0, extent_y = 150.0, thermal_coefficient = 1.2e-5;

  [[nodiscard]] std::array<double, 10> column() const {
    return {E, G, A, It, Iy, Iz, 0.0, extent_z, extent_y, thermal_coefficient};
  }
};

struct HostFrame {
  std::vector<double> x, y, z;         // per node
  std::vector<double> ox, oy, oz;      // per element
  std::vector<HostInt> pairs;          // 2 per element
  std::vector<HostInt> section_codes;  // per element
  std::vector<HostInt> end_codes;      // per element
  std::vector<double> table;           // 10 per section
  std::vector<double> displacements;   // 6 per node

  [[nodiscard]] Index n_nodes() const { return static_cast<Index>(x.size()); }
  [[nodiscard]] Index n_elements() const { return static_cast<Index>(section_codes.size()); }

  Index add_node(Point3 p) {
    x.push_back(p.x);
    y.push_back(p.y);
    z.push_back(p.z);
    displacements.resize(displacements.size() + 6, 0.0);
    return n_nodes();
  }
  Index add_section(const Section& s) {
    for (double v : s.column()) table.push_back(v);
    return static_cast<Index>(table.size() / 10);
  }
  Index add_element(Index i, Index j, HostInt section, HostInt end_code,
                    Point3 orientation = {k_marker, k_marker, k_marker}) {
    pairs.push_back(static_cast<HostInt>(i));
    pairs.push_back(static_cast<HostInt>(j));
    section_codes.push_back(section);
    end_codes.push_back(end_code);
    ox.push_back(orientation.x);
    oy.push_back(orientation.y);
    oz.push_back(orientation.z);
    return n_elements();
  }
  double& u(Index dof, Index node) {
    return displacements[static_cast<std::size_t>(6 * (node - 1) + (dof - 1))];
  }

  [[nodiscard]] results::RecoveryModel recovery() const {
    return {results::Displacements(displacements.data(), 6, n_nodes()),
            {{x.data(), n_nodes()}, {y.data(), n_nodes()}, {z.data(), n_nodes()}},
            ElementNodes(pairs.data(), 2, n_elements()),
            {section_codes.data(), n_elements()},
            SectionTable(table.data(), 10, static_cast<Index>(table.size() / 10))};
  }
  [[nodiscard]] OrientationPoints orientation() const {
    return {{ox.data(), n_elements()}, {oy.data(), n_elements()}, {oz.data(), n_elements()}};
  }
  [[nodiscard]] results::FrameModel frame() const {
    return {recovery(), orientation(), {end_codes.data(), n_elements()}};
  }
  [[nodiscard]] Matrix12 transform(Index element, element::Walk walk) const {
    const results::RecoveryModel m = recovery();
    return element::element_transform(m.nodes, orientation(), m.element_nodes, element, walk);
  }
};

// Random quantities of ordinary size.
class RandomFrames {
 public:
  explicit RandomFrames(unsigned seed) : rng_(seed) {}

  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  Point3 point(double half_box) {
    return {uniform(-half_box, half_box), uniform(-half_box, half_box),
            uniform(-half_box, half_box)};
  }
  Section section() {
    Section s;
    s.E = uniform(1.0e5, 3.0e5);
    s.G = uniform(5.0e4, 1.0e5);
    s.A = uniform(1.0e3, 1.0e4);
    s.It = uniform(1.0e6, 1.0e7);
    s.Iy = uniform(1.0e6, 1.0e8);
    s.Iz = uniform(1.0e6, 1.0e8);
    s.extent_z = uniform(100.0, 500.0);
    s.extent_y = uniform(100.0, 500.0);
    return s;
  }
  // A bar of length at least 500 between nodes 1 and 2, with an orientation
  // point (or the marker, one time in three) well away from its line.
  HostFrame bar(HostInt end_code, bool ascending = true) {
    HostFrame f;
    const Point3 a = point(2000.0);
    Point3 b;
    do b = point(2000.0);
    while (distance(a, b) < 500.0);
    f.add_node(a);
    f.add_node(b);
    const HostInt s = static_cast<HostInt>(f.add_section(section()));
    Point3 o{k_marker, k_marker, k_marker};
    if (std::uniform_int_distribution<int>(0, 2)(rng_) != 0) {
      do o = point(3000.0);
      while (off_line_distance(a, b, o) < 300.0);
    }
    if (ascending)
      f.add_element(1, 2, s, end_code, o);
    else
      f.add_element(2, 1, s, end_code, o);
    for (double& v : f.displacements) v = uniform(-1.0, 1.0);
    for (Index n = 1; n <= 2; ++n)
      for (Index c = 4; c <= 6; ++c) f.u(c, n) *= 1.0e-3;  // rotations of ordinary size
    return f;
  }

 private:
  static double distance(Point3 a, Point3 b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  // Distance of p from the line through a and b, and from its midpoint.
  static double off_line_distance(Point3 a, Point3 b, Point3 p) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    const double px = p.x - a.x, py = p.y - a.y, pz = p.z - a.z;
    const double cx = dy * pz - dz * py, cy = dz * px - dx * pz, cz = dx * py - dy * px;
    return std::sqrt(cx * cx + cy * cy + cz * cz) / distance(a, b);
  }

  std::mt19937 rng_;
};

}  // namespace zervola::test

#include "zervola/frame/placement.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "zervola/frame.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// Far from the origin the cells are clamped: points there share a cell,
// which costs time, never a node.
constexpr double k_largest_cell_index = 1.0e17;

std::string where(const Point3& p) { return fmt::format("[{}, {}, {}]", p.x, p.y, p.z); }

[[noreturn]] void not_on_node(const Origin& o, const Point3& p) {
  throw InputError(fmt::format("{}: {}: field \"at\": the point {} lies on no node (no member "
                               "starts or ends there)",
                               o.file, o.place, where(p)));
}

}  // namespace

NodeLocator::NodeLocator(const std::vector<Point3>& nodes) : nodes_(nodes) {
  for (std::size_t k = 0; k < nodes.size(); ++k)
    cells_[cell_of(nodes[k])].push_back(static_cast<std::int32_t>(k) + 1);
}

NodeLocator::Cell NodeLocator::cell_of(const Point3& p) {
  const auto index = [](double v) {
    return static_cast<std::int64_t>(
        std::clamp(std::floor(v / k_cell_size), -k_largest_cell_index, k_largest_cell_index));
  };
  return {index(p.x), index(p.y), index(p.z)};
}

std::size_t NodeLocator::CellHash::operator()(const Cell& c) const {
  const auto h = [](std::int64_t v) { return std::hash<std::int64_t>{}(v); };
  return h(c[0]) ^ (h(c[1]) * 0x9e3779b97f4a7c15ULL) ^ (h(c[2]) * 0xc2b2ae3d27d4eb4fULL);
}

std::int32_t NodeLocator::find(const Point3& p) const {
  std::int32_t best = 0;
  double best_distance = 0.0;
  const Cell centre = cell_of(p);
  for (std::int64_t i = -1; i <= 1; ++i)
    for (std::int64_t j = -1; j <= 1; ++j)
      for (std::int64_t k = -1; k <= 1; ++k) {
        const auto it = cells_.find({centre[0] + i, centre[1] + j, centre[2] + k});
        if (it == cells_.end()) continue;
        for (const std::int32_t node : it->second) {
          const Point3& n = nodes_[static_cast<std::size_t>(node - 1)];
          const double dx = std::abs(n.x - p.x), dy = std::abs(n.y - p.y), dz = std::abs(n.z - p.z);
          if (!(dx < k_node_tolerance && dy < k_node_tolerance && dz < k_node_tolerance)) continue;
          const double d = dx * dx + dy * dy + dz * dz;
          if (best == 0 || d < best_distance || (d == best_distance && node < best)) {
            best = node;
            best_distance = d;
          }
        }
      }
  return best;
}

Placement place_on_nodes(const Model& model, const std::vector<Point3>& nodes,
                         const std::vector<std::int32_t>& library_node) {
  Placement placement;
  const NodeLocator locator(nodes);
  const auto locate = [&](const Origin& o, const Point3& p) {
    const std::int32_t n = locator.find(p);
    if (n == 0) not_on_node(o, p);
    return n;
  };
  std::map<std::int32_t, std::size_t> held;  // node -> support
  for (std::size_t k = 0; k < model.supports.size(); ++k) {
    const Support& s = model.supports[k];
    const std::int32_t n = locate(s.origin, s.at);
    if (const auto it = held.find(n); it != held.end())
      throw InputError(fmt::format("{}: {}: field \"at\": node {} already has support \"{}\"",
                                   s.origin.file, s.origin.place, n,
                                   model.supports[it->second].name));
    held.emplace(n, k);
    placement.support_node.push_back(library_node[static_cast<std::size_t>(n - 1)]);
  }
  for (const Spring& s : model.springs)
    placement.spring_node.push_back(
        library_node[static_cast<std::size_t>(locate(s.origin, s.at) - 1)]);
  for (const LoadCase& c : model.load_cases) {
    std::vector<std::int32_t> on;
    for (const NodalLoad& l : c.loads)
      on.push_back(library_node[static_cast<std::size_t>(locate(l.origin, l.at) - 1)]);
    placement.load_node.push_back(std::move(on));
    std::vector<std::size_t> moved;
    for (const SupportDisplacement& d : c.support_displacements) {
      const std::int32_t n = locate(d.origin, d.at);
      const auto it = held.find(n);
      if (it == held.end())
        throw InputError(fmt::format("{}: {}: field \"at\": node {} has no support",
                                     d.origin.file, d.origin.place, n));
      const Support& s = model.supports[it->second];
      for (std::size_t k = 0; k < 6; ++k)
        if (d.given[k] && !s.restrained[k])
          throw InputError(fmt::format(
              "{}: {}: field \"displacement\": direction {} is not restrained by support \"{}\"",
              d.origin.file, d.origin.place, k_dof_names[k], s.name));
      moved.push_back(it->second);
    }
    placement.displaced_support.push_back(std::move(moved));
  }
  return placement;
}

}  // namespace zervola::frame

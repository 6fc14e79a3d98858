#include "placement.hpp"

#include <fmt/format.h>

#include <cmath>
#include <map>

#include "errors.hpp"
#include "model_validation.hpp"

namespace zervola::host {
namespace {

std::string where(const Point3& p) { return fmt::format("[{}, {}, {}]", p.x, p.y, p.z); }

[[noreturn]] void not_on_node(const Origin& o, const Point3& p) {
  throw InputError(fmt::format("{}: {}: field \"at\": the point {} lies on no node (no member "
                               "starts or ends there)",
                               o.file, o.place, where(p)));
}

}  // namespace

std::int32_t find_node(const std::vector<Point3>& nodes, const Point3& p) {
  std::int32_t best = 0;
  double best_distance = 0.0;
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const Point3& n = nodes[k];
    const double dx = std::abs(n.x - p.x), dy = std::abs(n.y - p.y), dz = std::abs(n.z - p.z);
    if (!(dx < k_node_tolerance && dy < k_node_tolerance && dz < k_node_tolerance)) continue;
    const double d = dx * dx + dy * dy + dz * dz;
    if (best == 0 || d < best_distance) {
      best = static_cast<std::int32_t>(k) + 1;
      best_distance = d;
    }
  }
  return best;
}

Placement place_on_nodes(const Model& model, const std::vector<Point3>& nodes,
                         const std::vector<std::int32_t>& library_node) {
  Placement placement;
  const auto locate = [&](const Origin& o, const Point3& p) {
    const std::int32_t n = find_node(nodes, p);
    if (n == 0) not_on_node(o, p);
    return n;
  };
  std::map<std::int32_t, std::string> held;
  for (const Support& s : model.supports) {
    const std::int32_t n = locate(s.origin, s.at);
    if (const auto it = held.find(n); it != held.end())
      throw InputError(fmt::format("{}: {}: field \"at\": node {} already has support \"{}\"",
                                   s.origin.file, s.origin.place, n, it->second));
    held.emplace(n, s.name);
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
  }
  return placement;
}

}  // namespace zervola::host

#include "analysis/solution/mechanism_check.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace zervola::frame {
namespace {

// Directions named in the message, at most.
constexpr std::size_t k_named_directions = 6;
// The diagonal the library gives an equation without any stiffness.
constexpr double k_unit_diagonal = 1.0;

}  // namespace

std::vector<Mechanism> find_mechanisms(const std::vector<bool>& without_stiffness,
                                       const std::vector<bool>& prescribed,
                                       const std::vector<double>& diagonal,
                                       const std::vector<double>& pivot,
                                       const std::vector<std::vector<double>>& shapes,
                                       const std::vector<std::int32_t>& drawing_node) {
  const auto dofs = static_cast<std::size_t>(k_dofs_per_node);
  std::vector<Mechanism> out;
  std::size_t shape = 0;
  const auto name = [&](std::size_t where, double share) {
    const Mechanism m{drawing_node[where / dofs], static_cast<int>(where % dofs), share};
    const bool named = std::any_of(out.begin(), out.end(), [&](const Mechanism& o) {
      return o.node == m.node && o.dof == m.dof;
    });
    if (!named) out.push_back(m);
  };
  for (std::size_t j = 0; j < pivot.size(); ++j) {
    if (without_stiffness[j]) {
      // Only the unit diagonal holds it: nothing holds it.
      const bool translation = j % dofs < 3;
      if (translation && !prescribed[j] && diagonal[j] == k_unit_diagonal) name(j, 0.0);
      continue;
    }
    // The same test as the core's choice of the shapes. After a zero pivot
    // the factors are not finite: those pivots follow from the first, and
    // are not mechanisms of their own.
    const double share = pivot[j] / diagonal[j];
    if (!(pivot[j] < k_mechanism_pivot_share * diagonal[j])) continue;
    std::size_t where = j;
    if (shape < shapes.size()) {
      // The largest translation of the motion, else its largest rotation.
      const std::vector<double>& x = shapes[shape++];
      for (const bool translations : {true, false}) {
        double largest = 0.0;
        for (std::size_t q = 0; q < x.size(); ++q)
          if (((q % dofs) < 3) == translations && std::abs(x[q]) > largest) {
            largest = std::abs(x[q]);
            where = q;
          }
        if (largest > 0.0) break;
      }
    }
    name(where, share);
  }
  std::sort(out.begin(), out.end(), [](const Mechanism& a, const Mechanism& b) {
    return a.node < b.node || (a.node == b.node && a.dof < b.dof);
  });
  return out;
}

std::string mechanism_message(const Model& model, const std::vector<Point3>& nodes,
                              const std::vector<Mechanism>& found) {
  std::string listed;
  for (std::size_t k = 0; k < found.size() && k < k_named_directions; ++k) {
    const Mechanism& m = found[k];
    const Point3& p = nodes[static_cast<std::size_t>(m.node - 1)];
    listed += fmt::format("{}node {} at [{:g}, {:g}, {:g}] in direction {}", k == 0 ? "" : "; ",
                          m.node, p.x, p.y, p.z, k_dof_names[static_cast<std::size_t>(m.dof)]);
  }
  if (found.size() > k_named_directions)
    listed += fmt::format("; and {} more", found.size() - k_named_directions);
  return fmt::format("{}: the frame is a mechanism: it can move without straining its members, "
                     "whatever the loads, at {} (the factorisation leaves as little as {:.1e} "
                     "of the stiffness there); add supports, springs or members that hold it there, or "
                     "remove releases",
                     model.source_file, listed,
                     std::min_element(found.begin(), found.end(),
                                      [](const Mechanism& a, const Mechanism& b) {
                                        return a.share < b.share;
                                      })->share);
}

}  // namespace zervola::frame

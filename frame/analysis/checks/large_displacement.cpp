#include "analysis/checks/large_displacement.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "zervola/frame/units.hpp"

namespace zervola::frame {
namespace {

// Load sets named in the warning, at most; the rest are counted.
constexpr std::size_t k_listed_sets = 10;

}  // namespace

std::vector<Warning> large_displacement_warnings(const Model& model, const AnalysisResult& r) {
  std::vector<Warning> out;
  // Like the other checks of plausibility, judged only in units that
  // convert (the reader warned of the others once).
  if (r.nodes.empty() || !unit_scale(model.units)) return out;
  Point3 low = r.nodes.front(), high = r.nodes.front();
  for (const Point3& p : r.nodes) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  const double extent = std::max({high.x - low.x, high.y - low.y, high.z - low.z});
  const double limit = k_large_displacement_share * extent;
  // One warning for the whole model, however many sets move too far: the
  // first few are named, the rest counted.
  std::string listed;
  std::vector<std::string> items;
  const auto check = [&](const CaseResult& c, const char* kind) {
    double largest = 0.0;
    std::size_t node = 0;
    for (std::size_t n = 0; n < c.displacements.size(); ++n) {
      const auto& u = c.displacements[n];
      const double size = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
      if (size > largest) {
        largest = size;
        node = n;
      }
    }
    if (!(largest > limit)) return;
    if (items.size() < k_listed_sets) {
      const Point3& p = r.nodes[node];
      listed += fmt::format("{}{} \"{}\": node {} at ({:g}, {:g}, {:g}) moves {:g} {}",
                            items.empty() ? "" : "; ", kind, c.name, node + 1, p.x, p.y, p.z,
                            largest, model.units.length);
    }
    items.push_back(c.name);
  };
  for (const CaseResult& c : r.cases) check(c, "load case");
  for (const CaseResult& c : r.combinations) check(c, "combination");
  if (items.empty()) return out;
  if (items.size() > k_listed_sets) listed += fmt::format("; and {} more load sets", items.size() - k_listed_sets);
  out.push_back(
      {"large_displacement",
       fmt::format("{}: {}: more than 1/20 of the frame's extent ({:g} {}): a linear analysis "
                   "does not hold there; check the units (of E and of the loads), the supports "
                   "and the releases",
                   model.source_file, listed, extent, model.units.length),
       std::move(items)});
  return out;
}

}  // namespace zervola::frame

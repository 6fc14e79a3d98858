#include "analysis/checks/short_members.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zervola::frame {
namespace {

// Members listed in the warning, at most; the rest are counted.
constexpr std::size_t k_listed_members = 10;

}  // namespace

ShortMemberFindings short_member_warnings(const Model& model, const AnalysisResult& r) {
  ShortMemberFindings out;
  std::size_t n_nodes = 0;
  for (const MemberGeometry& g : r.members)
    n_nodes = std::max({n_nodes, static_cast<std::size_t>(g.start_node), static_cast<std::size_t>(g.end_node)});
  // The longest and second longest member at every node, so that a member's
  // neighbour is never itself.
  std::vector<std::optional<std::size_t>> longest(n_nodes + 1), second(n_nodes + 1);
  const auto length = [&](std::size_t e) { return r.members[e].length; };
  for (std::size_t e = 0; e < r.members.size(); ++e)
    for (const auto node : {r.members[e].start_node, r.members[e].end_node}) {
      auto& first = longest[static_cast<std::size_t>(node)];
      auto& next = second[static_cast<std::size_t>(node)];
      if (!first || length(e) > length(*first)) {
        next = first;
        first = e;
      } else if (!next || length(e) > length(*next)) {
        next = e;
      }
    }
  std::string listed;
  std::vector<std::string> items;
  for (std::size_t e = 0; e < r.members.size(); ++e) {
    std::optional<std::size_t> neighbour;
    std::int32_t at_node = 0;
    for (const auto node : {r.members[e].start_node, r.members[e].end_node}) {
      const auto n = static_cast<std::size_t>(node);
      const std::optional<std::size_t> other = longest[n] == e ? second[n] : longest[n];
      if (other && (!neighbour || length(*other) > length(*neighbour))) {
        neighbour = other;
        at_node = node;
      }
    }
    if (!neighbour || !(length(e) < k_short_member_share * length(*neighbour))) continue;
    const Member& m = model.members[e];
    const Member& n = model.members[*neighbour];
    const Point3& p = r.nodes[static_cast<std::size_t>(at_node) - 1];
    const std::string text =
        fmt::format("member \"{}\" is {:g} {} long, {:.0f} times shorter than member \"{}\" that "
                    "meets it at node {} ({:g}, {:g}, {:g})",
                    m.name, length(e), model.units.length, length(*neighbour) / length(e), n.name,
                    at_node, p.x, p.y, p.z);
    if (items.size() < k_listed_members) listed += (items.empty() ? "" : "; ") + text;
    const std::string cause =
        fmt::format("The likely cause: {}: so stiff a piece beside long members leaves the "
                    "equations too few correct digits; if its two ends are meant to be one "
                    "point, remove it and draw its neighbours to that point",
                    text);
    for (const auto node : {r.members[e].start_node, r.members[e].end_node})
      out.likely_cause.emplace(node, cause);
    items.push_back(m.name);
  }
  if (items.empty()) return out;
  if (items.size() > k_listed_members) listed += fmt::format("; and {} more", items.size() - k_listed_members);
  out.warnings.push_back(
      {"short_member",
       fmt::format("{}: {}: a member this short is so much stiffer than its neighbours that the "
                   "results lose precision; check whether its two ends are meant to be one point",
                   model.source_file, listed),
       std::move(items)});
  return out;
}

}  // namespace zervola::frame

#include "analysis/checks/section_axes.hpp"

#include <fmt/format.h>

#include <cmath>
#include <map>

namespace zervola::frame {
namespace {

// A larger inertia within this ratio of the smaller is a section about as
// stiff both ways (a square tube typed from a rounded table).
constexpr double k_similar_inertia_ratio = 1.01;
// A member is vertical when its horizontal length is below this share of
// its length.
constexpr double k_vertical_share = 1.0e-9;
// Members named in a warning, at most.
constexpr std::size_t k_named_members = 5;

// Whether any load of the model pushes along global z (or, in local axes,
// along a member's local z, which lies in its vertical plane).
bool vertical_loads(const Model& model) {
  for (const LoadCase& c : model.load_cases) {
    if (c.gravity && (*c.gravity)[2] != 0.0) return true;
    for (const NodalLoad& l : c.loads)
      if (l.force[2] != 0.0) return true;
    for (const MemberLoad& l : c.member_loads) {
      if (l.kind != MemberLoadKind::distributed && l.kind != MemberLoadKind::force) continue;
      if (l.start_value[2] != 0.0 || l.end_value[2] != 0.0) return true;
    }
  }
  return false;
}

bool vertical(const Member& m) {
  const double dx = m.to.x - m.from.x, dy = m.to.y - m.from.y, dz = m.to.z - m.from.z;
  return std::hypot(dx, dy) <= k_vertical_share * std::hypot(dx, dy, dz);
}

std::string member_list(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t k = 0; k < names.size() && k < k_named_members; ++k)
    out += fmt::format("{}\"{}\"", k == 0 ? "" : ", ", names[k]);
  if (names.size() > k_named_members) out += fmt::format(" and {} more", names.size() - k_named_members);
  return out;
}

}  // namespace

std::vector<Warning> section_axis_warnings(const Model& model) {
  std::vector<Warning> out;
  // Strong and weak axes typed the wrong way round.
  for (const Section& s : model.sections) {
    if (!s.strong_weak || !s.profile.empty() || !s.shape.empty()) continue;
    const double strong = model.frame == FrameKind::space ? s.inertia_y : s.inertia_z;
    const double weak = model.frame == FrameKind::space ? s.inertia_z : s.inertia_y;
    if (!(weak > k_similar_inertia_ratio * strong)) continue;
    out.push_back({"weak_axis_bending",
                   fmt::format("{}: section \"{}\": I_strong = {:g} is smaller than I_weak = {:g}: "
                               "the section bends about its weaker axis where the strong one is "
                               "meant to bend; swap them if that is not meant",
                               model.source_file, s.name, strong, weak),
                   {s.name}});
  }
  // Members that bend: a pin-ended bar carries axial force only.
  std::map<std::string, std::vector<std::string>> bent;  // section -> its members
  for (const Member& m : model.members)
    if (m.release != Release::pinned) bent[m.section].push_back(m.name);
  if (model.frame == FrameKind::plane) {
    for (const Section& s : model.sections) {
      if (s.strong_weak || !(s.inertia_y > k_similar_inertia_ratio * s.inertia_z)) continue;
      if (!bent.contains(s.name)) continue;
      out.push_back(
          {"weak_axis_bending",
           fmt::format("{}: section \"{}\": a plane frame bends its members about Iz = {:g}, "
                       "the smaller inertia (Iy = {:g} acts out of the plane): if the section's "
                       "strong axis should bend in the frame's plane, swap Iy and Iz or give "
                       "I_strong and I_weak",
                       model.source_file, s.name, s.inertia_z, s.inertia_y),
           {s.name}});
    }
    return out;
  }
  if (!vertical_loads(model)) return out;
  std::map<std::string, std::vector<std::string>> flat;  // section -> members bent weakly
  for (const Member& m : model.members)
    if (!m.orientation_point && !vertical(m) && m.release != Release::pinned)
      flat[m.section].push_back(m.name);
  for (const Section& s : model.sections) {
    if (s.strong_weak || !(s.inertia_z > k_similar_inertia_ratio * s.inertia_y)) continue;
    const auto it = flat.find(s.name);
    if (it == flat.end()) continue;
    std::vector<std::string> items{s.name};
    items.insert(items.end(), it->second.begin(), it->second.end());
    out.push_back(
        {"weak_axis_bending",
         fmt::format("{}: section \"{}\": its larger inertia Iz = {:g} bends the {} {} in "
                     "the horizontal plane and the smaller Iy = {:g} in the vertical plane, "
                     "where gravity bends: if the strong axis should carry the vertical "
                     "loads, swap Iy and Iz (in a space frame Iy bends in local x-z), give "
                     "I_strong and I_weak, or turn the members with an orientation point",
                     model.source_file, s.name, s.inertia_z,
                     it->second.size() == 1 ? "member" : "members", member_list(it->second),
                     s.inertia_y),
         std::move(items)});
  }
  return out;
}

}  // namespace zervola::frame

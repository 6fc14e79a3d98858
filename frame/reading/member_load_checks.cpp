#include "reading/member_load_checks.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string>

#include "model/item_fault.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

double member_length(const Member& m) {
  const double dx = m.to.x - m.from.x, dy = m.to.y - m.from.y, dz = m.to.z - m.from.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void check_plane_load(const MemberLoad& l) {
  const Vector3& a = l.start_value;
  const Vector3& b = l.end_value;
  switch (l.kind) {
    case MemberLoadKind::distributed:
      if (a[2] != 0.0 || b[2] != 0.0)
        fail_item(l.origin, "value", "a plane frame carries no load along z");
      break;
    case MemberLoadKind::force:
      if (a[2] != 0.0) fail_item(l.origin, "value", "a plane frame carries no force along z");
      break;
    case MemberLoadKind::moment:
      if (a[0] != 0.0 || a[1] != 0.0)
        fail_item(l.origin, "value", "a plane frame carries moments about z only");
      break;
    case MemberLoadKind::temperature:
      if (l.difference_z != 0.0)
        fail_item(l.origin, "difference_z", "a plane frame bends about local z only");
      break;
  }
}

void check_load(const Model& model, const MemberIndex& index, const MemberLoad& l) {
  const std::size_t e = member_of(index, l);
  const Member& m = model.members[e];
  const double L = member_length(m);
  switch (l.kind) {
    case MemberLoadKind::distributed: (void)distributed_span(l, L); break;
    case MemberLoadKind::force: (void)place_on(l, "position", l.position, L); break;
    case MemberLoadKind::moment: {
      (void)place_on(l, "position", l.position, L);
      if (m.release == Release::pinned) {
        // The torque about the member's axis, in whichever axes it is given.
        double torque = l.start_value[0];
        if (l.axes != LoadAxes::local)
          torque = ((m.to.x - m.from.x) * l.start_value[0] + (m.to.y - m.from.y) * l.start_value[1] +
                    (m.to.z - m.from.z) * l.start_value[2]) / L;
        if (std::abs(torque) > k_position_tolerance * (std::abs(l.start_value[0]) +
                                                      std::abs(l.start_value[1]) +
                                                      std::abs(l.start_value[2])))
          fail_item(l.origin, "value",
               fmt::format("member \"{}\" is pin-ended and carries no torque about its axis "
                           "(this moment has {})",
                           m.name, torque));
      }
      break;
    }
    case MemberLoadKind::temperature:
      if (section_of(model, m).thermal_coefficient == 0.0)
        fail_item(l.origin, "",
             fmt::format("a temperature load on member \"{}\" needs its section \"{}\" to have a "
                         "thermal_coefficient",
                         m.name, m.section));
      break;
  }
  if (model.frame == FrameKind::plane) check_plane_load(l);
}

}  // namespace

const Section& section_of(const Model& model, const Member& m) {
  for (const Section& s : model.sections)
    if (s.name == m.section) return s;
  throw InputError(fmt::format("{}: {}: field \"section\": unknown section \"{}\"", m.origin.file,
                               m.origin.place, m.section));
}

MemberIndex member_index(const Model& model) {
  MemberIndex index;
  for (std::size_t e = 0; e < model.members.size(); ++e) index.emplace(model.members[e].name, e);
  return index;
}

// Whether a name is one a drawing's member takes by its place (D1, D2, ...).
bool named_by_place(const std::string& name) {
  return name.size() > 1 && name[0] == 'D' &&
         std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::size_t member_of(const MemberIndex& index, const MemberLoad& l) {
  const auto found = index.find(l.member);
  if (found != index.end()) return found->second;
  // A model written when its drawing's members were named by place, whose
  // drawing now names them by handle: say so, rather than only "unknown".
  const bool handles = std::any_of(index.begin(), index.end(), [](const auto& entry) {
    return entry.first.size() > 1 && entry.first[0] == 'H' &&
           std::isxdigit(static_cast<unsigned char>(entry.first[1])) != 0;
  });
  fail_item(l.origin, "member",
            fmt::format("unknown member \"{}\"{}", l.member,
                        named_by_place(l.member) && handles
                            ? "; the drawing's members are named by their entities' handles "
                              "(H2F, H30.1, ...), not by place: the report lists them"
                            : ""));
}

double place_on(const MemberLoad& l, const char* field, double value, double L) {
  const double x = l.relative ? value * L : value;
  const double slack = k_position_tolerance * L;
  if (!(x >= -slack && x <= L + slack))
    fail_item(l.origin, field,
         l.relative ? fmt::format("{} lies outside the member (relative positions run from 0 to 1)",
                                  value)
                    : fmt::format("{} lies outside the member \"{}\" (length {})", value, l.member, L));
  return std::clamp(x, 0.0, L);
}

Span distributed_span(const MemberLoad& l, double L) {
  Span s{l.start ? place_on(l, "start", *l.start, L) : 0.0,
         l.end ? place_on(l, "end", *l.end, L) : L};
  if (!(s.end > s.start))
    fail_item(l.origin, "end", fmt::format("the load must end after it starts (start {}, end {})",
                                      s.start, s.end));
  return s;
}

void validate_member_loads(const Model& model) {
  std::set<std::string> cases;
  const MemberIndex index = member_index(model);
  for (const LoadCase& c : model.load_cases) {
    cases.insert(c.name);
    for (const MemberLoad& l : c.member_loads) check_load(model, index, l);
    if (!c.gravity) continue;
    if (model.frame == FrameKind::plane && (*c.gravity)[2] != 0.0)
      fail_item(c.origin, "gravity", "a plane frame carries no load along z");
    for (const Member& m : model.members)
      if (!section_of(model, m).density)
        fail_item(c.origin, c.self_weight ? "self_weight" : "gravity",
             fmt::format("self-weight needs a density: section \"{}\" (of member \"{}\") has "
                         "none (give it a \"density\" or a \"material\")",
                         m.section, m.name));
  }
  std::set<std::string> combinations;
  for (const Combination& c : model.combinations) {
    if (cases.contains(c.name))
      fail_item(c.origin, "name", "a load case has this name");
    if (!combinations.insert(c.name).second)
      fail_item(c.origin, "name", "another combination has this name");
    for (const auto& [name, factor] : c.factors) {
      // The spectrum's magnitudes carry no sign and no diagram a factor
      // could add to a load case's: refused rather than combined wrongly.
      if (model.spectrum && name == model.spectrum->name)
        fail_item(c.origin, "factors",
             fmt::format("\"{}\" is the response spectrum: its results are magnitudes without "
                         "sign and cannot be added to load cases in a combination; combine them "
                         "with the static results by hand (each magnitude with either sign)",
                         name));
      if (!cases.contains(name)) fail_item(c.origin, "factors", fmt::format("unknown load case \"{}\"", name));
    }
  }
  std::set<std::string> envelopes;
  for (const Envelope& v : model.envelopes) {
    if (!envelopes.insert(v.name).second) fail_item(v.origin, "name", "another envelope has this name");
    for (const std::string& name : v.combinations)
      if (!combinations.contains(name) && !cases.contains(name))
        fail_item(v.origin, "combinations",
             fmt::format("unknown combination or load case \"{}\"", name));
  }
}

}  // namespace zervola::frame

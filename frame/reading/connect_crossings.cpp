#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "analysis/checks/member_geometry.hpp"
#include "reading/member_load_checks.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

double distance(const Point3& a, const Point3& b) {
  return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
}

// Whether the library merges the two points into one node.
bool one_node(const Point3& a, const Point3& b) {
  return std::abs(a.x - b.x) < k_node_tolerance && std::abs(a.y - b.y) < k_node_tolerance &&
         std::abs(a.z - b.z) < k_node_tolerance;
}

// A cut of a member: where along it, and the point (shared with every
// member cut there, so that their pieces meet in one node).
struct Cut {
  double x;
  Point3 at;
};

// The crossing points gathered into places: points closer than the
// tolerance of either (the distance within which their members touch) or
// than the library's node tolerance are one place, so that three members
// through one point (or nearly) meet in one node, in mm as in m. Returns,
// per crossing, the point of its place (the first one found there).
std::vector<Point3> gathered_points(const std::vector<MemberCrossing>& crossings) {
  const std::size_t n = crossings.size();
  std::vector<std::size_t> parent(n);
  for (std::size_t k = 0; k < n; ++k) parent[k] = k;
  const auto root = [&](std::size_t k) {
    while (parent[k] != k) k = parent[k] = parent[parent[k]];
    return k;
  };
  // Sorted along x, each point meets only those within reach along x.
  std::vector<std::size_t> order(n);
  for (std::size_t k = 0; k < n; ++k) order[k] = k;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return crossings[a].at.x < crossings[b].at.x; });
  double widest = k_node_tolerance;
  for (const MemberCrossing& c : crossings) widest = std::max(widest, c.tolerance);
  for (std::size_t i = 0; i < n; ++i) {
    const MemberCrossing& a = crossings[order[i]];
    for (std::size_t j = i + 1; j < n && crossings[order[j]].at.x - a.at.x <= widest; ++j) {
      const MemberCrossing& b = crossings[order[j]];
      const double reach = std::max({a.tolerance, b.tolerance, k_node_tolerance});
      if (one_node(a.at, b.at) || distance(a.at, b.at) <= reach) {
        const std::size_t ra = root(order[i]), rb = root(order[j]);
        parent[std::max(ra, rb)] = std::min(ra, rb);
      }
    }
  }
  std::vector<Point3> out(n);
  for (std::size_t k = 0; k < n; ++k) out[k] = crossings[root(k)].at;
  return out;
}

// The cuts of member m at these points, in order from its start, one per
// place, none at its ends.
std::vector<Cut> cuts_of(const Member& m, const std::vector<Point3>& points) {
  const double L = distance(m.from, m.to);
  std::vector<Cut> all;
  for (const Point3& p : points) {
    const double x = ((p.x - m.from.x) * (m.to.x - m.from.x) + (p.y - m.from.y) * (m.to.y - m.from.y) +
                      (p.z - m.from.z) * (m.to.z - m.from.z)) /
                     L;
    all.push_back({x, p});
  }
  std::sort(all.begin(), all.end(), [](const Cut& a, const Cut& b) { return a.x < b.x; });
  std::vector<Cut> kept;
  for (const Cut& c : all) {
    if (one_node(c.at, m.from) || one_node(c.at, m.to)) continue;
    if (!kept.empty() && one_node(c.at, kept.back().at)) continue;
    kept.push_back(c);
  }
  return kept;
}

// The stretch of a member load of the drawn member (length L) that lies on the
// piece [a, b], as a load of the piece; none when it lies elsewhere.
// Positions are taken as the model's checks take them: within
// k_position_tolerance of the member (a share of L) and clamped to it.
std::optional<MemberLoad> load_on_piece(const MemberLoad& l, double L, double a, double b, bool last,
                                        const std::string& piece) {
  const double scale = l.relative ? L : 1.0;
  const double slack = k_position_tolerance * L;
  const auto place = [&](double value) { return std::clamp(value * scale, 0.0, L); };
  MemberLoad p = l;
  p.member = piece;
  p.relative = false;
  switch (l.kind) {
    case MemberLoadKind::temperature:
      return p;
    case MemberLoadKind::force:
    case MemberLoadKind::moment: {
      const double x = place(l.position);
      // A load at a cut (within the slack) acts on the piece that begins there.
      if (x < a - slack || (last ? x > b + slack : x >= b - slack)) return std::nullopt;
      p.position = std::clamp(x - a, 0.0, b - a);
      return p;
    }
    case MemberLoadKind::distributed: {
      const double s = l.start ? place(*l.start) : 0.0;
      const double e = l.end ? place(*l.end) : L;
      const double lo = std::max(s, a), hi = std::min(e, b);
      if (!(hi > lo)) return std::nullopt;
      const auto value = [&](double x) {
        const double t = e > s ? (x - s) / (e - s) : 0.0;
        Vector3 v{};
        for (std::size_t k = 0; k < 3; ++k) v[k] = l.start_value[k] + t * (l.end_value[k] - l.start_value[k]);
        return v;
      };
      p.start = lo - a;
      p.end = hi - a;
      p.start_value = value(lo);
      p.end_value = value(hi);
      return p;
    }
  }
  return std::nullopt;
}

}  // namespace

Model connect_crossings(const Model& model) {
  Model out = model;
  out.connect_crossings = true;
  const std::vector<MemberCrossing> crossings = member_crossings(model);
  if (crossings.empty()) return out;
  const std::vector<Point3> places = gathered_points(crossings);
  std::map<std::size_t, std::vector<Point3>> points;
  for (std::size_t k = 0; k < crossings.size(); ++k) points[crossings[k].member].push_back(places[k]);

  std::set<std::string> names;
  for (const Member& m : model.members) names.insert(m.name);
  out.members.clear();
  std::map<std::string, std::size_t> drawn_of;  // name of a cut member -> index into drawn_members
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Member& m = model.members[e];
    const auto found = points.find(e);
    const std::vector<Cut> cuts = found == points.end() ? std::vector<Cut>{} : cuts_of(m, found->second);
    if (cuts.empty()) {
      out.members.push_back(m);
      continue;
    }
    DrawnMember d{m.name, m.from, m.to, distance(m.from, m.to), {}, {}, m.origin};
    std::vector<Point3> ends{m.from};
    for (const Cut& c : cuts) ends.push_back(c.at);
    ends.push_back(m.to);
    for (std::size_t k = 0; k + 1 < ends.size(); ++k) {
      Member piece = m;
      piece.name = fmt::format("{}.{}", m.name, k + 1);
      if (names.contains(piece.name))
        throw InputError(fmt::format(
            "{}: member \"{}\" ({}) crosses other members and is cut into pieces named \"{}.1\", "
            "\"{}.2\", ..., but the model already has a member \"{}\": rename that member",
            model.source_file, m.name, m.origin.place, m.name, m.name, piece.name));
      piece.from = ends[k];
      piece.to = ends[k + 1];
      const bool first = k == 0, last = k + 2 == ends.size();
      const bool hinge_start = m.release == Release::hinge_start || m.release == Release::pinned;
      const bool hinge_end = m.release == Release::hinge_end || m.release == Release::pinned;
      const bool start = first && hinge_start, end = last && hinge_end;
      piece.release = start && end ? Release::pinned
                      : start      ? Release::hinge_start
                      : end        ? Release::hinge_end
                                   : Release::none;
      d.pieces.push_back(out.members.size());
      d.piece_starts.push_back(k == 0 ? 0.0 : cuts[k - 1].x);
      out.members.push_back(std::move(piece));
    }
    drawn_of[m.name] = out.drawn_members.size();
    out.drawn_members.push_back(std::move(d));
  }

  for (LoadCase& c : out.load_cases) {
    std::vector<MemberLoad> loads;
    for (const MemberLoad& l : c.member_loads) {
      const auto drawn = drawn_of.find(l.member);
      if (drawn == drawn_of.end()) {
        loads.push_back(l);
        continue;
      }
      const DrawnMember& d = out.drawn_members[drawn->second];
      for (std::size_t k = 0; k < d.pieces.size(); ++k) {
        const bool last = k + 1 == d.pieces.size();
        const double a = d.piece_starts[k], b = last ? d.length : d.piece_starts[k + 1];
        if (auto p = load_on_piece(l, d.length, a, b, last, out.members[d.pieces[k]].name))
          loads.push_back(std::move(*p));
      }
    }
    c.member_loads = std::move(loads);
  }
  validate_model(out);
  return out;
}

}  // namespace zervola::frame

#include "analysis/checks/member_geometry.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <unordered_map>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// A member end this close to another member (as a share of the shorter
// member's length) touches it; closer than k_near_miss_share it nearly
// does. Both relative, so that a model in mm and the same in m agree.
constexpr double k_touch_share = 1.0e-6;
constexpr double k_near_miss_share = 1.0 / 100.0;
// Two members are parallel when the sine of their angle is below this.
constexpr double k_parallel_sine = 1.0e-9;
// Pairs listed in one warning, at most; the rest are counted.
constexpr std::size_t k_listed_pairs = 10;

using V = std::array<double, 3>;

V sub(const V& a, const V& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V add(const V& a, const V& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
V scale(const V& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(const V& a, const V& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const V& a) { return std::sqrt(dot(a, a)); }
V cross(const V& a, const V& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

struct Segment {
  V a, b;
  std::int32_t na = 0, nb = 0;  // node numbers of its ends
  double length = 0.0;
};

// The parameter in [0, 1] of the point of segment s nearest to p.
double nearest_on(const Segment& s, const V& p) {
  const V d = sub(s.b, s.a);
  const double t = dot(sub(p, s.a), d) / dot(d, d);
  return std::clamp(t, 0.0, 1.0);
}

V point_at(const Segment& s, double t) { return add(s.a, scale(sub(s.b, s.a), t)); }

// The nearest points of two segments that are not parallel (parameters
// clamped to the segments), by the standard two-step clamping.
std::pair<double, double> nearest_pair(const Segment& p, const Segment& q) {
  const V d1 = sub(p.b, p.a), d2 = sub(q.b, q.a), r = sub(p.a, q.a);
  const double a = dot(d1, d1), e = dot(d2, d2), f = dot(d2, r), c = dot(d1, r), b = dot(d1, d2);
  const double denominator = a * e - b * b;
  double s = denominator > 0.0 ? std::clamp((b * f - c * e) / denominator, 0.0, 1.0) : 0.0;
  double t = (b * s + f) / e;
  if (t < 0.0) {
    t = 0.0;
    s = std::clamp(-c / a, 0.0, 1.0);
  } else if (t > 1.0) {
    t = 1.0;
    s = std::clamp((b - c) / a, 0.0, 1.0);
  }
  return {s, t};
}

// A cell number within the range of the grid's keys (21 bits a coordinate,
// which wrap: far cells may share a key, and are then compared needlessly
// but correctly); clamped so that an enormous coordinate converts safely.
std::int64_t clamped_cell(double v) {
  constexpr double k_limit = 1.0e15;
  return static_cast<std::int64_t>(std::clamp(v, -k_limit, k_limit));
}

std::string point_text(const V& p) { return fmt::format("({:g}, {:g}, {:g})", p[0], p[1], p[2]); }

struct Finding {
  std::size_t first, second;
  std::string text;
};

class Checker {
 public:
  Checker(const Model& model, std::vector<Segment> segments)
      : model_(model), segments_(std::move(segments)) {
    for (const Segment& s : segments_) {
      joined_.insert({s.na, s.nb});
      joined_.insert({s.nb, s.na});
    }
  }

  Checker(const Model& model, const AnalysisResult& r) : model_(model) {
    segments_.reserve(r.members.size());
    for (const MemberGeometry& g : r.members) {
      const Point3& p = r.nodes[static_cast<std::size_t>(g.start_node - 1)];
      const Point3& q = r.nodes[static_cast<std::size_t>(g.end_node - 1)];
      segments_.push_back({{p.x, p.y, p.z}, {q.x, q.y, q.z}, g.start_node, g.end_node, g.length});
      joined_.insert({g.start_node, g.end_node});
      joined_.insert({g.end_node, g.start_node});
    }
  }

  // Where members cross or end on another's span, found by run.
  [[nodiscard]] const std::vector<MemberCrossing>& crossing_points() const { return crossing_points_; }

  MemberGeometryFindings run(bool refuse_overlaps = true) {
    for_candidate_pairs([&](std::size_t i, std::size_t j) { examine(i, j); });
    if (!duplicates_.empty() && refuse_overlaps) {
      const Finding& f = duplicates_.front();
      throw InputError(fmt::format("{}: member \"{}\" and member \"{}\" {} ({}); remove one, or "
                                   "draw them end to end",
                                   model_.source_file, name(f.first), name(f.second), f.text,
                                   model_.members[f.first].origin.place));
    }
    MemberGeometryFindings out;
    for (Finding& f : duplicates_)
      f.text = fmt::format("\"{}\" and \"{}\" {}", name(f.first), name(f.second), f.text);
    if (!duplicates_.empty())
      out.warnings.push_back(warning("duplicate_member", duplicates_,
                                     "members drawn twice or over each other: remove one, or "
                                     "draw them end to end"));
    if (!crossings_.empty())
      out.warnings.push_back(warning("crossing_members", crossings_,
                                     "members cross or touch without a common node, so they are "
                                     "not connected there: draw them in pieces that meet at the "
                                     "point if they are meant to be"));
    if (!near_misses_.empty())
      out.warnings.push_back(warning("near_miss", near_misses_,
                                     "a member end lies close to another member but does not meet "
                                     "it (points merge within 1e-4): move the end onto the other "
                                     "member's end or node if they are meant to be connected"));
    return out;
  }

 private:
  const std::string& name(std::size_t e) const { return model_.members[e].name; }

  // Pairs of members whose boxes, grown by the near-miss distance, share a
  // cell of a uniform grid: near-linear in the number of members.
  template <typename F>
  void for_candidate_pairs(F&& visit) {
    if (segments_.size() < 2) return;
    std::vector<double> lengths;
    for (const Segment& s : segments_) lengths.push_back(s.length);
    std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2),
                     lengths.end());
    const double cell = std::max(lengths[lengths.size() / 2], 1e-300);
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> grid;
    const auto key = [](std::int64_t x, std::int64_t y, std::int64_t z) {
      const auto u = [](std::int64_t v) { return static_cast<std::uint64_t>(v) & 0x1FFFFF; };
      return u(x) | (u(y) << 21) | (u(z) << 42);
    };
    // A member longer than many cells is placed in the cells its box spans;
    // beyond this many, it is compared with every member instead.
    constexpr std::int64_t k_most_cells = 4096;
    std::vector<std::uint32_t> everywhere;
    for (std::size_t e = 0; e < segments_.size(); ++e) {
      const Segment& s = segments_[e];
      const double grow = k_near_miss_share * s.length;
      std::array<std::int64_t, 3> lo{}, hi{};
      double cells = 1.0;  // counted in doubles: coordinates may be enormous
      for (std::size_t d = 0; d < 3; ++d) {
        const double l = std::floor((std::min(s.a[d], s.b[d]) - grow) / cell);
        const double h = std::floor((std::max(s.a[d], s.b[d]) + grow) / cell);
        cells *= h - l + 1.0;
        lo[d] = clamped_cell(l);
        hi[d] = clamped_cell(h);
      }
      if (!(cells <= static_cast<double>(k_most_cells))) {
        everywhere.push_back(static_cast<std::uint32_t>(e));
        continue;
      }
      for (std::int64_t x = lo[0]; x <= hi[0]; ++x)
        for (std::int64_t y = lo[1]; y <= hi[1]; ++y)
          for (std::int64_t z = lo[2]; z <= hi[2]; ++z)
            grid[key(x, y, z)].push_back(static_cast<std::uint32_t>(e));
    }
    // Each member meets the members of the cells it covers once: a stamp
    // per member marks those already met, so no list of pairs is sorted.
    std::vector<std::size_t> met(segments_.size(), segments_.size());
    std::vector<std::vector<std::uint64_t>> cells_of(segments_.size());
    for (const auto& [cell_key, members] : grid)
      for (std::uint32_t e : members) cells_of[e].push_back(cell_key);
    for (std::size_t e = 0; e < segments_.size(); ++e) {
      for (std::uint64_t cell_key : cells_of[e])
        for (std::uint32_t f : grid[cell_key])
          if (f > e && met[f] != e) {
            met[f] = e;
            visit(e, f);
          }
    }
    // A member in no cell meets every other, once for each pair.
    std::vector<bool> in_no_cell(segments_.size(), false);
    for (std::uint32_t e : everywhere) in_no_cell[e] = true;
    for (std::uint32_t e : everywhere)
      for (std::size_t f = 0; f < segments_.size(); ++f) {
        if (f == e || (in_no_cell[f] && f < e)) continue;
        visit(std::min<std::size_t>(e, f), std::max<std::size_t>(e, f));
      }
  }

  void examine(std::size_t i, std::size_t j) {
    const Segment& p = segments_[i];
    const Segment& q = segments_[j];
    const double shorter = std::min(p.length, q.length);
    const double touch = k_touch_share * shorter;
    const double near = k_near_miss_share * shorter;
    const bool same_ends = (p.na == q.na && p.nb == q.nb) || (p.na == q.nb && p.nb == q.na);
    if (same_ends) {
      duplicates_.push_back({i, j, "join the same two nodes: the member is drawn twice"});
      return;
    }
    const V dp = sub(p.b, p.a), dq = sub(q.b, q.a);
    const double sine = norm(cross(dp, dq)) / (p.length * q.length);
    {
      // Over each other: the longer member's line passes within the near-miss
      // distance of both ends of the shorter, and they share more than a
      // point along it (a member drawn over another, slightly off or not).
      const Segment& longer = p.length >= q.length ? p : q;
      const Segment& other = p.length >= q.length ? q : p;
      const V u = scale(sub(longer.b, longer.a), 1.0 / longer.length);
      const auto off_line = [&](const V& x) { return norm(cross(sub(x, longer.a), u)); };
      if (off_line(other.a) < near && off_line(other.b) < near) {
        const double o0 = dot(sub(other.a, longer.a), u), o1 = dot(sub(other.b, longer.a), u);
        const double overlap =
            std::min(longer.length, std::max(o0, o1)) - std::max(0.0, std::min(o0, o1));
        if (overlap > near) {
          duplicates_.push_back(
              {i, j, fmt::format("lie over each other along {:g} of their length", overlap)});
          return;
        }
      }
    }
    // An end of one member near the other, unless it is one of its nodes.
    bool found = false;
    const auto end_near = [&](const Segment& s, std::size_t si, const Segment& other,
                              std::size_t oi) {
      for (const auto& [point, node] : {std::pair{s.a, s.na}, std::pair{s.b, s.nb}}) {
        if (node == other.na || node == other.nb) continue;
        // A node joined directly to the other member's end by a member (a
        // short link, an offset) is connected to it on purpose.
        if (joined_.contains({node, other.na}) || joined_.contains({node, other.nb})) continue;
        const double t = nearest_on(other, point);
        const V c = point_at(other, t);
        const double d = norm(sub(point, c));
        if (d >= near) continue;
        // A node where several members end is told of once per member it misses.
        if (!told_.insert({node, oi}).second) continue;
        const bool interior = t > 0.0 && t < 1.0;
        if (d <= touch && interior) {
          crossings_.push_back({si, oi, fmt::format("an end of \"{}\" at {} lies on \"{}\" without "
                                                    "a node there",
                                                    name(si), point_text(point), name(oi))});
          crossing_points_.push_back({oi, {point[0], point[1], point[2]}, touch});
        } else {
          // Two ends near each other are one gap, told of once.
          const std::int32_t other_end = t == 0.0 ? other.na : t == 1.0 ? other.nb : 0;
          if (other_end != 0 &&
              !gaps_.insert({std::min(node, other_end), std::max(node, other_end)}).second) {
            found = true;
            continue;
          }
          near_misses_.push_back(
              {si, oi, fmt::format("an end of \"{}\" at {} is {:g} from \"{}\"{} (1/100 of the "
                                   "shorter member is {:g})",
                                   name(si), point_text(point), d, name(oi),
                                   interior ? "" : fmt::format(" (its end at {})", point_text(c)),
                                   near)});
        }
        found = true;
      }
    };
    // Every end of both members, so that one finding hides no other; a
    // span may still cross the other member beside an end that is near it
    // (a column drawn past the beam it carries).
    end_near(p, i, q, j);
    end_near(q, j, p, i);
    // Spans crossing each other between their ends.
    if (p.na == q.na || p.na == q.nb || p.nb == q.na || p.nb == q.nb) return;
    if (sine < k_parallel_sine) return;
    const auto [s, t] = nearest_pair(p, q);
    if (!(s > 0.0 && s < 1.0 && t > 0.0 && t < 1.0)) return;
    const V cp = point_at(p, s), cq = point_at(q, t);
    // An end lying on the other span was told of above, as touching.
    if (found && norm(sub(cp, cq)) <= touch &&
        std::min({s, 1.0 - s, t, 1.0 - t}) * std::max(p.length, q.length) <= touch)
      return;
    if (norm(sub(cp, cq)) <= touch) {
      crossings_.push_back({i, j, fmt::format("\"{}\" and \"{}\" cross at {} without a node there",
                                              name(i), name(j), point_text(cp))});
      // Both are cut at one point, so that their pieces meet in one node.
      crossing_points_.push_back({i, {cp[0], cp[1], cp[2]}, touch});
      crossing_points_.push_back({j, {cp[0], cp[1], cp[2]}, touch});
    }
  }

  Warning warning(const char* code, const std::vector<Finding>& found, const char* advice) const {
    std::string listed;
    std::vector<std::string> items;
    for (std::size_t k = 0; k < found.size(); ++k) {
      if (k < k_listed_pairs) listed += fmt::format("{}{}", k == 0 ? "" : "; ", found[k].text);
      for (std::size_t e : {found[k].first, found[k].second})
        if (std::find(items.begin(), items.end(), name(e)) == items.end()) items.push_back(name(e));
    }
    if (found.size() > k_listed_pairs)
      listed += fmt::format("; and {} more", found.size() - k_listed_pairs);
    return {code, fmt::format("{}: {}: {}", model_.source_file, listed, advice), std::move(items)};
  }

  const Model& model_;
  std::vector<Segment> segments_;
  std::vector<Finding> duplicates_, crossings_, near_misses_;
  std::vector<MemberCrossing> crossing_points_;
  std::set<std::pair<std::int32_t, std::size_t>> told_;  // node, member it was found near
  std::set<std::pair<std::int32_t, std::int32_t>> joined_;  // node pairs a member joins
  std::set<std::pair<std::int32_t, std::int32_t>> gaps_;    // end nodes told of as near each other
};

// The members' points merged into nodes as the library merges them (within
// k_node_tolerance in every coordinate), numbered from 1: for a model whose
// mesh could not be built.
std::vector<Segment> drawn_segments(const Model& model) {
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells;
  std::vector<V> points;
  const auto cell_of = [](double v) { return clamped_cell(std::floor(v / k_node_tolerance)); };
  const auto key = [](std::int64_t x, std::int64_t y, std::int64_t z) {
    const auto u = [](std::int64_t v) { return static_cast<std::uint64_t>(v) & 0x1FFFFF; };
    return u(x) | (u(y) << 21) | (u(z) << 42);
  };
  const auto node_of = [&](const Point3& p) {
    const std::int64_t cx = cell_of(p.x), cy = cell_of(p.y), cz = cell_of(p.z);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          const auto it = cells.find(key(cx + dx, cy + dy, cz + dz));
          if (it == cells.end()) continue;
          for (std::int32_t n : it->second) {
            const V& q = points[static_cast<std::size_t>(n - 1)];
            if (std::abs(q[0] - p.x) < k_node_tolerance && std::abs(q[1] - p.y) < k_node_tolerance &&
                std::abs(q[2] - p.z) < k_node_tolerance)
              return n;
          }
        }
    points.push_back({p.x, p.y, p.z});
    const auto n = static_cast<std::int32_t>(points.size());
    cells[key(cx, cy, cz)].push_back(n);
    return n;
  };
  std::vector<Segment> out;
  for (const Member& m : model.members) {
    const std::int32_t a = node_of(m.from), b = node_of(m.to);
    const V pa = points[static_cast<std::size_t>(a - 1)], pb = points[static_cast<std::size_t>(b - 1)];
    out.push_back({pa, pb, a, b, norm(sub(pb, pa))});
  }
  return out;
}

}  // namespace

MemberGeometryFindings check_member_geometry(const Model& model, const AnalysisResult& r) {
  return Checker(model, r).run();
}

std::vector<Warning> drawn_geometry_warnings(const Model& model) {
  return Checker(model, drawn_segments(model)).run(false).warnings;
}

std::vector<MemberCrossing> member_crossings(const Model& model) {
  Checker checker(model, drawn_segments(model));
  (void)checker.run();
  return checker.crossing_points();
}

}  // namespace zervola::frame

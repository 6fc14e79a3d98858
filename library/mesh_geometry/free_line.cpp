#include "mesh_geometry/free_line.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "mesh_geometry/cell_grid.hpp"
#include "mesh_geometry/cell_buckets.hpp"
#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

constexpr CellGrid k_coincidence_grid{k_coincidence_tolerance};

// The two endpoints of a line, copied together out of the host's arrays.
// Made without clearing, since every line's entry is written before it is read.
struct LineEnds {
  LineEnds() {}  // NOLINT: deliberately leaves the members unset
  LineEnds(const Point3& first, const Point3& second)
      : ends{first.x, first.y, first.z, second.x, second.y, second.z} {}
  [[nodiscard]] std::array<Point3, 2> points() const {
    return {Point3{ends[0], ends[1], ends[2]}, Point3{ends[3], ends[4], ends[5]}};
  }

  double ends[6];
};

// The endpoints of one bucket: ends_[start, start + live) are still listed.
struct BucketRange {
  Link start = 0;
  Link live = 0;
};

// An endpoint as listed in its cell: its coordinates and its line. Made
// without clearing, since every entry is written before it is read.
struct ListedEnd {
  ListedEnd() {}  // NOLINT: deliberately leaves the members unset
  ListedEnd(const Point3& at, HostInt of_line) : x(at.x), y(at.y), z(at.z), line(of_line) {}
  [[nodiscard]] Point3 p() const { return {x, y, z}; }

  double x, y, z;
  HostInt line;
};

// The spread from line 1 over touching lines, breadth first.
//
// The endpoints with finite coordinates are listed by the bucket of their
// cell, each bucket's endpoints in one contiguous range of ends_ whose live
// part shrinks as its endpoints are taken: an endpoint leaves its range when
// a scan meets it after its line has been reached, or when it touches the
// scanning endpoint and so reaches its line. Every endpoint therefore leaves
// once, and the endpoints scanned without leaving are those in the buckets
// of the scanning endpoint's reach but not within the tolerance.
class Sweep {
 public:
  Sweep(const NodeCoordinates& points, LinePoints line_points, Index n_lines,
        std::pmr::memory_resource* storage)
      : lines_(static_cast<std::size_t>(n_lines) + 1, storage),
        ends_(storage),
        reached_(static_cast<std::size_t>(n_lines) + 1, 0, storage),
        queue_(storage),
        buckets_(static_cast<std::size_t>(n_lines)),
        ranges_(buckets_.count(), BucketRange{}, storage) {
    queue_.reserve(static_cast<std::size_t>(n_lines));
    auto point = [&](Index number) {
      return Point3{points.x(number), points.y(number), points.z(number)};
    };
    for (Index k = 1; k <= n_lines; ++k) {
      if (k + k_lookahead <= n_lines) {
        for (Index end = 1; end <= 2; ++end) {
          const Index ahead = line_points(end, k + k_lookahead);
          prefetch(&points.x(ahead));
          prefetch(&points.y(ahead));
          prefetch(&points.z(ahead));
        }
      }
      lines_[static_cast<std::size_t>(k)] = LineEnds(point(line_points(1, k)), point(line_points(2, k)));
    }
    // Count the endpoints of each bucket, then give each bucket its range.
    for (Index k = 1; k <= n_lines; ++k) {
      if (k + k_lookahead <= n_lines)
        for (const Point3& p : ends_of(k + k_lookahead))
          if (is_finite(p)) prefetch(&ranges_[bucket(p)]);
      for (const Point3& p : ends_of(k))
        if (is_finite(p)) ++ranges_[bucket(p)].live;
    }
    std::size_t listed = 0;
    for (BucketRange& r : ranges_) {
      r.start = static_cast<Link>(listed);
      listed += r.live;
      r.live = 0;
      if (listed >= k_no_link) throw std::bad_alloc();
    }
    ends_.resize(listed);
    for (Index k = 1; k <= n_lines; ++k) {
      // Two stages ahead: the bucket's range, then the place in ends_.
      if (k + 2 * k_lookahead <= n_lines)
        for (const Point3& p : ends_of(k + 2 * k_lookahead))
          if (is_finite(p)) prefetch(&ranges_[bucket(p)]);
      if (k + k_lookahead <= n_lines)
        for (const Point3& p : ends_of(k + k_lookahead))
          if (is_finite(p)) {
            const BucketRange& r = ranges_[bucket(p)];
            prefetch(ends_.data() + r.start + r.live);
          }
      for (const Point3& p : ends_of(k)) {
        if (!is_finite(p)) continue;
        BucketRange& r = ranges_[bucket(p)];
        ends_[r.start + r.live++] = ListedEnd(p, static_cast<HostInt>(k));
      }
    }
  }

  // Marks every line reached from line 1.
  void spread() {
    reach(1);
    for (std::size_t i = 0; i < queue_.size(); ++i) {
      // Lines further down the queue, in three stages: their ends, the
      // ranges of their buckets, the listed endpoints of those ranges.
      if (i + 3 * k_lookahead < queue_.size())
        prefetch(&lines_[static_cast<std::size_t>(queue_[i + 3 * k_lookahead])]);
      if (i + 2 * k_lookahead < queue_.size())
        for (const Point3& p : ends_of(queue_[i + 2 * k_lookahead]))
          if (is_finite(p)) prefetch(&ranges_[bucket(p)]);
      if (i + k_lookahead < queue_.size())
        for (const Point3& p : ends_of(queue_[i + k_lookahead]))
          if (is_finite(p)) prefetch(ends_.data() + ranges_[bucket(p)].start);
      for (const Point3& p : ends_of(queue_[i]))
        if (is_finite(p)) reach_touching(p);
    }
  }

  [[nodiscard]] ReachedLines take_reached() { return std::move(reached_); }

 private:
  // How many lines ahead memory is asked for.
  static constexpr Index k_lookahead = 8;

  [[nodiscard]] std::array<Point3, 2> ends_of(Index line) const {
    return lines_[static_cast<std::size_t>(line)].points();
  }

  [[nodiscard]] std::size_t bucket(const Point3& p) const {
    return buckets_.of(k_coincidence_grid.key(p));
  }

  [[nodiscard]] bool reached(Index line) const {
    return reached_[static_cast<std::size_t>(line)] != 0;
  }

  void reach(Index line) {
    reached_[static_cast<std::size_t>(line)] = 1;
    queue_.push_back(static_cast<HostInt>(line));
  }

  // Reaches the line of every listed endpoint within the tolerance of p.
  void reach_touching(const Point3& p) {
    for_each_cell(k_coincidence_grid.reach(p), [&](const CellKey& key) {
      BucketRange& r = ranges_[buckets_.of(key)];
      std::size_t i = r.start;
      std::size_t live_end = i + r.live;
      while (i < live_end) {
        const ListedEnd& e = ends_[i];
        if (reached(e.line) || within(p, e.p(), k_coincidence_tolerance)) {
          if (!reached(e.line)) reach(e.line);
          std::swap(ends_[i], ends_[live_end - 1]);
          --live_end;
        } else {
          ++i;
        }
      }
      r.live = static_cast<Link>(live_end - r.start);
    });
  }

  std::pmr::vector<LineEnds> lines_;
  std::pmr::vector<ListedEnd> ends_;
  ReachedLines reached_;
  std::pmr::vector<HostInt> queue_;
  CellBuckets buckets_;
  std::pmr::vector<BucketRange> ranges_;
};

[[nodiscard]] bool point_numbers_are_readable(LinePoints line_points, Index n_lines) {
  for (Index k = 1; k <= n_lines; ++k)
    if (line_points(1, k) < 1 || line_points(2, k) < 1) return false;
  return true;
}

}  // namespace

std::optional<ReachedLines> lines_reached_from_first(const NodeCoordinates& points,
                                                     LinePoints line_points, HostInt n_lines,
                                                     std::pmr::memory_resource* storage) {
  std::optional<Sweep> sweep;
  try {
    sweep.emplace(points, line_points, n_lines, storage);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
  sweep->spread();
  return sweep->take_reached();
}

HostInt free_line(const NodeCoordinates& points, LinePoints line_points, HostInt n_lines,
                  std::pmr::memory_resource* storage) {
  if (n_lines <= 0) return k_all_connected;
  if (!point_numbers_are_readable(line_points, n_lines)) return k_free_line_failure;
  const std::optional<ReachedLines> reached =
      lines_reached_from_first(points, line_points, n_lines, storage);
  if (!reached) return k_free_line_failure;

  Index n_reached = 0;
  Index n_unreached = 0;
  HostInt last_reached = 0;
  HostInt last_unreached = 0;
  for (HostInt line = 1; line <= n_lines; ++line) {
    if ((*reached)[static_cast<std::size_t>(line)] != 0) {
      ++n_reached;
      last_reached = line;
    } else {
      ++n_unreached;
      last_unreached = line;
    }
  }
  if (n_unreached == 0) return k_all_connected;
  return n_unreached > n_reached ? last_reached : last_unreached;
}

}  // namespace zervola::mesh_geometry

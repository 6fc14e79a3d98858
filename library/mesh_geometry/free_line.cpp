#include "mesh_geometry/free_line.hpp"

#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "mesh_geometry/cell_grid.hpp"
#include "mesh_geometry/cell_table.hpp"
#include "mesh_geometry/tolerances.hpp"

namespace zervola::mesh_geometry {
namespace {

constexpr CellGrid k_coincidence_grid{k_coincidence_tolerance};

// Endpoint e = 0, 1, ... is end (e mod 2) + 1 of line e / 2 + 1.
[[nodiscard]] Index line_of(Entry e) { return Index{e} / 2 + 1; }
[[nodiscard]] Index end_of(Entry e) { return Index{e} % 2 + 1; }

// The endpoints of lines not yet reached, by cell. An endpoint leaves its
// cell's list when a scan meets it after its line has been reached, so that
// each endpoint is unlinked once and reached endpoints are not scanned again.
class Sweep {
  // The cell of endpoint e, for the table's checks.
  struct CellOf {
    const Sweep* sweep;
    [[nodiscard]] CellKey operator()(Entry e) const {
      return k_coincidence_grid.key(sweep->endpoint(e));
    }
  };

 public:
  Sweep(const NodeCoordinates& points, LinePoints line_points, Index n_lines,
        std::pmr::memory_resource* storage)
      : points_(points),
        line_points_(line_points),
        table_(static_cast<std::size_t>(2 * n_lines), storage),
        next_(static_cast<std::size_t>(2 * n_lines), k_no_entry, storage),
        reached_(static_cast<std::size_t>(n_lines) + 1, 0, storage),
        queue_(storage) {
    queue_.reserve(static_cast<std::size_t>(n_lines));
    const auto n_ends = static_cast<Entry>(2 * n_lines);
    for (Entry e = 0; e < n_ends; ++e) {
      const Point3 p = endpoint(e);
      if (!is_finite(p)) continue;  // touches nothing
      CellSlot& slot = table_.claim(k_coincidence_grid.key(p), e, CellOf{this});
      next_[static_cast<std::size_t>(e)] = slot.head;
      slot.head = e;
    }
  }

  // Marks every line reached from line 1.
  void spread() {
    reach(1);
    for (std::size_t i = 0; i < queue_.size(); ++i) {
      const Index line = queue_[i];
      for (Index end = 1; end <= 2; ++end) {
        const Point3 p = point(line_points_(end, line));
        if (is_finite(p)) reach_touching(p);
      }
    }
  }

  [[nodiscard]] bool reached(Index line) const {
    return reached_[static_cast<std::size_t>(line)] != 0;
  }

  [[nodiscard]] ReachedLines take_reached() { return std::move(reached_); }

 private:
  void reach(Index line) {
    reached_[static_cast<std::size_t>(line)] = 1;
    queue_.push_back(line);
  }

  // Reaches the line of every listed endpoint within the tolerance of p.
  void reach_touching(const Point3& p) {
    for_each_cell(k_coincidence_grid.reach(p), [&](const CellKey& key) {
      CellSlot* slot = table_.find(key, CellOf{this});
      if (slot == nullptr) return;
      Entry* link = &slot->head;
      while (*link != k_no_entry) {
        const Entry e = *link;
        const Index line = line_of(e);
        const bool leaves = reached(line) || within(p, endpoint(e), k_coincidence_tolerance);
        if (leaves) {
          if (!reached(line)) reach(line);
          *link = next_[static_cast<std::size_t>(e)];
        } else {
          link = &next_[static_cast<std::size_t>(e)];
        }
      }
    });
  }

  [[nodiscard]] Point3 point(Index number) const {
    return {points_.x(number), points_.y(number), points_.z(number)};
  }
  [[nodiscard]] Point3 endpoint(Entry e) const {
    return point(line_points_(end_of(e), line_of(e)));
  }

  NodeCoordinates points_;
  LinePoints line_points_;
  CellTable table_;
  std::pmr::vector<Entry> next_;
  std::pmr::vector<std::uint8_t> reached_;
  std::pmr::vector<Index> queue_;
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

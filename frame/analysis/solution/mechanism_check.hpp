#pragma once

// A frame that can move without straining its members is refused, whatever
// its loads: the factorisation's pivot of such a direction is what rounding
// leaves of its diagonal, or negative. The library's own rule stays as it
// is (an equation without any stiffness gets a unit diagonal, so that a
// node's free rotation among pin-ended bars is simply zero); this check is
// the host's, on the core's pivots.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// A pivot below this share of its diagonal is what rounding leaves of a
// direction the frame cannot hold. A sound frame stays far above it: the
// smallest share of a 1,000-storey HEB 300 tower is 1e-9 (its top's sway
// against a storey's stiffness, about (h/H)^3 / 4), of a portal with a link
// 1e6 times stiffer than its members and a roller held by a 1e20 spring
// 2.4e-8, of the 20 x 20 x 20 building 0.03; a mechanism leaves the rounding
// of its sums: 5e-14, 3e-14 or a negative -4e-15 in the tests' frames.
inline constexpr double k_mechanism_pivot_share = 1.0e-11;
// Strain-free motions whose largest displacement the message names, at most.
inline constexpr std::size_t k_mechanism_shapes = 6;

// One direction the frame cannot hold.
struct Mechanism {
  std::int32_t node = 0;  // drawing number
  int dof = 0;            // 0..5: ux .. rz
  double share = 0.0;     // pivot / diagonal
};

// The directions whose pivot is negative, or positive but below
// k_mechanism_pivot_share of its diagonal, each named where its strain-free
// motion (shapes, in the same order) moves most: the largest translation,
// or the largest rotation when it turns only. And every translation that no
// member, spring or support holds at all (the library gives it a unit
// diagonal, which hides it from the pivots); a rotation without stiffness
// is the library's rule (a node among pin-ended bars), not a mechanism.
// drawing_node: library node number - 1 -> drawing number.
[[nodiscard]] std::vector<Mechanism> find_mechanisms(
    const std::vector<bool>& without_stiffness, const std::vector<bool>& prescribed,
    const std::vector<double>& diagonal, const std::vector<double>& pivot,
    const std::vector<std::vector<double>>& shapes, const std::vector<std::int32_t>& drawing_node);

// The error's text for the mechanisms found (at least one): the first few
// nodes and directions, and what to check.
[[nodiscard]] std::string mechanism_message(const Model& model,
                                            const std::vector<Point3>& nodes,
                                            const std::vector<Mechanism>& found);

}  // namespace zervola::frame

#pragma once

// One end-force component of an element and, across the end its code
// names, of its neighbour: the first other element at the element's other
// node.

#include <optional>

#include "common/frame_model.hpp"
#include "common/index.hpp"
#include "common/one_based.hpp"
#include "results/recovery_model.hpp"

namespace zervola::results {

// Everything the element's axes and end forces are built from.
struct FrameModel {
  RecoveryModel recovery;
  OrientationPoints orientation;
  Vector1<const HostInt> end_codes;
};

struct ComponentForces {
  double element = 0.0;             // the element's component
  std::optional<double> neighbour;  // the neighbour's, when there is one
};

// Component positions of an end-force vector.
inline constexpr Index k_first_component = 1;
inline constexpr Index k_last_component = 12;

// The node at which a neighbour is looked for: the element's second node
// when |end_code| is 1, its first node when |end_code| is 2; none otherwise.
[[nodiscard]] std::optional<Index> meeting_node(ElementNodes element_nodes, Index element,
                                                HostInt end_code);

// The lowest-numbered element among 1..n_elements, other than element, with
// either node equal to node.
[[nodiscard]] std::optional<Index> first_other_element_at(ElementNodes element_nodes,
                                                          Index n_elements, Index element,
                                                          Index node);

// Component `component` of the end forces of the element and of its
// neighbour, each in its own local axes, walked from its first to its
// second node, with its own end code. A component outside 1..12 has no
// value: nothing is computed.
[[nodiscard]] std::optional<ComponentForces> element_and_neighbour_force(const FrameModel& model,
                                                                         Index element,
                                                                         Index component,
                                                                         Index n_elements);

}  // namespace zervola::results

#include "results/neighbour_force.hpp"

#include <cstdlib>
#include <limits>

#include "element/local_axes.hpp"
#include "results/end_forces.hpp"

namespace zervola::results {

namespace {

// The end-force component of one element, walked forward with its own code.
double component_of(const FrameModel& model, Index element, Index component) {
  const RecoveryModel& m = model.recovery;
  const Matrix12 T = element::element_transform(m.nodes, model.orientation, m.element_nodes,
                                                element, element::Walk::forward);
  const EndForces f =
      element_end_forces(T, m, element, element::Walk::forward, model.end_codes(element));
  return f.end_forces(component);
}

}  // namespace

std::optional<Index> meeting_node(ElementNodes element_nodes, Index element, HostInt end_code) {
  switch (std::abs(static_cast<Index>(end_code))) {
    case 1:
      return element_nodes(2, element);
    case 2:
      return element_nodes(1, element);
    default:
      return std::nullopt;
  }
}

std::optional<Index> first_other_element_at(ElementNodes element_nodes, Index n_elements,
                                            Index element, Index node) {
  for (Index i = 1; i <= n_elements; ++i) {
    if (i == element) continue;
    if (element_nodes(1, i) == node || element_nodes(2, i) == node) return i;
  }
  return std::nullopt;
}

std::optional<ComponentForces> element_and_neighbour_force(const FrameModel& model, Index element,
                                                           Index component, Index n_elements) {
  if (component < k_first_component || component > k_last_component) return std::nullopt;
  if (!references_are_readable(model.recovery, element)) return std::nullopt;
  ComponentForces r;
  r.element = component_of(model, element, component);

  const ElementNodes en = model.recovery.element_nodes;
  const std::optional<Index> node = meeting_node(en, element, model.end_codes(element));
  if (!node) return r;
  const std::optional<Index> neighbour = first_other_element_at(en, n_elements, element, *node);
  if (!neighbour) return r;
  // A neighbour whose numbers cannot be read still is the neighbour: its
  // value is refused, the element's own value stands.
  r.neighbour = references_are_readable(model.recovery, *neighbour)
                    ? component_of(model, *neighbour, component)
                    : std::numeric_limits<double>::quiet_NaN();
  return r;
}

}  // namespace zervola::results

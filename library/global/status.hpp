#pragma once

// The outcome of a routine of the global system: solved, or the first input
// that breaks the contract, named in the host's 1-based numbering.

#include "common/index.hpp"

namespace zervola::global {

enum class Outcome {
  solved,
  bad_node_count,      // n_nodes < 0
  bad_equation_count,  // n_equations != 6 * n_nodes, or not whole nodes in plane-frame mode
  bad_element,         // a node number outside 1..n_nodes, a pair not ascending, section code 0
  bad_profile,         // diag_address is not a profile inside profile_length entries
  bad_column_height,   // max_column_height below the highest column
  element_outside_profile,  // an element's entries do not all lie inside the profile
  bad_record,               // a node record reaches outside the system or the profile
  bad_equation,             // a prescribed equation outside 1..n_equations
  profile_too_long,         // the store would have more than the host's integer can count
  out_of_memory,            // the skyline store or a working array could not be obtained
  case_supports_differ,     // a load case's springs or prescribed equations are not the shared ones
};

struct Status {
  Outcome outcome = Outcome::solved;
  // Where: the element, record (numbered from 0), equation or column that
  // fails; 0 when the failure has no place.
  Index where = 0;

  [[nodiscard]] constexpr bool ok() const { return outcome == Outcome::solved; }
};

[[nodiscard]] constexpr Status failure(Outcome outcome, Index where = 0) {
  return Status{outcome, where};
}

}  // namespace zervola::global

#pragma once

// The global stiffness matrix K held in a skyline store: a profile and a view
// of the store it describes. The view never owns the store; the assembly
// keeps its own store in a std::vector for the duration of one call.

#include <cassert>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/skyline_profile.hpp"

namespace zervola::global {

class SkylineMatrix {
 public:
  // The store may be shorter than the whole profile: a routine that reads
  // only some columns (ZEBGUT) needs only those inside it. Every access is
  // checked against the store itself in debug builds.
  SkylineMatrix(SkylineProfile profile, Vector1<double> store) : profile_(profile), store_(store) {}

  [[nodiscard]] const SkylineProfile& profile() const { return profile_; }
  [[nodiscard]] Index n_equations() const { return profile_.n_equations(); }
  [[nodiscard]] Vector1<double> store() const { return store_; }

  // K(i, j) for i <= j inside the profile (checked in debug builds).
  [[nodiscard]] double& operator()(Index i, Index j) const {
    return store_(profile_.position(i, j));
  }

  // Pointer to K(first_row, j): the rows first_row .. j of column j follow it
  // contiguously. The one place where a profile position becomes a pointer,
  // for the kernels that run over stretches of a column.
  [[nodiscard]] double* column_from(Index first_row, Index j) const {
    assert(first_row >= profile_.top(j) && first_row <= j);
    return store_.data() + (profile_.position(first_row, j) - 1);
  }

 private:
  SkylineProfile profile_;
  Vector1<double> store_;
};

}  // namespace zervola::global

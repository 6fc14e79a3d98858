#pragma once

// The profile of the upper triangle of the global stiffness matrix K.
//
// Column j of K holds rows top(j) .. j, stored contiguously, top first and
// diagonal last; columns follow one another. diag_address(j) is the 1-based
// store position of K(j, j), the running sum of the column heights h(1..j):
//
//   h(j)   = diag_address(j) - diag_address(j-1)      (diag_address(0) = 0)
//   top(j) = j - h(j) + 1
//   K(i, j), top(j) <= i <= j, lies at diag_address(j) - (j - i)
//
// A valid profile has h(1) = 1, 2 <= h(j) <= j for j >= 2, and
// diag_address(n_equations) <= profile_length, the length of the store that
// holds it (a longer store is valid; its tail is never touched). Every routine that reads a
// host's table first checks it with profile_status().

#include <cassert>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/status.hpp"

namespace zervola::global {

class SkylineProfile {
 public:
  SkylineProfile() = default;
  // diag: the host's diag_address, one entry per equation.
  explicit SkylineProfile(Vector1<const HostInt> diag) : diag_(diag) {}

  [[nodiscard]] Index n_equations() const { return diag_.size(); }
  [[nodiscard]] Index length() const { return diag_.empty() ? 0 : diag(n_equations()); }

  // Position of K(j, j) in the store.
  [[nodiscard]] Index diag(Index j) const { return diag_(j); }
  [[nodiscard]] Index height(Index j) const { return j == 1 ? diag(1) : diag(j) - diag(j - 1); }
  [[nodiscard]] Index top(Index j) const { return j - height(j) + 1; }

  // K(i, j), i <= j, is stored.
  [[nodiscard]] bool contains(Index i, Index j) const { return i <= j && j - i < height(j); }
  // Store position of K(i, j), i <= j, inside the profile.
  [[nodiscard]] Index position(Index i, Index j) const {
    assert(contains(i, j));
    return diag(j) - (j - i);
  }

  [[nodiscard]] Index max_column_height() const;
  // Sum over columns of h(j)^2: the measure of the factorisation's work.
  [[nodiscard]] double sum_of_squared_heights() const;

 private:
  Vector1<const HostInt> diag_;
};

// Whether column j's entries of diag_address describe a column of a valid
// profile that lies inside a store of profile_length entries. Reads
// diag_address(j) and, for j >= 2, diag_address(j - 1).
[[nodiscard]] bool column_is_valid(Vector1<const HostInt> diag, Index j, Index profile_length);

// solved, or bad_profile with the first column that fails (its address
// beyond profile_length included), or with n_equations + 1 when there are
// no equations and profile_length is negative.
[[nodiscard]] Status profile_status(Vector1<const HostInt> diag, Index profile_length);

}  // namespace zervola::global

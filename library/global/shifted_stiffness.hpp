#pragma once

// What the eigensolvers of the global system share: the stiffness K that
// the load cases solve with (elements, unit diagonals, springs, supports and
// the plane-frame restraint eliminated), rebuilt in one skyline store with a
// multiple of a second matrix E added (the mass of free vibration, the
// geometric stiffness of buckling), and the work on its factors: pivots,
// the Sturm count, and the substitution of a block of vectors.

#include <cstddef>
#include <vector>

#include "common/index.hpp"
#include "global/assembly.hpp"
#include "global/load_cases.hpp"
#include "global/mass_assembly.hpp"
#include "global/skyline_matrix.hpp"
#include "global/supports.hpp"

namespace zervola::global {

// K + factor E as the factorisations need it, rebuilt from the elements for
// each factor: keeping K beside the factors would take a third store.
class ShiftedStiffness {
 public:
  // A: the store (of the frame's profile); E: the second matrix's entries,
  // read at each build (it may be filled after construction). Throws
  // std::bad_alloc without memory for the prescriptions.
  ShiftedStiffness(const FrameAnalysis& frame, const SkylineMatrix& A, const SymmetricEntries& E);

  [[nodiscard]] const std::vector<Prescription>& prescribed() const { return prescribed_; }

  // A = K (without_stiffness, when given, gets per equation whether the
  // elements gave it no stiffness), then A += factor E.
  void build(double factor, std::vector<bool>* without_stiffness);

 private:
  const FrameAnalysis& frame_;
  SkylineMatrix A_;
  const SymmetricEntries& E_;
  std::vector<double> scratch_;
  std::vector<Prescription> prescribed_;
  std::vector<NodeRecord> springs_;
};

// A(j, j) for every equation.
[[nodiscard]] std::vector<double> diagonal_of(const SkylineMatrix& A);

// Whether some pivot of the factors F is not above share times the
// diagonal it was factorised from (a zero, negative or vanishing pivot).
[[nodiscard]] bool has_small_pivot(const SkylineMatrix& F, const std::vector<double>& diagonal,
                                   double share);

// The count of negative pivots of the factors F: by Sylvester's law of
// inertia, the count of negative eigenvalues of the matrix factorised.
[[nodiscard]] Index negative_pivots(const SkylineMatrix& F);

// Y = F^-1 X for the factors in F, X and Y (n x k) column-major, through the
// substitution of many cases at once (rows: scratch of n x width).
void solve_block(const SkylineMatrix& F, const double* X, double* Y, Index k,
                 std::vector<double>& rows);

// The mechanism report of factors F that hold a small pivot: p gets the
// equations' states, the diagonal factorised and the pivots, and the
// strain-free shapes (strain_free_shapes).
void report_pivots(const SkylineMatrix& F, const std::vector<double>& diagonal,
                   const std::vector<bool>& without_stiffness,
                   const std::vector<Prescription>& prescribed, double small_share,
                   std::size_t most_shapes, EquationPivots& p);

}  // namespace zervola::global

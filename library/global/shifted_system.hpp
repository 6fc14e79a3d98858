#pragma once

// The matrix that the eigensolvers factorise again and again, K + factor E
// (E the mass of free vibration or the geometric stiffness of buckling),
// and the work on its factors, whichever factorisation holds them: the
// skyline store of the frame's profile, or node blocks factorised by
// supernodes in the host's elimination order (supernodal/). The eigensolvers
// call the same steps in the same order on either; a Sturm count is the
// count of negative pivots either way (Sylvester's law of inertia holds in
// any elimination order).

#include <memory>
#include <vector>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/assembly.hpp"
#include "global/load_cases.hpp"
#include "global/mass_assembly.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"
#include "global/supports.hpp"

namespace zervola::global {

class ShiftedSystem {
 public:
  virtual ~ShiftedSystem() = default;

  // The prescribed equations of the frame's supports, eliminated in K.
  [[nodiscard]] virtual const std::vector<Prescription>& prescribed() const = 0;

  // A = K: elements, unit diagonals, springs, prescribed equations cleared
  // (without_stiffness, when given, gets per equation whether the elements
  // gave it no stiffness); then A += factor E, E as the system was made
  // with, read now.
  virtual void build(double factor, std::vector<bool>* without_stiffness) = 0;

  // M of the elements and point masses with the prescribed equations and
  // those in `without_stiffness` cleared (row, column and diagonal): its
  // entries other than zero. A is left to be built again.
  [[nodiscard]] virtual SymmetricEntries mass_entries(const MassModel& mass,
                                                      const std::vector<bool>& without_stiffness) = 0;

  // The same for Kg of the elements' axial forces (assemble_geometric).
  [[nodiscard]] virtual SymmetricEntries geometric_entries(
      Vector1<const double> axial_force, const std::vector<bool>& without_stiffness) = 0;

  // A as built: its entries other than zero, and its diagonal.
  [[nodiscard]] virtual SymmetricEntries entries() const = 0;
  [[nodiscard]] virtual std::vector<double> diagonal() const = 0;

  // A into its factors L D L^T (A is no longer held).
  virtual void factorise() = 0;

  // With the factors: whether some pivot is not above share times its
  // equation's diagonal (as factorised); the count of negative pivots.
  [[nodiscard]] virtual bool has_small_pivot(const std::vector<double>& diagonal,
                                             double share) const = 0;
  [[nodiscard]] virtual Index negative_pivots() const = 0;

  // Y = A^-1 X, X and Y (n x k) column-major.
  virtual void solve_block(const double* X, double* Y, Index k) = 0;

  // The mechanism report of factors that hold a small pivot: p as
  // analyse_load_cases gives it (pivots by equation, the strain-free
  // motions of the first most_shapes small ones).
  virtual void report_pivots(const std::vector<double>& diagonal,
                             const std::vector<bool>& without_stiffness, double small_share,
                             std::size_t most_shapes, EquationPivots& p) = 0;
};

// On the skyline store of frame's profile (one store, profile_length
// doubles). E must outlive the system. Throws std::bad_alloc.
[[nodiscard]] std::unique_ptr<ShiftedSystem> skyline_system(const FrameAnalysis& frame,
                                                            const SymmetricEntries& E);

// In node blocks, factorised by supernodes in setup's order with its runner
// and path (setup.order must be a permutation of the nodes, as
// analyse_load_cases checks). Throws std::bad_alloc.
[[nodiscard]] std::unique_ptr<ShiftedSystem> supernodal_system(
    const FrameAnalysis& frame, const SymmetricEntries& E, const supernodal::SupernodalSetup& setup);

// The count of directions with mass: the sum of the ranks of M's 6 x 6
// node blocks (M's entries), each eigenvalue counted above
// k_mass_rank_share of its block's largest.
[[nodiscard]] Index directions_with_mass(const SymmetricEntries& M);

}  // namespace zervola::global

#pragma once

// Linear (bifurcation) buckling of a frame: the lowest positive critical
// load factors alpha and their shapes phi of
//
//   (K + alpha Kg(N)) phi = 0,
//
// K the stiffness that the load cases solve with (elements, unit diagonals,
// springs, supports and the plane-frame restraint eliminated), Kg(N) the
// geometric stiffness of the elements' axial forces N (compression
// positive, element::element_geometric_matrix), assembled in the same
// profile with the supported equations and those without stiffness cleared.
// The load that N comes from, times alpha, is the critical load.
//
// Method: with G = -Kg the problem is G phi = theta K phi, theta = 1 / alpha.
// Op = K^-1 G is self-adjoint in the inner product of W = K (K Op = G is
// symmetric), and K is positive definite once the frame is supported, so
// block Lanczos (block_lanczos.hpp) on Op in the K inner product gives the
// largest theta first: the largest positive theta are the lowest positive
// alpha. Negative theta (factors that reverse the load, members in tension
// governing) are never reported. Op has as many eigenvalues other than
// zero as G has rank, which the equations with a geometric entry bound.
// Afterwards the Sturm check: the count of negative pivots of K + s Kg for
// s just above the highest alpha reported is the count of critical factors
// in (0, s); it must equal the number found there, else the search runs
// again from other start vectors with wider blocks.
//
// Memory: one store of the profile (Kg is assembled in it first and kept as
// its entries other than zero; then K, kept as its entries too for the
// inner product, and its factors), those entries, and the Lanczos basis
// (n x its size, twice: Q and K Q).

#include <cstddef>
#include <vector>

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/assembly.hpp"
#include "global/load_cases.hpp"
#include "global/status.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"

namespace zervola::global {

// Converged: || Op x - theta x ||_K <= this * theta; alpha is then exact to
// about its square (relative), the shape to about this much.
inline constexpr double k_buckling_tolerance = 1.0e-8;
// Vectors per Lanczos block (one pass of the substitution serves a block).
inline constexpr Index k_buckling_block_size = 8;
// A pivot of K not above this share of its diagonal: K is singular, the
// frame a mechanism.
inline constexpr double k_buckling_small_pivot_share = 1.0e-11;
// Strain-free motions reported with a mechanism.
inline constexpr std::size_t k_buckling_most_shapes = 6;
// The Sturm check's shift lies this share of the highest alpha reported
// above it: above its rounding, below any distinct neighbour that matters.
inline constexpr double k_buckling_sturm_margin = 1.0e-6;
// Searches in all (the first and those after a Sturm count that finds
// factors missed).
inline constexpr int k_buckling_sturm_attempts = 3;
// The basis grows to at most this many times the factors asked for, plus
// k_buckling_extra_blocks blocks, before the search gives up. More than free
// vibration takes: critical factors spread as k^2 along a member where
// frequencies spread as k^4 (their theta lie closer), and every uniform
// member adds a cluster of equal torsional factors (G It / r0^2 for each of
// its torsional shapes: K and Kg are proportional there) that fills whole
// blocks with directions of one eigenvalue.
inline constexpr Index k_buckling_basis_per_mode = 12;
inline constexpr Index k_buckling_extra_blocks = 8;
// A Ritz value theta not above this share of the largest |theta| counts as
// zero: a critical factor 1e10 times the lowest is no buckling but rounding
// of a direction that G does not load.
inline constexpr double k_least_theta_share = 1.0e-10;

struct BucklingRequest {
  Index modes = 1;  // the lowest positive critical factors wanted
  double tolerance = k_buckling_tolerance;
  Index block_size = k_buckling_block_size;
  double small_pivot_share = k_buckling_small_pivot_share;
  std::size_t most_shapes = k_buckling_most_shapes;
};

enum class BucklingOutcome {
  solved,          // alphas holds min(modes, the positive critical factors) of them
  no_compression,  // no positive critical factor: no member in compression, or
                   // tension everywhere it matters (alphas empty)
  mechanism,       // K singular: a strain-free motion (pivots)
  not_converged,   // the basis reached its bound before the wanted pairs converged
  modes_missed,    // the Sturm count still differs after k_buckling_sturm_attempts searches
};

struct BucklingResult {
  BucklingOutcome outcome = BucklingOutcome::solved;
  std::vector<double> alphas;  // (found) critical load factors, ascending, all > 0
  // (n_equations x found) column-major, column q for alphas[q], normalised
  // to phi^T K phi = 1 (K with supports eliminated); the supported equations
  // and those without stiffness hold 0. A caller that wants a largest
  // translation of 1 scales each column itself.
  std::vector<double> shapes;
  Index found = 0;                 // columns of shapes; below modes when fewer exist
  Index geometric_equations = 0;   // equations with a geometric entry: bound of G's rank
  double sturm_shift = 0.0;        // s of the check
  Index sturm_count = 0;           // negative pivots of K + s Kg: factors in (0, s)
  Index found_below_sturm_shift = 0;  // converged factors in (0, s)
  Index basis_size = 0;
  Index operator_applications = 0;  // vectors substituted
  Index factorisations = 0;
  int searches = 0;
  EquationPivots pivots;  // mechanism: what the factorisation of K says of each equation
};

// linear_buckling
//
// Purpose
//   The lowest positive critical load factors of a frame whose elements
//   carry the axial forces N (from a first-order analysis of the load):
//   (K + alpha Kg(N)) phi = 0, alpha > 0 ascending.
//
// Arguments
//   frame        (in)  As for a static analysis: elements, end codes,
//                      profile, and the supports' records (springs and
//                      prescribed equations; loads and prescribed values
//                      are not used, every prescribed equation is held).
//   axial_force  (in)  (n_elements) axial force of each element, positive
//                      in compression (force units). Its scale is the
//                      load's: alpha N is the critical state. A rigid link
//                      (negative section code) and a force of 0 add nothing.
//   request      (in)  modes: how many of the lowest positive factors;
//                      tolerance, block_size: of the Lanczos search;
//                      small_pivot_share, most_shapes: of the mechanism
//                      report.
//   result       (out) On return with status solved: outcome and, for
//                      solved, modes_missed and not_converged, what was
//                      found (modes_missed and not_converged: the last
//                      search's factors, to be trusted no further). alpha is
//                      dimensionless; a shape's entries are displacements
//                      (length) and rotations (radians) over sqrt(energy).
//
// Returned status
//   solved with result.outcome telling the outcome of the eigensolution;
//   a failed check of the arrays (as analysis_status, or node_block_status
//   with a setup, which reads no profile); bad_element with
//   where = 0 when axial_force does not have n_elements entries, where = e
//   when N(e) is not finite; out_of_memory without memory for the store,
//   the entries or the basis. On a failure result holds nothing to rely on.
//   modes <= 0: solved, nothing computed.
//   setup        (in)  nullptr: the skyline store of the frame's profile;
//                      else node blocks factorised by supernodes in its
//                      order with its runner (the same steps and results
//                      to rounding; bad_node_count when its order is not a
//                      permutation of the nodes).
[[nodiscard]] Status linear_buckling(const FrameAnalysis& frame, Vector1<const double> axial_force,
                                     const BucklingRequest& request, BucklingResult& result,
                                     const supernodal::SupernodalSetup* setup = nullptr);

// K zeroed on entry, of the frame's profile: every element's geometric
// stiffness in global axes (element::element_geometric_matrix with its end
// code and axial_force(e)). Requires analysis_status(frame) solved.
void assemble_geometric(const FrameAnalysis& frame, Vector1<const double> axial_force,
                        const SkylineMatrix& K);

}  // namespace zervola::global

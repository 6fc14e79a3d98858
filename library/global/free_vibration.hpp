#pragma once

// Free vibration of a frame: the lowest eigenpairs of K phi = omega^2 M phi,
// K the stiffness that the load cases solve with (springs added, supports
// and the plane-frame restraint eliminated), M the mass matrix in the same
// profile with the same equations cleared.
//
// Method: shift-invert block Lanczos (block_lanczos.hpp) on one LDL^T
// factorisation of K - sigma M in the skyline store, every block of vectors
// substituted in one pass over the factors (case_substitution.hpp). sigma is
// 0 when K is regular; a frame that can move as a rigid body with its mass
// (too few supports) has K singular, and sigma is then a small negative
// shift, k_rigid_body_shift_share of the typical K(j, j) / M(j, j), which
// makes K - sigma M regular and finds the rigid-body modes at omega = 0.
// Afterwards the Sturm sequence check: the count of negative pivots of
// K - s M for s just above the highest eigenvalue reported is the number of
// eigenvalues below s; it must equal the number found there, else the
// search runs again from other start vectors for the missing ones.
//
// Memory: one store of the profile (M is assembled in it first and kept as
// its entries other than zero; then K - sigma M and its factors), those
// entries, and the Lanczos basis (n x its size, twice: Q and M Q).

#include <cstddef>
#include <vector>

#include "common/index.hpp"
#include "global/assembly.hpp"
#include "global/load_cases.hpp"
#include "global/mass_assembly.hpp"
#include "global/status.hpp"
#include "global/supernodal/supernodal_load_cases.hpp"

namespace zervola::global {

// Converged: || Op x - theta x ||_M <= this * theta. The eigenvalue is then
// exact to about its square (relative), the shape to about this much; a
// tighter bound costs blocks (a building's 20 lowest modes: 1e-9 takes 136
// vectors where 1e-8 takes 128).
inline constexpr double k_mode_tolerance = 1.0e-8;
// Vectors per Lanczos block: one pass of the substitution serves a block.
// Wider blocks find clusters of equal frequencies in fewer steps but need
// more vectors in all (the same building: 8 takes 128, 16 takes 192).
inline constexpr Index k_mode_block_size = 8;
// The shift of a frame with rigid-body modes, as a share of the median of
// K(j, j) / M(j, j) over the equations with mass: far below the element
// frequencies, so that the lowest modes stay well separated after the shift,
// and far above rounding, so that a rigid-body direction's pivot (about
// shift * its mass) stands out from that of a direction without mass.
inline constexpr double k_rigid_body_shift_share = 1.0e-6;
// The Sturm check's shift lies this share of the highest eigenvalue
// reported above it: above its rounding, below any distinct
// neighbour that matters.
inline constexpr double k_sturm_margin = 1.0e-6;
// A direction of a node's mass below this share of the node's largest is
// rounding, not mass.
inline constexpr double k_mass_rank_share = 1.0e-12;
// Searches from new start vectors after a Sturm count finds modes missed.
inline constexpr int k_sturm_attempts = 3;
// The basis grows to at most this many times the modes asked for (plus a
// few blocks) before the search gives up unconverged.
inline constexpr Index k_basis_per_mode = 8;

struct VibrationRequest {
  Index modes = 1;                       // the lowest ones
  double tolerance = k_mode_tolerance;
  Index block_size = k_mode_block_size;
  double small_pivot_share = 1.0e-11;    // a pivot below this share of its diagonal: singular
  std::size_t most_shapes = 6;           // strain-free motions reported with such a pivot
};

enum class VibrationOutcome {
  solved,
  too_many_modes,          // more modes asked for than directions with mass
  mechanism_without_mass,  // K - sigma M singular: a strain-free motion carries no mass
  not_converged,           // the basis reached its bound first
  modes_missed,            // the Sturm count still differs after k_sturm_attempts searches
};

struct VibrationResult {
  VibrationOutcome outcome = VibrationOutcome::solved;
  std::vector<double> eigenvalues;  // omega^2 ascending, (modes); rigid-body modes about 0
  std::vector<double> shapes;       // (n_equations x modes) column-major, phi^T M phi = 1
  Index directions_with_mass = 0;   // the rank of M after clearing (node by node)
  double shift = 0.0;               // sigma
  double sturm_shift = 0.0;         // s of the check
  Index sturm_count = 0;            // eigenvalues below s: negative pivots of K - s M
  Index found_below_sturm_shift = 0;  // converged eigenvalues below s
  Index basis_size = 0;
  Index operator_applications = 0;  // vectors substituted
  Index factorisations = 0;
  int searches = 0;
  SymmetricEntries mass;            // M as the eigenproblem holds it
  // mechanism_without_mass: what the factorisation of K - sigma M says of
  // each equation (load_cases.hpp), for the host's mechanism report.
  EquationPivots pivots;
};

// frame: as for a static analysis (its supports' records hold the springs
// and supports; loads are not used); mass: (n_elements) masses per length
// and point masses. On solved, result holds the request's modes. Other
// outcomes of the eigensolution are in result.outcome with the returned
// status solved; a failed check of the arrays (as analysis_status, or
// node_block_status with a setup, which reads no profile), a point
// mass outside the equations (bad_equation) or no memory for the stores
// (out_of_memory) are returned as the status, result then unspecified.
// setup: nullptr, the skyline store of the frame's profile; else node blocks
// factorised by supernodes in its order, with its runner (the same steps,
// the same results to rounding; setup.order a permutation of the nodes).
[[nodiscard]] Status free_vibration(const FrameAnalysis& frame, const MassModel& mass,
                                    const VibrationRequest& request, VibrationResult& result,
                                    const supernodal::SupernodalSetup* setup = nullptr);

}  // namespace zervola::global

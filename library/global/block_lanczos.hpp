#pragma once

// The largest eigenvalues theta of an operator Op that is self-adjoint in
// the inner product of a positive semi-definite matrix W, by the block
// Lanczos method with full reorthogonalisation. Used in shift-invert form:
// for K x = lambda M x, Op = (K - sigma M)^-1 M and W = M, so that theta =
// 1 / (lambda - sigma) and the eigenvalues nearest above sigma come first.
//
// Each step applies Op to a block of b vectors at once (one pass of the
// factors' substitution serves the block) and keeps the basis Q, whose
// columns are W-orthonormal, and W Q. Every new block is orthogonalised
// twice against the whole basis (the Lanczos vectors lose orthogonality as
// soon as a pair converges; the second pass restores it to rounding), then
// within itself; a column that leaves less than k_lanczos_deflation of its
// norm is dropped. The projection H = Q^T W Op Q is taken from those
// coefficients; its eigenpairs (theta, s) give the Ritz pairs (theta, Q s)
// and the residual norm || Op x - theta x ||_W = || R s_last ||, R being the
// coupling of the newest block to the last one. A block that vanishes (an
// invariant subspace: the frame's modes it holds are exact) is followed by
// a new start block, so that a mode the start missed is still found.
//
// Notation: n rows; Q (n x m); blocks of at most b columns.

#include <cstdint>
#include <functional>
#include <vector>

#include "common/index.hpp"

namespace zervola::global {

// A column that keeps less than this share of its norm after its
// orthogonalisation lies in the span of the basis already.
inline constexpr double k_lanczos_deflation = 1.0e-9;

// Y = Op X, or Y = W X: X and Y are (n x k) column-major, k <= the block size.
using BlockOperator = std::function<void(const double* X, double* Y, Index k)>;

struct LanczosProblem {
  Index n = 0;
  BlockOperator apply;  // Op
  BlockOperator inner;  // W
  // The dimension of the space in which Op can have non-zero eigenvalues
  // (the rank of W, the directions with mass): the basis never grows past it.
  Index rank = 0;
};

struct LanczosSettings {
  Index wanted = 1;           // eigenpairs of the largest theta
  Index block_size = 8;       // b
  double tolerance = 1.0e-9;  // converged: residual <= tolerance * |theta|
  Index most_vectors = 0;     // largest basis; 0: no bound but rank
  std::uint64_t seed = 1;     // of the start blocks
};

struct RitzPairs {
  // Ritz values in descending order (as many as the basis has), and the
  // first `count` Ritz vectors (n x count, W-orthonormal) with their
  // residual norms.
  std::vector<double> theta;
  std::vector<double> residual;  // per Ritz value
  std::vector<double> vectors;
  Index count = 0;
  Index converged = 0;           // the leading Ritz values whose residual passed, in a row
  Index basis_size = 0;
  Index operator_applications = 0;  // columns to which Op was applied
};

// The `wanted` largest eigenpairs of Op (fewer when rank is smaller), and
// every further Ritz value that the basis holds. Stops when the wanted ones
// have converged, when the basis reaches most_vectors or rank (then the
// pairs are those of the basis: converged tells how many passed). Throws
// std::bad_alloc without memory for the basis.
[[nodiscard]] RitzPairs largest_ritz_pairs(const LanczosProblem& problem,
                                           const LanczosSettings& settings);

}  // namespace zervola::global

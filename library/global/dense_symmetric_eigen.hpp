#pragma once

// Eigenvalues and eigenvectors of a small dense symmetric matrix by the
// cyclic Jacobi method: the projected problems of the eigensolvers (a few
// hundred rows at most). Jacobi is slow beside Householder and QR but
// simple, and accurate to the rounding of each entry, small ones included.

#include <vector>

#include "common/index.hpp"

namespace zervola::global {

// Sweeps of the Jacobi method at most; a matrix of a few hundred rows needs
// fewer than a dozen.
inline constexpr int k_jacobi_sweeps = 60;

struct SymmetricEigen {
  std::vector<double> values;   // ascending
  std::vector<double> vectors;  // n x n column-major, orthonormal, column k for values[k]
};

// A: n x n column-major, symmetric (only its upper triangle is read).
// Converged when the off-diagonal entries are below rounding of the whole; after
// k_jacobi_sweeps sweeps the values found so far are returned as they are.
[[nodiscard]] SymmetricEigen symmetric_eigen(const std::vector<double>& A, Index n);

}  // namespace zervola::global

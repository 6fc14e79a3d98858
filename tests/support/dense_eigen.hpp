#pragma once

// The dense reference of the eigensolvers' tests: LAPACK's generalised
// symmetric-definite solver (dsygv, A x = lambda B x with B positive
// definite) and its symmetric inertia count, on column-major n x n arrays.
// Used by the tests only; the library has its own solver.

#include <cstddef>
#include <vector>

namespace zervola::test {

struct DenseEigen {
  std::vector<double> values;   // ascending
  std::vector<double> vectors;  // n x n column-major, column k for values[k], B-normalised
};

// A x = lambda B x for symmetric A and symmetric positive definite B (both
// n x n, column-major, copied). Throws std::runtime_error when LAPACK fails
// (B not positive definite).
[[nodiscard]] DenseEigen dense_generalised_eigen(const std::vector<double>& A,
                                                 const std::vector<double>& B, std::size_t n);

// The count of negative eigenvalues of the symmetric matrix A (n x n).
[[nodiscard]] std::size_t dense_negative_count(const std::vector<double>& A, std::size_t n);

}  // namespace zervola::test

#pragma once

// Prescription of one equation's value before the solution, by elimination:
// the known column of K moves to the right-hand side, row and column k are
// cleared apart from the diagonal, and f(k) = K(k, k) x. K stays symmetric,
// and prescribing several equations gives the same system in any order
// (apart from the rounding of the corrections).

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/skyline_matrix.hpp"
#include "global/status.hpp"

namespace zervola::global {

// Imposes u(k) = x. max_column_height bounds the columns right of k that can
// reach row k: columns k+1 .. k + max_column_height - 1 are scanned.
// A load that f(k) held is replaced. With K(k, k) = 0, f(k) becomes 0.
void prescribe(const SkylineMatrix& K, Vector1<double> f, Index k, double x,
               Index max_column_height);

// Whether the columns that prescribe() reads for equation k are columns of a
// valid profile inside profile_length entries; solved or the failing reason.
[[nodiscard]] Status prescription_status(Vector1<const HostInt> diag, Index k, Index profile_length,
                                         Index max_column_height);

}  // namespace zervola::global

#pragma once

// The sign of a mode shape or a buckled shape, made the same on every run.

#include <cstddef>

namespace zervola::frame {

// A shape's sign is set by its first translation of at least this share of
// its largest.
inline constexpr double k_shape_sign_share = 0.5;

// Purpose: an eigenvector's sign is arbitrary; orient_shape makes the first
// translation (in the library's order, six values per node) of at least
// k_shape_sign_share of the largest translation positive, so that a shape is
// drawn and written the same way on every run. A share rather than the
// largest alone, so that two translations of nearly equal size do not decide
// it by rounding.
//   phi (in/out): n values, six per node; turned over when needed.
//   n   (in):     the count of values. A shape without translations is left.
void orient_shape(double* phi, std::size_t n);

}  // namespace zervola::frame

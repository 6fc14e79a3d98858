#pragma once

// Forward reduction, division by the pivots and back substitution on a
// supernodal factor, for several right-hand sides at once. The right-hand
// sides are held by elimination place (6 k + dof for position k): row q
// holds every case's value side by side, `width` doubles per row (8, 16, 24
// or 32). Each supernode's columns go through the block kernel against the
// rows of its own equations (forward) and through the case-row kernel
// against the rows of the equations below it (back), six rows (a node) per
// call, as the skyline's substitution of several cases does.

#include "common/index.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/vector_path.hpp"

namespace zervola::global::supernodal {

// rows (6 n_nodes x width, in elimination places) become L^-T D^-1 L^-1 of
// themselves, every column. width: 8, 16, 24 or 32 (the kernels' widths;
// the caller pads and takes more cases in further passes); `path` must be
// available. One thread: the passes are a small share of the factorisation.
void substitute(const SupernodalFactor& factor, double* rows, Index width, VectorPath path);

// Only x = L^-T y (the back substitution), for the strain-free motions.
void back_substitute(const SupernodalFactor& factor, double* rows, Index width, VectorPath path);

}  // namespace zervola::global::supernodal

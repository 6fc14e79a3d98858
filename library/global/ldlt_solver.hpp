#pragma once

// Solution of K u = f for K held in a skyline store, by K = L D L^T in place.
//
// After either factorisation the diagonal position of column j holds D(j)
// and the position of K(i, j), i < j, holds L(j, i). The two factorisations
// compute the same quantities and differ only in the order of the additions
// inside each sum, hence only by rounding. Pivots are not tested: a zero
// pivot gives non-finite values, which spread to the solution unreported.

#include "common/index.hpp"
#include "common/one_based.hpp"
#include "global/skyline_matrix.hpp"
#include "global/vector_path.hpp"

namespace zervola::global {

// Columns per panel of the blocked factorisation.
inline constexpr Index k_panel_width = 32;
inline constexpr Index k_blocked_panel_rows = 128;
// Source rows per chunk of the blocked factorisation: the chunk's part of the
// panel's copy (64 KiB per group of 8 columns, 256 KiB for panels of 32)
// stays in the second-level cache while later rows use it. Measured best
// between 1024 and 2048.
inline constexpr Index k_chunk_rows = 1024;

// K = L D L^T, column by column (an active-column Crout scheme): for column
// j, first K(i, j) -= sum_r L(i, r) D(r) L(j, r) over the rows both columns
// hold, for i = top(j)+1 .. j-1, then scaling by the pivots and the update
// of the diagonal. Work: the sum of h(j)^2 over the columns.
void factorise_columns(const SkylineMatrix& K);

// Column j of factorise_columns alone; columns 1 .. j-1 hold their factors.
void factorise_column(const SkylineMatrix& K, Index j);

// The same factors, panel by panel of panel_width >= 1 columns: the rows of
// a panel above its first column are reduced as a triangular solve on a
// row-major copy of the panel, by blocks of the kernel of `path` (which
// must be available), then scaled back; the panel's pairs get their sums
// over those rows by the same kernel, and its own triangle goes column by
// column. A panel that reaches fewer than k_blocked_panel_rows rows above
// itself (a slender profile) is factorised column by column instead, where
// blocks would not pay for their bookkeeping. The rows above a panel are
// taken as sources in chunks of chunk_rows >= 1. Scratch: the copy, at most
// (max height + panel_width) times panel_width rounded up to 8 doubles,
// and the pivots of the rows above the panel.
void factorise_blocked(const SkylineMatrix& K, VectorPath path, Index panel_width = k_panel_width,
                       Index blocked_rows = k_blocked_panel_rows,
                       Index chunk_rows = k_chunk_rows);

// The library's factorisation: blocked, with the widest available path.
void factorise(const SkylineMatrix& K);

// With K holding its factors: f <- L^-1 f, then D^-1 f, then L^-T f.
void substitute(const SkylineMatrix& K, Vector1<double> f);

// factorise, then substitute: on return f holds u.
void solve(const SkylineMatrix& K, Vector1<double> f);

}  // namespace zervola::global

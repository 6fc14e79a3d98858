#pragma once

// Solution of K u = f for K held in a skyline store, by K = L D L^T in place.
//
// After factorise() the diagonal position of column j holds D(j) and the
// position of K(i, j), i < j, holds L(j, i). Pivots are not tested: a zero
// pivot gives non-finite values, which spread to the solution unreported.

#include "common/one_based.hpp"
#include "global/skyline_matrix.hpp"

namespace zervola::global {

// K = L D L^T, column by column (an active-column Crout scheme): for column
// j, first K(i, j) -= sum_r L(i, r) D(r) L(j, r) over the rows both columns
// hold, for i = top(j)+1 .. j-1, then scaling by the pivots and the update
// of the diagonal. Work: the sum of h(j)^2 over the columns.
void factorise(const SkylineMatrix& K);

// With K holding its factors: f <- L^-1 f, then D^-1 f, then L^-T f.
void substitute(const SkylineMatrix& K, Vector1<double> f);

// factorise, then substitute: on return f holds u.
void solve(const SkylineMatrix& K, Vector1<double> f);

}  // namespace zervola::global

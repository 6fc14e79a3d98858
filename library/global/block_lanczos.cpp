#include "global/block_lanczos.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "global/dense_symmetric_eigen.hpp"

namespace zervola::global {

namespace {

using Size = std::size_t;

Size idx(Index r, Index c, Index rows) {
  return static_cast<Size>(c) * static_cast<Size>(rows) + static_cast<Size>(r);
}

double dot(const double* a, const double* b, Index n) {
  double s = 0.0;
  for (Index i = 0; i < n; ++i) s += a[i] * b[i];
  return s;
}

void axpy(double alpha, const double* x, double* y, Index n) {
  for (Index i = 0; i < n; ++i) y[i] += alpha * x[i];
}

// The W-orthonormal basis and W times it, column after column.
struct Basis {
  Index n = 0;
  Index m = 0;
  std::vector<double> Q;
  std::vector<double> WQ;

  [[nodiscard]] const double* q(Index j) const { return Q.data() + idx(0, j, n); }
  [[nodiscard]] const double* wq(Index j) const { return WQ.data() + idx(0, j, n); }
  void append(const double* z, const double* wz, double norm) {
    Q.resize(idx(0, m + 1, n));
    WQ.resize(idx(0, m + 1, n));
    double* qz = Q.data() + idx(0, m, n);
    double* wqz = WQ.data() + idx(0, m, n);
    for (Index i = 0; i < n; ++i) {
      qz[i] = z[i] / norm;
      wqz[i] = wz[i] / norm;
    }
    ++m;
  }
};

// splitmix64: start vectors that are the same on every machine and run.
class StartVectors {
 public:
  explicit StartVectors(std::uint64_t seed) : state_(seed) {}
  double next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    z ^= z >> 31U;
    return static_cast<double>(z >> 11U) * 0x1.0p-53 * 2.0 - 1.0;
  }

 private:
  std::uint64_t state_;
};

// Z (n x k) loses its components along the basis: coefficients
// c = (W Q)^T Z, added to coef (m x k), and Z -= Q c. Twice.
void project_out(const Basis& B, double* Z, Index k, std::vector<double>& coef) {
  const Index n = B.n;
  const Index m = B.m;
  coef.assign(static_cast<Size>(m) * static_cast<Size>(k), 0.0);
  std::vector<double> c(static_cast<Size>(m));
  for (int pass = 0; pass < 2; ++pass)
    for (Index j = 0; j < k; ++j) {
      double* z = Z + idx(0, j, n);
      for (Index i = 0; i < m; ++i) c[static_cast<Size>(i)] = dot(B.wq(i), z, n);
      for (Index i = 0; i < m; ++i) {
        axpy(-c[static_cast<Size>(i)], B.q(i), z, n);
        coef[idx(i, j, m)] += c[static_cast<Size>(i)];
      }
    }
}

// The columns of Z (orthogonal to the basis already), W-orthonormalised
// among themselves and appended to the basis: Z = Q_new R. A column whose
// W-norm falls below k_lanczos_deflation of reference[j] is dropped (its
// row of R stays zero). R is (kept x k) with room for k rows. Returns the
// number kept.
Index orthonormalise_block(Basis& B, double* Z, double* WZ, Index k,
                           const std::vector<double>& reference, std::vector<double>& R) {
  const Index n = B.n;
  const Index first = B.m;
  R.assign(static_cast<Size>(k) * static_cast<Size>(k), 0.0);
  Index kept = 0;
  for (Index j = 0; j < k; ++j) {
    double* z = Z + idx(0, j, n);
    double* wz = WZ + idx(0, j, n);
    for (int pass = 0; pass < 2; ++pass)
      for (Index t = 0; t < kept; ++t) {
        const double r = dot(B.wq(first + t), z, n);
        axpy(-r, B.q(first + t), z, n);
        axpy(-r, B.wq(first + t), wz, n);
        R[idx(t, j, k)] += r;
      }
    const double norm2 = dot(z, wz, n);
    const double ref = reference[static_cast<Size>(j)];
    if (!(norm2 > 0.0) || std::sqrt(norm2) <= k_lanczos_deflation * ref) continue;
    const double norm = std::sqrt(norm2);
    B.append(z, wz, norm);
    R[idx(kept, j, k)] = norm;
    ++kept;
  }
  return kept;
}

}  // namespace

RitzPairs largest_ritz_pairs(const LanczosProblem& problem, const LanczosSettings& settings) {
  RitzPairs out;
  const Index n = problem.n;
  const Index rank = std::min(problem.rank, n);
  const Index cap = settings.most_vectors > 0 ? std::min(settings.most_vectors, rank) : rank;
  const Index wanted = std::min(settings.wanted, cap);
  if (n <= 0 || wanted <= 0) return out;
  const Index b = std::max<Index>(1, std::min(settings.block_size, cap));

  Basis B;
  B.n = n;
  StartVectors random(settings.seed);
  std::vector<double> X;
  std::vector<double> Z;
  std::vector<double> WZ;
  std::vector<double> coef;
  std::vector<double> reference;
  std::vector<double> R;
  // Column j of H = Q^T W Op Q, rows 0 .. (basis size when j was processed) - 1.
  std::vector<std::vector<double>> H;

  // Z gets Op X and loses the basis; then W Z and the reference norms:
  // || Op x ||_W^2 = || c ||^2 + || z ||_W^2 (Q c and z are W-orthogonal).
  const auto apply_and_project = [&](const double* in, Index k) {
    Z.assign(static_cast<Size>(n) * static_cast<Size>(k), 0.0);
    problem.apply(in, Z.data(), k);
    out.operator_applications += k;
    project_out(B, Z.data(), k, coef);
    WZ.assign(Z.size(), 0.0);
    problem.inner(Z.data(), WZ.data(), k);
    reference.assign(static_cast<Size>(k), 0.0);
    for (Index j = 0; j < k; ++j) {
      double c2 = 0.0;
      for (Index i = 0; i < B.m; ++i) c2 += coef[idx(i, j, B.m)] * coef[idx(i, j, B.m)];
      reference[static_cast<Size>(j)] =
          std::sqrt(c2 + std::max(0.0, dot(Z.data() + idx(0, j, n), WZ.data() + idx(0, j, n), n)));
    }
  };
  // A start block: random vectors taken through Op, which removes their
  // components along directions without mass (theta = 0 there).
  const auto start_block = [&](Index k) {
    X.resize(static_cast<Size>(n) * static_cast<Size>(k));
    for (double& x : X) x = random.next();
    apply_and_project(X.data(), k);
    return orthonormalise_block(B, Z.data(), WZ.data(), k, reference, R);
  };

  Index block_begin = 0;
  Index block_count = start_block(b);
  SymmetricEigen ritz;
  Index processed = 0;
  std::vector<double> last_R;
  Index last_kept = 0;
  int fresh_starts = 0;
  // The Ritz pairs of the processed columns, their residuals from the
  // newest block's coupling to the last processed one, and how many of the
  // largest passed.
  const auto compute_ritz = [&]() {
    std::vector<double> Hs(static_cast<Size>(processed) * static_cast<Size>(processed), 0.0);
    for (Index c = 0; c < processed; ++c)
      for (Index r = 0; r <= c; ++r)
        Hs[idx(r, c, processed)] = H[static_cast<Size>(c)][static_cast<Size>(r)];
    ritz = symmetric_eigen(Hs, processed);
    out.theta.assign(ritz.values.rbegin(), ritz.values.rend());
    out.residual.assign(static_cast<Size>(processed), 0.0);
    for (Index q = 0; q < processed; ++q) {
      const Index col = processed - 1 - q;  // descending theta
      double r2 = 0.0;
      for (Index t = 0; t < last_kept; ++t) {
        double v = 0.0;
        for (Index j = 0; j < block_count; ++j)
          v += last_R[idx(t, j, block_count)] * ritz.vectors[idx(block_begin + j, col, processed)];
        r2 += v * v;
      }
      out.residual[static_cast<Size>(q)] = std::sqrt(r2);
    }
    out.converged = 0;
    while (out.converged < processed &&
           out.residual[static_cast<Size>(out.converged)] <=
               settings.tolerance * std::fabs(out.theta[static_cast<Size>(out.converged)]))
      ++out.converged;
  };
  for (;;) {
    if (block_count == 0) {
      // The basis spans an invariant subspace: start again beside it, until
      // the space of the directions with mass is exhausted.
      if (B.m >= cap || fresh_starts > static_cast<int>(cap)) break;
      ++fresh_starts;
      block_begin = B.m;
      block_count = start_block(std::min(b, cap - B.m));
      if (block_count == 0) break;
    }
    X.assign(B.Q.begin() + static_cast<std::ptrdiff_t>(idx(0, block_begin, n)),
             B.Q.begin() + static_cast<std::ptrdiff_t>(idx(0, block_begin + block_count, n)));
    apply_and_project(X.data(), block_count);
    for (Index j = 0; j < block_count; ++j)
      H.emplace_back(coef.begin() + static_cast<std::ptrdiff_t>(idx(0, j, B.m)),
                     coef.begin() + static_cast<std::ptrdiff_t>(idx(0, j + 1, B.m)));
    processed = B.m;
    const Index kept = orthonormalise_block(B, Z.data(), WZ.data(), block_count, reference, R);
    last_R = R;

    last_kept = kept;
    if (processed >= wanted) {
      compute_ritz();
      if (out.converged >= wanted) break;
    }
    if (processed >= cap) break;
    block_begin = processed;
    block_count = kept;
  }

  out.basis_size = processed;
  if (processed == 0) return out;
  // Stopped by the size of the basis before the Ritz pairs of all of it were taken.
  if (ritz.values.size() != static_cast<Size>(processed)) compute_ritz();
  out.count = std::min(wanted, processed);
  out.vectors.assign(static_cast<Size>(n) * static_cast<Size>(out.count), 0.0);
  for (Index q = 0; q < out.count; ++q) {
    const Index col = processed - 1 - q;
    double* x = out.vectors.data() + idx(0, q, n);
    for (Index i = 0; i < processed; ++i) axpy(ritz.vectors[idx(i, col, processed)], B.q(i), x, n);
  }
  return out;
}

}  // namespace zervola::global

#include "analysis/loads/fixed_end_forces.hpp"

#include <zervola.h>

#include <cassert>
#include <cstdint>
#include <vector>

namespace zervola::frame {
namespace {

// Three-point Gauss-Legendre rule on [-1, 1]: exact for polynomials up to
// degree five.
constexpr std::array<double, 3> k_gauss_points = {-0.774596669241483377, 0.0,
                                                  0.774596669241483377};
constexpr std::array<double, 3> k_gauss_weights = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};

// Adds N(x)^T p + N'(x)^T m: the work-equivalent end loads of a force p and
// a moment m (about local x, y, z) at x.
void add_point(Vector12& f, double x, double L, const Vector3& p, const Vector3& m) {
  const double s = x / L;
  const double h1 = 1.0 - 3.0 * s * s + 2.0 * s * s * s;
  const double h2 = L * (s - 2.0 * s * s + s * s * s);
  const double h3 = 3.0 * s * s - 2.0 * s * s * s;
  const double h4 = L * (-s * s + s * s * s);
  const double d1 = (-6.0 * s + 6.0 * s * s) / L;
  const double d2 = 1.0 - 4.0 * s + 3.0 * s * s;
  const double d3 = (6.0 * s - 6.0 * s * s) / L;
  const double d4 = -2.0 * s + 3.0 * s * s;
  // Axial and torsion: linear.
  f[0] += p[0] * (1.0 - s);
  f[6] += p[0] * s;
  f[3] += m[0] * (1.0 - s);
  f[9] += m[0] * s;
  // Bending in x-y: v = h1 v_i + h2 rz_i + h3 v_j + h4 rz_j, rz = v'.
  f[1] += p[1] * h1 + m[2] * d1;
  f[5] += p[1] * h2 + m[2] * d2;
  f[7] += p[1] * h3 + m[2] * d3;
  f[11] += p[1] * h4 + m[2] * d4;
  // Bending in x-z: w = h1 w_i - h2 ry_i + h3 w_j - h4 ry_j, ry = -w'.
  f[2] += p[2] * h1 - m[1] * d1;
  f[4] += -p[2] * h2 + m[1] * d2;
  f[8] += p[2] * h3 - m[1] * d3;
  f[10] += -p[2] * h4 + m[1] * d4;
}

// The released degrees of freedom of each end condition.
std::vector<std::size_t> released(Release r) {
  switch (r) {
    case Release::none: return {};
    case Release::hinge_start: return {4, 5};
    case Release::hinge_end: return {10, 11};
    case Release::pinned: return {4, 5, 10, 11};
  }
  return {};
}

// f_r -= K_rc K_cc^-1 f_c, f_c = 0, by Gaussian elimination on the small
// K_cc (symmetric positive definite: bending blocks of a rigid-ended bar).
void condense(Vector12& f, const BeamProperties& b, const std::vector<std::size_t>& c) {
  std::array<double, 144> K{};
  const double zero = 0.0, L2 = b.L * b.L, L3 = L2 * b.L;
  const std::int32_t rigid = 0;
  MTRXE_012SHR(K.data(), &b.E, &b.G, &b.A, &b.It, &b.Iy, &b.Iz, &b.L, &zero, &zero, &b.L, &L2, &L3,
               &rigid);
  const auto k = [&](std::size_t r, std::size_t col) { return K[r + 12 * col]; };
  const std::size_t n = c.size();
  std::vector<double> a(n * n), y(n);
  for (std::size_t r = 0; r < n; ++r) {
    y[r] = f[c[r]];
    for (std::size_t col = 0; col < n; ++col) a[r * n + col] = k(c[r], c[col]);
  }
  for (std::size_t p = 0; p < n; ++p)
    for (std::size_t r = p + 1; r < n; ++r) {
      const double m = a[r * n + p] / a[p * n + p];
      for (std::size_t col = p; col < n; ++col) a[r * n + col] -= m * a[p * n + col];
      y[r] -= m * y[p];
    }
  for (std::size_t p = n; p-- > 0;) {
    for (std::size_t col = p + 1; col < n; ++col) y[p] -= a[p * n + col] * y[col];
    y[p] /= a[p * n + p];
  }
  for (std::size_t r = 0; r < 12; ++r) {
    bool is_released = false;
    for (std::size_t q = 0; q < n; ++q) is_released = is_released || c[q] == r;
    if (is_released) continue;
    for (std::size_t q = 0; q < n; ++q) f[r] -= k(r, c[q]) * y[q];
  }
  for (std::size_t q : c) f[q] = 0.0;
}

}  // namespace

Vector12 equivalent_end_loads(const LocalMemberLoads& loads, const BeamProperties& b) {
  Vector12 f{};
  const double L = b.L;
  for (const LinearLoad& q : loads.distributed) {
    const double half = 0.5 * (q.end - q.start), mid = 0.5 * (q.end + q.start);
    for (std::size_t g = 0; g < k_gauss_points.size(); ++g) {
      const double x = mid + half * k_gauss_points[g];
      const double t = half > 0.0 ? (x - q.start) / (q.end - q.start) : 0.0;
      Vector3 p{};
      for (std::size_t d = 0; d < 3; ++d)
        p[d] = half * k_gauss_weights[g] *
               (q.intensity_start[d] + t * (q.intensity_end[d] - q.intensity_start[d]));
      add_point(f, x, L, p, {});
    }
  }
  for (const PointAction& a : loads.concentrated) add_point(f, a.position, L, a.force, a.moment);
  // Thermal strains: integral of B^T D kappa0 over the length.
  const double axial = b.E * b.A * loads.thermal_strain;
  f[0] -= axial;
  f[6] += axial;
  const double mz = b.E * b.Iz * loads.thermal_curvature_v;
  f[5] -= mz;
  f[11] += mz;
  const double my = b.E * b.Iy * loads.thermal_curvature_w;
  f[4] += my;
  f[10] -= my;
  if (b.release == Release::pinned) {
    assert(f[3] == 0.0 && f[9] == 0.0);
    f[3] = f[9] = 0.0;
  }
  const std::vector<std::size_t> c = released(b.release);
  if (!c.empty()) condense(f, b, c);
  return f;
}

Vector12 to_end_force_convention(Vector12 v) {
  for (std::size_t k = 3; k < 9; ++k) v[k] = -v[k];
  return v;
}

Vector12 end_force_correction(const LocalMemberLoads& loads, const BeamProperties& b) {
  Vector12 f0 = equivalent_end_loads(loads, b);
  for (double& v : f0) v = -v;
  return to_end_force_convention(f0);
}

}  // namespace zervola::frame

#include "zervola/frame/internal_forces.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zervola::frame {
namespace {

// Three-point Gauss-Legendre rule on [-1, 1], exact up to degree five.
constexpr std::array<double, 3> k_gauss_points = {-0.774596669241483377, 0.0,
                                                  0.774596669241483377};
constexpr std::array<double, 3> k_gauss_weights = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};

using Forces = std::array<double, 6>;

bool counts(double position, const Station& s) {
  return position < s.x || (s.after && position == s.x);
}

// The integrals over [0, x] of q and of (s - x) q for the distributed loads.
void distributed_up_to(const LocalMemberLoads& loads, double x, Vector3& total, Vector3& moment) {
  for (const LinearLoad& q : loads.distributed) {
    const double b = std::min(q.end, x);
    if (!(b > q.start)) continue;
    // Linear in s: two-point rules would do; (s - x) q is quadratic.
    const double half = 0.5 * (b - q.start), mid = 0.5 * (b + q.start);
    for (std::size_t g = 0; g < k_gauss_points.size(); ++g) {
      const double s = mid + half * k_gauss_points[g];
      const double t = (s - q.start) / (q.end - q.start);
      for (std::size_t d = 0; d < 3; ++d) {
        const double value = half * k_gauss_weights[g] *
                             (q.intensity_start[d] + t * (q.intensity_end[d] - q.intensity_start[d]));
        total[d] += value;
        moment[d] += (s - x) * value;
      }
    }
  }
}

Forces section_forces(const MemberState& m, const Station& s) {
  const Vector12& f = m.end_forces;
  Vector3 q{}, qm{};
  distributed_up_to(m.loads, s.x, q, qm);
  Forces out{f[0] + q[0], f[1] + q[1], f[2] + q[2], f[3],
             f[4] - s.x * f[2] + qm[2], f[5] + s.x * f[1] - qm[1]};
  for (const PointAction& p : m.loads.concentrated) {
    if (!counts(p.position, s)) continue;
    for (std::size_t d = 0; d < 3; ++d) out[d] += p.force[d];
    const double arm = p.position - s.x;
    out[3] -= p.moment[0];
    out[4] += arm * p.force[2] - p.moment[1];
    out[5] -= arm * p.force[1] + p.moment[2];
  }
  return out;
}

// The load intensity at x (inside a piece of the distributed loads).
Vector3 intensity(const LocalMemberLoads& loads, double x) {
  Vector3 q{};
  for (const LinearLoad& p : loads.distributed) {
    if (!(x > p.start && x < p.end)) continue;
    const double t = (x - p.start) / (p.end - p.start);
    for (std::size_t d = 0; d < 3; ++d)
      q[d] += p.intensity_start[d] + t * (p.intensity_end[d] - p.intensity_start[d]);
  }
  return q;
}

// Strain and curvatures at a section: u', v'', w''.
Vector3 deformation(const Forces& f, const MemberState& m, const BeamProperties& b) {
  return {-f[0] / (b.E * b.A) + m.loads.thermal_strain,
          f[5] / (b.E * b.Iz) + m.loads.thermal_curvature_v,
          -f[4] / (b.E * b.Iy) + m.loads.thermal_curvature_w};
}

// The slope of each force quantity: N' = q_x, V' = q, T' = 0, My' = -Vz,
// Mz' = Vy.
Forces slope(const MemberState& m, const Station& s) {
  const Forces f = section_forces(m, s);
  const Vector3 q = intensity(m.loads, s.x);
  return {q[0], q[1], q[2], 0.0, -f[2], f[1]};
}

// Roots in (a, b) of the quadratic through its values at the quarter, half
// and three-quarter points (inside the segment, where it is one polynomial).
std::vector<double> quadratic_roots(double a, double b, double ya, double ym, double yb) {
  const double h = 0.5 * (b - a);
  // y(t) = c0 + c1 t + c2 t^2 with t = (x - mid) / h, samples at t = -1/2, 0, 1/2.
  const double c0 = ym, c1 = yb - ya, c2 = 2.0 * (yb + ya - 2.0 * ym);
  std::vector<double> t;
  const double scale = std::abs(c0) + std::abs(c1) + std::abs(c2);
  if (scale == 0.0) return {};
  if (std::abs(c2) <= 1e-14 * scale) {
    if (c1 != 0.0) t.push_back(-c0 / c1);
  } else {
    const double disc = c1 * c1 - 4.0 * c2 * c0;
    if (disc >= 0.0) {
      const double r = std::sqrt(disc);
      const double qq = -0.5 * (c1 + std::copysign(r, c1));
      t.push_back(qq / c2);
      if (qq != 0.0) t.push_back(c0 / qq);
    }
  }
  std::vector<double> x;
  for (double v : t)
    if (v > -1.0 && v < 1.0) x.push_back(a + h * (v + 1.0));
  return x;
}

// The slopes of the forces at the quarter, half and three-quarter points of
// the interval (a, c) between two stations, inside which every force is one
// polynomial.
struct IntervalSlopes {
  double a, c;
  Forces quarter, half, three_quarters;
};

std::vector<IntervalSlopes> interval_slopes(const std::vector<Station>& stations,
                                            const MemberState& m) {
  std::vector<IntervalSlopes> out;
  for (std::size_t n = 1; n < stations.size(); ++n) {
    const double a = stations[n - 1].x, c = stations[n].x;
    if (!(c > a)) continue;
    const double h = 0.5 * (c - a), mid = 0.5 * (a + c);
    out.push_back({a, c, slope(m, {mid - 0.5 * h, false}), slope(m, {mid, false}),
                   slope(m, {mid + 0.5 * h, false})});
  }
  return out;
}

void consider(Extreme& e, bool& first, double value, double x) {
  if (first || value > e.max) { e.max = value; e.x_max = x; }
  if (first || value < e.min) { e.min = value; e.x_min = x; }
  first = false;
}

}  // namespace

void add_scaled(MemberState& a, const MemberState& b, double factor) {
  for (LinearLoad q : b.loads.distributed) {
    for (std::size_t d = 0; d < 3; ++d) {
      q.intensity_start[d] *= factor;
      q.intensity_end[d] *= factor;
    }
    a.loads.distributed.push_back(q);
  }
  for (PointAction p : b.loads.concentrated) {
    for (std::size_t d = 0; d < 3; ++d) {
      p.force[d] *= factor;
      p.moment[d] *= factor;
    }
    a.loads.concentrated.push_back(p);
  }
  a.loads.thermal_strain += factor * b.loads.thermal_strain;
  a.loads.thermal_curvature_v += factor * b.loads.thermal_curvature_v;
  a.loads.thermal_curvature_w += factor * b.loads.thermal_curvature_w;
  for (std::size_t k = 0; k < 12; ++k) {
    a.end_forces[k] += factor * b.end_forces[k];
    a.end_displacements[k] += factor * b.end_displacements[k];
  }
}

std::vector<Station> diagram_stations(const std::vector<const LocalMemberLoads*>& loads, double L,
                                      int divisions) {
  std::vector<double> plain, jumps;
  for (int k = 0; k <= divisions; ++k) plain.push_back(k == divisions ? L : L * k / divisions);
  for (const LocalMemberLoads* l : loads) {
    for (const LinearLoad& q : l->distributed) {
      plain.push_back(q.start);
      plain.push_back(q.end);
    }
    for (const PointAction& p : l->concentrated) jumps.push_back(p.position);
  }
  std::sort(jumps.begin(), jumps.end());
  jumps.erase(std::unique(jumps.begin(), jumps.end()), jumps.end());
  std::vector<Station> out;
  for (double x : plain) out.push_back({x, x == L});
  for (double x : jumps) {
    out.push_back({x, false});
    out.push_back({x, true});
  }
  std::sort(out.begin(), out.end(), [](const Station& a, const Station& b) {
    return a.x < b.x || (a.x == b.x && !a.after && b.after);
  });
  out.erase(std::unique(out.begin(), out.end(),
                        [](const Station& a, const Station& b) {
                          return a.x == b.x && a.after == b.after;
                        }),
            out.end());
  return out;
}

std::vector<StationValues> member_diagram(const std::vector<Station>& stations,
                                          const MemberState& m, const BeamProperties& b) {
  std::vector<StationValues> out(stations.size());
  // Running integrals of u', and of kappa and s kappa for v and w.
  double u = m.end_displacements[0];
  std::array<double, 2> k0{}, k1{};
  std::vector<std::array<double, 2>> i0(stations.size()), i1(stations.size());
  for (std::size_t n = 0; n < stations.size(); ++n) {
    if (n > 0 && stations[n].x > stations[n - 1].x) {
      const double a = stations[n - 1].x, c = stations[n].x;
      const double half = 0.5 * (c - a), mid = 0.5 * (c + a);
      for (std::size_t g = 0; g < k_gauss_points.size(); ++g) {
        const double s = mid + half * k_gauss_points[g];
        const Vector3 d = deformation(section_forces(m, {s, false}), m, b);
        const double w = half * k_gauss_weights[g];
        u += w * d[0];
        for (std::size_t p = 0; p < 2; ++p) {
          k0[p] += w * d[p + 1];
          k1[p] += w * s * d[p + 1];
        }
      }
    }
    i0[n] = k0;
    i1[n] = k1;
    const Forces f = section_forces(m, stations[n]);
    std::copy(f.begin(), f.end(), out[n].begin());
    out[n][6] = u;
  }
  // v(x) = v_i + theta x + x I0(x) - I1(x), theta from v(L) = v_j.
  const double L = b.L;
  const std::size_t last = stations.size() - 1;
  for (std::size_t p = 0; p < 2; ++p) {
    const double start = m.end_displacements[1 + p], end = m.end_displacements[7 + p];
    const double theta = (end - start - (L * i0[last][p] - i1[last][p])) / L;
    for (std::size_t n = 0; n < stations.size(); ++n) {
      const double x = stations[n].x;
      out[n][7 + p] = start + theta * x + x * i0[n][p] - i1[n][p];
    }
  }
  return out;
}

std::array<Extreme, k_quantities> member_extremes(const std::vector<Station>& stations,
                                                  const std::vector<StationValues>& values,
                                                  const MemberState& m) {
  std::array<Extreme, k_quantities> e{};
  std::array<bool, k_quantities> first{};
  first.fill(true);
  for (std::size_t n = 0; n < stations.size(); ++n)
    for (std::size_t q = 0; q < k_quantities; ++q) consider(e[q], first[q], values[n][q], stations[n].x);
  for (const IntervalSlopes& i : interval_slopes(stations, m))
    for (std::size_t q = 0; q < 6; ++q)
      for (double x : quadratic_roots(i.a, i.c, i.quarter[q], i.half[q], i.three_quarters[q]))
        consider(e[q], first[q], section_forces(m, {x, false})[q], x);
  return e;
}

namespace {

// Samples of a displacement on an interval, at t = cos(k pi / 5), k = 0..5
// (t from 1 to -1 over the interval's half-length), fix its quintic.
constexpr std::size_t k_displacement_samples = 6;

using Polynomial = std::vector<double>;  // coefficients of t^0, t^1, ...

double evaluate(const Polynomial& p, double t) {
  double v = 0.0;
  for (std::size_t k = p.size(); k-- > 0;) v = v * t + p[k];
  return v;
}

Polynomial derivative(const Polynomial& p) {
  Polynomial d;
  for (std::size_t k = 1; k < p.size(); ++k) d.push_back(static_cast<double>(k) * p[k]);
  return d;
}

// The roots of p in (lo, hi): p is monotone between the roots of its
// derivative, so each such piece holds at most one, found by bisection.
std::vector<double> roots_within(const Polynomial& p, double lo, double hi) {
  std::vector<double> out;
  double scale = 0.0;
  for (double c : p) scale = std::max(scale, std::abs(c));
  if (p.size() < 2 || scale == 0.0) return out;
  std::vector<double> cuts{lo};
  for (double r : roots_within(derivative(p), lo, hi)) cuts.push_back(r);
  cuts.push_back(hi);
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    double a = cuts[k], b = cuts[k + 1];
    double fa = evaluate(p, a), fb = evaluate(p, b);
    if (fa == 0.0 && a > lo) out.push_back(a);
    if (!((fa < 0.0 && fb > 0.0) || (fa > 0.0 && fb < 0.0))) continue;
    for (int step = 0; step < 200 && b - a > 0.0; ++step) {
      const double m = 0.5 * (a + b);
      if (m <= a || m >= b) break;
      const double fm = evaluate(p, m);
      if ((fm < 0.0) == (fa < 0.0)) {
        a = m;
        fa = fm;
      } else {
        b = m;
      }
    }
    out.push_back(0.5 * (a + b));
  }
  return out;
}

// The polynomial of degree n - 1 through (t_k, y_k), by Newton's divided
// differences turned into powers of t.
Polynomial interpolate(const std::array<double, k_displacement_samples>& t,
                       std::array<double, k_displacement_samples> y) {
  const std::size_t n = t.size();
  for (std::size_t j = 1; j < n; ++j)
    for (std::size_t k = n - 1; k >= j; --k) y[k] = (y[k] - y[k - 1]) / (t[k] - t[k - j]);
  Polynomial p(n, 0.0);
  for (std::size_t j = n; j-- > 0;) {
    // p <- p (t - t_j) + y_j
    Polynomial next(n, 0.0);
    for (std::size_t k = 0; k + 1 < n; ++k) {
      next[k + 1] += p[k];
      next[k] -= p[k] * t[j];
    }
    next[0] += y[j];
    p = next;
  }
  return p;
}

}  // namespace

void refine_displacement_extremes(std::array<Extreme, k_quantities>& e,
                                  const std::vector<Station>& stations, const MemberState& m,
                                  const BeamProperties& b) {
  std::array<double, k_displacement_samples> t{};
  for (std::size_t k = 0; k < t.size(); ++k)
    t[k] = std::cos(static_cast<double>(k) * std::numbers::pi / static_cast<double>(t.size() - 1));
  // The stations with the interior samples of every interval between them.
  std::vector<Station> refined;
  std::vector<std::size_t> first_sample;  // per interval, the index of its station a
  for (std::size_t n = 0; n < stations.size(); ++n) {
    if (n > 0 && stations[n].x > stations[n - 1].x) {
      const double a = stations[n - 1].x, c = stations[n].x;
      const double mid = 0.5 * (a + c), h = 0.5 * (c - a);
      first_sample.push_back(refined.size() - 1);  // the station at a
      for (std::size_t k = t.size() - 2; k >= 1; --k) refined.push_back({mid + h * t[k], false});
    }
    refined.push_back(stations[n]);
  }
  const std::vector<StationValues> values = member_diagram(refined, m, b);
  for (const std::size_t start : first_sample) {
    const double a = refined[start].x, c = refined[start + t.size() - 1].x;
    const double mid = 0.5 * (a + c), h = 0.5 * (c - a);
    for (std::size_t q = 6; q < k_quantities; ++q) {
      // Samples from a (t = -1) to c (t = 1): the reverse of t's order.
      std::array<double, k_displacement_samples> y{};
      for (std::size_t k = 0; k < t.size(); ++k) y[k] = values[start + t.size() - 1 - k][q];
      const Polynomial p = interpolate(t, y);
      for (double r : roots_within(derivative(p), -1.0, 1.0)) {
        const double v = evaluate(p, r), x = mid + h * r;
        if (v > e[q].max) { e[q].max = v; e[q].x_max = x; }
        if (v < e[q].min) { e[q].min = v; e[q].x_min = x; }
      }
    }
  }
}

Extreme member_stress_extremes(const std::vector<Station>& stations, const MemberState& m,
                               const StressSection& s) {
  // The four corners of the rectangle (p along z, q along y): the stress at
  // a corner is linear in N, My, Mz, and so is its slope in N', My', Mz'.
  constexpr std::array<std::array<double, 2>, 4> k_corners = {{{-1, -1}, {-1, 1}, {1, -1}, {1, 1}}};
  const auto corner_stress = [&](const Forces& f, const std::array<double, 2>& c, bool slope_only) {
    const double axial = slope_only ? f[0] : f[0] + s.thermal_force;
    return -axial / s.A - c[0] * f[4] / s.Iy * s.half_extent_z + c[1] * f[5] / s.Iz * s.half_extent_y;
  };
  Extreme e{};
  bool first = true;
  const auto take = [&](const Forces& f, double x) {
    for (const auto& c : k_corners) consider(e, first, corner_stress(f, c, false), x);
  };
  for (const Station& st : stations) take(section_forces(m, st), st.x);
  for (const IntervalSlopes& i : interval_slopes(stations, m))
    for (const auto& corner : k_corners)
      for (double x : quadratic_roots(i.a, i.c, corner_stress(i.quarter, corner, true),
                                      corner_stress(i.half, corner, true),
                                      corner_stress(i.three_quarters, corner, true)))
        take(section_forces(m, {x, false}), x);
  return e;
}

}  // namespace zervola::frame

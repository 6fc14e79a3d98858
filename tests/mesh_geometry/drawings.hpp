#pragma once

// Random drawings for the differential tests: positions that cluster around a
// few anchors, and positions derived from earlier ones with each coordinate
// moved to exactly the edge of a tolerance, just inside it, a chain step
// further, or not at all. Anchors range over ordinary, huge and tiny values,
// and a few coordinates are non-finite.

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace zervola::mesh_geometry::test {

// Which magnitudes the anchors of a drawing take.
enum class Scale { ordinary, huge, tiny, mixed };

inline constexpr double k_inf = std::numeric_limits<double>::infinity();

// The value b farthest from a in direction (+1 or -1) with |b - a| < tolerance
// as computed; a itself when the spacing of doubles at a exceeds tolerance.
[[nodiscard]] inline double just_inside(double a, double tolerance, double direction) {
  if (!std::isfinite(a)) return a;
  double b = a + direction * tolerance;
  for (int k = 0; k < 64 && !(std::fabs(b - a) < tolerance); ++k) b = std::nextafter(b, a);
  for (int k = 0; k < 64; ++k) {
    const double c = std::nextafter(b, direction * k_inf);
    if (!(std::fabs(c - a) < tolerance)) break;
    b = c;
  }
  return b;
}

// The value b nearest to a in direction with |b - a| >= tolerance as computed.
[[nodiscard]] inline double just_outside(double a, double tolerance, double direction) {
  if (!std::isfinite(a)) return a;
  return std::nextafter(just_inside(a, tolerance, direction), direction * k_inf);
}

struct Cloud {
  std::vector<double> x, y, z;
  [[nodiscard]] std::size_t size() const { return x.size(); }
  void push(double px, double py, double pz) {
    x.push_back(px);
    y.push_back(py);
    z.push_back(pz);
  }
  void push_copy(std::size_t i) { push(x[i], y[i], z[i]); }
};

class DrawingMaker {
 public:
  DrawingMaker(std::uint64_t seed, double tolerance, Scale scale)
      : rng_(seed), tolerance_(tolerance), anchors_(anchors_for(scale, tolerance)) {}

  // Appends one position: fresh, or derived from an earlier one (often the
  // last, which makes chains).
  void add_point(Cloud& c) {
    if (c.size() == 0 || chance(0.25)) {
      c.push(fresh(), fresh(), fresh());
      return;
    }
    const std::size_t src = chance(0.35) ? c.size() - 1 : pick(c.size());
    c.push(derived(c.x[src]), derived(c.y[src]), derived(c.z[src]));
  }

  [[nodiscard]] bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  [[nodiscard]] std::size_t pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }

 private:
  static std::vector<double> anchors_for(Scale scale, double tol) {
    const double edge = 8.0 * tol;  // the cell edge of the routines' grids
    const std::vector<double> ordinary{0.0,        1.0,         -2.5,        1000.125,
                                       12345.5,    -0.3,        edge,        -edge,
                                       7.0 * edge, 1000 * edge, 0.125 * edge, 0.875 * edge,
                                       0.5 * edge, -1.5 * edge, 2.5 * edge, 1000.5 * edge};
    const std::vector<double> huge{
        std::ldexp(edge, 40),  -std::ldexp(edge, 40), std::ldexp(edge, 50),
        -std::ldexp(edge, 50), std::ldexp(edge, 51),  1e13,
        -1e15,                 1e20,                  1e300,
        std::numeric_limits<double>::max(),           -std::numeric_limits<double>::max()};
    const std::vector<double> tiny{0.0,
                                   -0.0,
                                   std::numeric_limits<double>::denorm_min(),
                                   -std::numeric_limits<double>::denorm_min(),
                                   1e-310,
                                   std::numeric_limits<double>::min(),
                                   -1e-200};
    switch (scale) {
      case Scale::ordinary:
        return ordinary;
      case Scale::huge:
        return huge;
      case Scale::tiny:
        return tiny;
      case Scale::mixed:
        break;
    }
    std::vector<double> all = ordinary;
    all.insert(all.end(), huge.begin(), huge.end());
    all.insert(all.end(), tiny.begin(), tiny.end());
    return all;
  }

  double fresh() {
    if (chance(0.01)) {
      const double odd[] = {k_inf, -k_inf, std::numeric_limits<double>::quiet_NaN()};
      return odd[pick(3)];
    }
    const double a = anchors_[pick(anchors_.size())];
    if (chance(0.5)) return a;
    return a + std::uniform_real_distribution<double>(-20.0, 20.0)(rng_) * tolerance_;
  }

  double derived(double a) {
    const double dir = chance(0.5) ? 1.0 : -1.0;
    const double u = std::uniform_real_distribution<double>(0, 1)(rng_);
    if (u < 0.40) return a;
    if (u < 0.55) return just_inside(a, tolerance_, dir);
    if (u < 0.65) return just_outside(a, tolerance_, dir);
    if (u < 0.75) return a + dir * 0.6 * tolerance_;  // a chain step
    if (u < 0.90) return a + std::uniform_real_distribution<double>(-1.5, 1.5)(rng_) * tolerance_;
    return a + std::uniform_real_distribution<double>(-12.0, 12.0)(rng_) * tolerance_;
  }

  std::mt19937_64 rng_;
  double tolerance_;
  std::vector<double> anchors_;
};

}  // namespace zervola::mesh_geometry::test

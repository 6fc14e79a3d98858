#include <fmt/format.h>

#include <cctype>
#include <cmath>
#include <string>
#include <numbers>

#include "model/item_fault.hpp"
#include "zervola/frame/sections.hpp"

namespace zervola::frame {
namespace {

// The sum over odd n of 1/n^5: (1 - 1/32) zeta(5).
constexpr double k_odd_inverse_fifth_powers = 31.0 / 32.0 * 1.0369277551433699263;
// Terms of the rectangle's torsion series below this share of the sum are
// beyond double precision.
constexpr double k_series_relative_tail = 1.0e-18;

// Saint-Venant's torsion constant of a solid rectangle, long side a, short
// side c: a c^3 / 3 (1 - 192/pi^5 c/a sum over odd n of tanh(n pi a/(2c))/n^5).
// The sum is written as its limit minus terms in 1 - tanh, which vanish
// exponentially, so that it converges in a few terms without cancellation.
double rectangle_torsion(double a, double c) {
  const double pi = std::numbers::pi;
  double shortfall = 0.0;
  for (int n = 1;; n += 2) {
    const double y = n * pi * a / (2.0 * c);
    const double one_minus_tanh = 2.0 / (std::exp(2.0 * y) + 1.0);
    const double term = one_minus_tanh / std::pow(n, 5);
    shortfall += term;
    if (term < k_series_relative_tail * k_odd_inverse_fifth_powers) break;
  }
  const double sum = k_odd_inverse_fifth_powers - shortfall;
  return a * c * c * c / 3.0 * (1.0 - 192.0 / std::pow(pi, 5) * (c / a) * sum);
}

void require_positive(const Origin& origin, const char* field, double value) {
  if (!(value > 0.0)) fail_item(origin, field, fmt::format("must be positive, is {}", value));
}

}  // namespace

bool shape_kind(std::string_view name, ShapeKind& kind) {
  // Case does not matter, as in profiles and materials ("I", "Rectangle").
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "rectangle") kind = ShapeKind::rectangle;
  else if (lower == "circle") kind = ShapeKind::circle;
  else if (lower == "hollow_circle") kind = ShapeKind::hollow_circle;
  else if (lower == "hollow_rectangle") kind = ShapeKind::hollow_rectangle;
  else if (lower == "i") kind = ShapeKind::i_section;
  else return false;
  return true;
}

void shape_properties(ShapeKind kind, const ShapeDimensions& dims, double& area,
                      double& torsion_constant, StrongWeakAxes& axes, const Origin& origin) {
  const double pi = std::numbers::pi;
  const double b = dims.b, h = dims.h, d = dims.d, t = dims.t;
  switch (kind) {
    case ShapeKind::rectangle: {
      require_positive(origin, "b", b);
      require_positive(origin, "h", h);
      area = b * h;
      torsion_constant = rectangle_torsion(std::max(b, h), std::min(b, h));
      axes = {b * h * h * h / 12.0, h * b * b * b / 12.0, h, b, 0.0, 0.0};
      return;
    }
    case ShapeKind::circle: {
      require_positive(origin, "d", d);
      const double inertia = pi * std::pow(d, 4) / 64.0;
      area = pi * d * d / 4.0;
      torsion_constant = 2.0 * inertia;
      axes = {inertia, inertia, d, d, 0.0, 0.0};
      return;
    }
    case ShapeKind::hollow_circle: {
      require_positive(origin, "d", d);
      require_positive(origin, "t", t);
      if (2.0 * t >= d)
        fail_item(origin, "t",
                  fmt::format("a wall of {} is half the diameter {} or more, leaving no hollow: "
                              "give a thinner wall, or use the shape \"circle\"",
                              t, d));
      const double inner = d - 2.0 * t;
      const double inertia = pi * (std::pow(d, 4) - std::pow(inner, 4)) / 64.0;
      area = pi * (d * d - inner * inner) / 4.0;
      torsion_constant = 2.0 * inertia;
      axes = {inertia, inertia, d, d, 0.0, 0.0};
      return;
    }
    case ShapeKind::hollow_rectangle: {
      require_positive(origin, "b", b);
      require_positive(origin, "h", h);
      require_positive(origin, "t", t);
      if (2.0 * t >= std::min(b, h))
        fail_item(origin, "t",
                  fmt::format("a wall of {} is half the smaller side {} or more, leaving no "
                              "hollow: give a thinner wall, or use the shape \"rectangle\"",
                              t, std::min(b, h)));
      const double bi = b - 2.0 * t, hi = h - 2.0 * t;
      area = b * h - bi * hi;
      torsion_constant = 2.0 * t * (b - t) * (b - t) * (h - t) * (h - t) / (b + h - 2.0 * t);
      axes = {(b * h * h * h - bi * hi * hi * hi) / 12.0, (h * b * b * b - hi * bi * bi * bi) / 12.0,
              h, b, 0.0, 0.0};
      return;
    }
    case ShapeKind::i_section: {
      const double tw = dims.tw, tf = dims.tf;
      require_positive(origin, "h", h);
      require_positive(origin, "b", b);
      require_positive(origin, "tw", tw);
      require_positive(origin, "tf", tf);
      if (2.0 * tf >= h)
        fail_item(origin, "tf",
                  fmt::format("two flanges of {} fill the height {}, leaving no web: give a "
                              "thinner flange or a greater h",
                              tf, h));
      if (tw > b)
        fail_item(origin, "tw",
                  fmt::format("a web of {} is wider than the flanges ({}): give tw at most b", tw,
                              b));
      const double web = h - 2.0 * tf;
      area = 2.0 * b * tf + web * tw;
      torsion_constant = (2.0 * b * tf * tf * tf + (h - tf) * tw * tw * tw) / 3.0;
      axes = {(b * h * h * h - (b - tw) * web * web * web) / 12.0,
              (2.0 * tf * b * b * b + web * tw * tw * tw) / 12.0, h, b, 0.0, 0.0};
      return;
    }
  }
}

}  // namespace zervola::frame

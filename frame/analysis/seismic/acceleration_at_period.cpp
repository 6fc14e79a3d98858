#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "analysis/seismic/ec8_curves.hpp"
#include "zervola/frame/seismic.hpp"

namespace zervola::frame {
namespace {

// Linear in period between the points about it; the end values beyond,
// flagged, since a table says nothing of what lies outside it.
SpectralValue table_acceleration(const std::vector<std::array<double, 2>>& table, double period) {
  if (table.empty()) throw std::invalid_argument("the spectrum's table is empty");
  if (period < table.front()[0]) return {table.front()[1], true};
  if (period > table.back()[0]) return {table.back()[1], true};
  // The first point after the period; there is one before it (or at it),
  // since the period lies within the table.
  const auto after = std::upper_bound(table.begin(), table.end(), period,
                                      [](double t, const std::array<double, 2>& p) { return t < p[0]; });
  if (after == table.end()) return {table.back()[1], false};
  const auto before = after - 1;
  const double share = (period - (*before)[0]) / ((*after)[0] - (*before)[0]);
  return {(*before)[1] + share * ((*after)[1] - (*before)[1]), false};
}

}  // namespace

SpectralValue spectral_acceleration(const ResponseSpectrum& spectrum, double period) {
  if (std::isnan(period) || period < 0.0)
    throw std::invalid_argument(fmt::format("the period {} s is not zero or positive", period));
  switch (spectrum.shape) {
    case SpectrumShape::table:
      return table_acceleration(spectrum.table, period);
    case SpectrumShape::ec8_elastic:
      return ec8_elastic_acceleration(spectrum.ec8, spectrum.damping, period);
    case SpectrumShape::ec8_design:
      return ec8_design_acceleration(spectrum.ec8, period);
  }
  throw std::invalid_argument("the spectrum's shape is none of SpectrumShape's");
}

}  // namespace zervola::frame

#include <fmt/format.h>

#include <optional>
#include <string>

#include "analysis/seismic/seismic_rules.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/seismic.hpp"

namespace zervola::frame {
namespace {

// The same form of message as a JSON item's, with the C++ member as field.
void refuse(const std::string& where, const char* field, const std::optional<std::string>& problem) {
  if (problem) throw InputError(fmt::format("{}: field \"{}\": {}", where, field, *problem));
}

}  // namespace

void check_spectrum(const ResponseSpectrum& spectrum, const std::string& where) {
  using namespace spectrum_rules;
  switch (spectrum.shape) {
    case SpectrumShape::table:
      refuse(where, "table", table_problem(spectrum.table));
      break;
    case SpectrumShape::ec8_elastic:
    case SpectrumShape::ec8_design: {
      const Ec8Spectrum& ec8 = spectrum.ec8;
      refuse(where, "ec8.type", type_problem(ec8.type));
      refuse(where, "ec8.ground_type", ground_problem(std::string(1, ec8.ground_type)));
      refuse(where, "ec8.ag", ag_problem(ec8.ag));
      // q and beta shape the design spectrum only; the elastic one ignores them.
      if (spectrum.shape == SpectrumShape::ec8_design) {
        refuse(where, "ec8.behaviour_factor", behaviour_factor_problem(ec8.behaviour_factor));
        refuse(where, "ec8.lower_bound_factor", lower_bound_factor_problem(ec8.lower_bound_factor));
      }
      break;
    }
    default:
      refuse(where, "shape",
             fmt::format("{} is none of SpectrumShape's (table, ec8_elastic, ec8_design)",
                         static_cast<int>(spectrum.shape)));
  }
  refuse(where, "damping", damping_problem(spectrum.damping));
}

}  // namespace zervola::frame

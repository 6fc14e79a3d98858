#pragma once

// The elastic and design spectra of EN 1998-1, for spectral_acceleration.

#include "zervola/frame/seismic.hpp"

namespace zervola::frame {

// Se(T) of §3.2.2.2 and Sd(T) of §3.2.2.5 at period (s, >= 0, may be
// +infinity): ec8 and damping as ResponseSpectrum holds them. Throws
// std::invalid_argument for a type or ground type that does not exist.
[[nodiscard]] SpectralValue ec8_elastic_acceleration(const Ec8Spectrum& ec8, double damping,
                                                     double period);
[[nodiscard]] SpectralValue ec8_design_acceleration(const Ec8Spectrum& ec8, double period);

}  // namespace zervola::frame

#pragma once

// The response of a frame to a response spectrum, from its natural modes:
// each mode's peak response to each excited direction is a static state,
// the displacements Gamma_d Sa_d(T) / omega^2 phi under the inertia forces
// Gamma_d Sa_d(T) M phi, recovered like a load case (end forces, reactions,
// equilibrium checked); the modes' states are combined quantity by
// quantity (CQC or SRSS), then the directions (SRSS or 100/30).

#include <vector>

#include "analysis/mesh/mesh.hpp"
#include "analysis/modal/natural_modes.hpp"
#include "zervola/frame/placement.hpp"
#include "zervola/frame/progress.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// The share of the movable mass along an excited direction that the modes
// combined should carry (EN 1998-1 4.3.3.3.1): below it, a warning.
inline constexpr double k_spectrum_mass_share = 0.9;

// model.spectrum and model.modal are set; modes: what natural_modes found.
// Appends warnings: rigid-body modes left out, periods outside the
// spectrum's range, less than k_spectrum_mass_share of the mass. Throws
// AnalysisError when a mode's state fails its recovery's checks.
[[nodiscard]] SpectrumResult response_spectrum(const Model& model, const Mesh& mesh,
                                               const Placement& placement,
                                               const NaturalModes& modes,
                                               const std::vector<MemberGeometry>& members,
                                               const std::vector<Transform>& transforms,
                                               std::vector<Warning>& warnings, Progress& progress);

}  // namespace zervola::frame

#pragma once

// The natural modes of a model (Model::modal): its masses gathered, the
// library core's free-vibration eigensolution on the mesh's profile, and
// the modal quantities engineers read.

#include <vector>

#include "analysis/mesh/mesh.hpp"
#include "global/mass_assembly.hpp"
#include "zervola/frame/modes.hpp"
#include "zervola/frame/placement.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

struct SolverPlan;

// The largest rigid-body eigenvalue, as a share of the size of the shift
// that made the frame's stiffness regular: a rigid-body mode's computed
// eigenvalue is the rounding of that shift.
inline constexpr double k_rigid_body_eigenvalue_share = 1.0e-3;

// The modes and the mass matrix they are normalised with (its upper
// triangle, in the library's equations), which the response spectrum's
// inertia forces need.
struct NaturalModes {
  ModalResult result;
  global::SymmetricEntries mass;
};

// members: the analysis's member geometry (lengths). Appends what is legal
// but suspicious to warnings (a load that points upwards in a case that
// gives mass). Throws InputError for a mass on no node or more modes than
// directions with mass (naming modal.modes), AnalysisError for a strain-free
// motion without mass and for an eigensolution that fails its checks.
[[nodiscard]] NaturalModes natural_modes(const Model& model, const Mesh& mesh,
                                        const Placement& placement,
                                        const std::vector<MemberGeometry>& members,
                                        std::vector<Warning>& warnings,
                                        const SolverPlan* plan = nullptr);

}  // namespace zervola::frame

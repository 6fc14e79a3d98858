#pragma once

// What one analysis gives: the mesh and its numbering, and per load case the
// displacements, reactions, member end forces, extreme stresses and the
// equilibrium check. Nodes are numbered by their first appearance among the
// members' points (the drawing's order), whatever numbering the solver used.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/local_member_loads.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/modes.hpp"
#include "zervola/frame/seismic_results.hpp"
#include "zervola/frame/stability.hpp"

namespace zervola::frame {

// How the equations are numbered: automatic takes the smaller profile of
// the other two (the band renumbering on a tie).
enum class NumberingChoice { automatic, band, profile };

// The skyline a numbering gives.
struct NumberingSize {
  std::int32_t node_bandwidth = 0;
  std::int32_t profile_length = 0;  // 0: the library refused it
  std::int32_t max_column_height = 0;
  double squared_column_heights = 0.0;  // the solver's work grows with it
};

// Which factorisation solves the load cases: the skyline of the library's
// exports, or the supernodal one in a nested-dissection order of the
// nodes; automatic takes the one predicted to be cheaper.
enum class SolverChoice { automatic, skyline, supernodal };

// The solver the analysis used for its load cases, second-order sets,
// natural modes and buckling, and what each was predicted to cost before
// either ran: the factorisation's floating-point operations (a multiply and
// an add per product) and the bytes of what it factorises in (the
// skyline's store, the supernodal factor's blocks; the supernodal solver's
// working stack comes beside them). The supernodal figures are 0 when they
// were not counted: a frame below 1,000 nodes (not worth ordering) or the
// skyline forced.
struct SolverSummary {
  SolverChoice used = SolverChoice::skyline;  // skyline or supernodal
  bool forced = false;      // by the options (--solver) rather than chosen
  bool dissected = false;   // the supernodal order is a nested dissection (not the profile's)
  // Whether the skyline's store fits the library's 32-bit addresses (2^31 - 1
  // entries); when not, the supernodal solver is the only one, and forcing
  // the skyline is an error.
  bool skyline_addressable = true;
  // Whether the skyline's store, with the room its solve needs, fits the
  // memory this process may use (factor_fits); when not, the automatic
  // choice takes the supernodal solver where its factor and working stores
  // fit.
  bool skyline_fits_memory = true;
  double skyline_flops = 0.0, skyline_bytes = 0.0;
  double supernodal_flops = 0.0, supernodal_bytes = 0.0;
  // What the supernodal solver holds beside its factor at its peak on one
  // thread (each further thread adds a working stack; the memory check
  // counts the threads that run): the stiffness matrix's node blocks, the
  // working stack and the update matrices (0 when not counted).
  double supernodal_working_bytes = 0.0;
};

struct MeshSummary {
  std::int32_t n_nodes = 0;
  std::int32_t n_equations = 0;
  std::int32_t bandwidth_before = 0;  // largest node-number difference
  std::int32_t bandwidth_after = 0;
  std::int32_t profile_before = 0;    // length of the skyline store
  std::int32_t profile_after = 0;
  std::int32_t column_height_before = 0;
  std::int32_t column_height_after = 0;
  NumberingChoice numbering = NumberingChoice::band;  // band or profile: the one used
  NumberingSize band;              // the library's band renumbering
  NumberingSize profile_reducing;  // the profile-reducing numbering
  SolverSummary solver;            // skyline, nothing counted, for a model with nothing to solve
};

struct MemberGeometry {
  std::int32_t start_node = 0;  // node of the member's "from" point
  std::int32_t end_node = 0;    // node of its "to" point
  double length = 0.0;
  // Local axes in global components: rows x, y, z.
  std::array<Vector3, 3> axes{};
};

struct Equilibrium {
  Vector3 applied_force{};
  Vector3 applied_moment{};   // about the origin
  Vector3 reaction_force{};
  Vector3 reaction_moment{};  // about the origin
  Vector3 force_residual{};
  Vector3 moment_residual{};
  double relative_force_residual = 0.0;
  double relative_moment_residual = 0.0;
};

struct Reaction {
  std::int32_t node = 0;          // the supported node (drawing number)
  std::array<double, 6> value{};  // what supports and springs exert on the node
  std::string support;            // the name of the node's support; empty: none or unnamed
};

struct CaseResult {
  std::string name;
  std::vector<std::array<double, 6>> displacements;       // per node
  std::vector<Reaction> reactions;                        // supported nodes
  std::vector<std::array<double, 12>> end_forces;         // per member, local axes
  std::vector<std::array<double, 12>> end_displacements;  // per member, local axes
  // Per member, force/length^2, tension positive: the extreme normal
  // stresses along the whole member (member loads included) and where they
  // occur (x from the member's start), and the extremes at its two ends.
  std::vector<double> stress_max;
  std::vector<double> stress_min;
  std::vector<double> stress_max_x;
  std::vector<double> stress_min_x;
  std::vector<double> end_stress_max;
  std::vector<double> end_stress_min;
  Equilibrium equilibrium;
};

// Where an analysis spends its time, in seconds of the wall clock.
struct AnalysisTimes {
  double mesh = 0.0;      // nodes, connectivity, both numberings, profile
  double solution = 0.0;  // assembly, the one factorisation, every case's substitution
  double recovery = 0.0;  // end forces, stresses and equilibrium of every case
};

struct AnalysisResult {
  MeshSummary mesh;
  AnalysisTimes times;
  std::vector<Point3> nodes;  // per node, 1-based numbers at index number - 1
  std::vector<MemberGeometry> members;
  std::vector<CaseResult> cases;
  std::vector<CaseResult> combinations;  // superposed, one per combination of the model
  // Per load case and member: the member's loads in its local axes.
  std::vector<std::vector<LocalMemberLoads>> member_loads;
  // What is legal but suspicious: the model's own (Model::warnings, found
  // while reading), then those the analysis found.
  std::vector<Warning> warnings;
  // The natural modes, when the model asks for them (Model::modal).
  std::optional<ModalResult> modal;
  // The response to the spectrum, when the model asks for it (Model::spectrum).
  std::optional<SpectrumResult> spectrum;
  // Linear buckling of each set Model::buckling names, in its order.
  std::vector<BucklingSet> buckling;
  // Each second-order load case, then combination, in model order; their
  // results in cases and combinations are the second-order ones.
  std::vector<SecondOrderSet> second_order;
};

// The equilibrium check passes when both relative residuals are below this.
inline constexpr double k_equilibrium_tolerance = 1.0e-6;

}  // namespace zervola::frame

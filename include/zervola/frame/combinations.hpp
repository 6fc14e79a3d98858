#pragma once

// Load combinations and envelopes. A combination superposes the results of
// load cases with its factors (the analysis is linear: nothing is solved
// again); an envelope keeps, for every node, member end and diagram station,
// the largest and smallest value over a set of combinations (or cases) and
// which of them gives it.

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/internal_forces.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// A load case or a combination, as factors on the load cases.
struct LoadSet {
  std::string name;
  std::vector<std::pair<std::size_t, double>> factors;  // load case index, factor
};

// The load cases (factor 1 each), then the combinations.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<LoadSet> load_sets(const Model& model);

// The result of load set k of load_sets.
[[nodiscard]] ZERVOLA_FRAME_API const CaseResult& set_result(const AnalysisResult& r,
                                                             std::size_t k);

// One result per combination. The stresses are those of the combined end
// forces; the equilibrium sums superpose, the relative residuals are the
// largest of the cases'.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<CaseResult> combine(const Model& model,
                                                                const AnalysisResult& r);

// What fixes the internal forces of a member under a load set.
[[nodiscard]] ZERVOLA_FRAME_API MemberState member_state(const AnalysisResult& r,
                                                         const LoadSet& set, std::size_t member);

// The stations of a member, shared by every load set.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<Station> member_stations(
    const AnalysisResult& r, std::size_t member, int divisions = k_diagram_divisions);

struct Bound {
  double max = 0.0;
  double min = 0.0;
  std::size_t max_by = 0;  // index into EnvelopeResult::sets
  std::size_t min_by = 0;
  double x_max = 0.0;  // diagrams: where along the member
  double x_min = 0.0;
};

struct EnvelopeResult {
  std::string name;
  std::vector<std::string> sets;
  std::vector<std::array<Bound, 6>> displacements;       // per node
  std::vector<std::array<Bound, 6>> reactions;           // per supported node, as in CaseResult
  std::vector<std::array<Bound, 12>> end_forces;         // per member
  std::vector<Bound> stress_max, stress_min;             // per member
  std::vector<std::array<Bound, k_quantities>> diagram;  // per member, along its length
};

// sets: every load set of the model (load_sets); results: theirs, in the
// same order (cases then combinations).
[[nodiscard]] ZERVOLA_FRAME_API EnvelopeResult envelope(const Model& model, const AnalysisResult& r,
                                                        const Envelope& v);

// The envelope of one member's diagram station by station.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<std::array<Bound, k_quantities>> station_envelope(
    const Model& model, const AnalysisResult& r, const Envelope& v, std::size_t member);

}  // namespace zervola::frame

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

// Every load set of a model that validate_model accepted: its load cases
// (factor 1 each), in the model's order, then its combinations. Throws
// nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<LoadSet> load_sets(const Model& model);

// The result of load set k of load_sets(model) for the model r was
// analysed from: r.cases[k] for a load case, r.combinations[k - cases]
// for a combination. k must be below cases + combinations (not checked).
[[nodiscard]] ZERVOLA_FRAME_API const CaseResult& set_result(const AnalysisResult& r,
                                                             std::size_t k);

// One result per combination of the model, from r.cases (analyse calls it;
// r.combinations need not be filled). Displacements, reactions, end forces
// and the equilibrium sums superpose with the factors; the stresses are
// those of the combined end forces (SILFACT); the relative residuals are the
// largest of the cases'. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<CaseResult> combine(const Model& model,
                                                                const AnalysisResult& r);

// What fixes the internal forces of member (index into Model::members) under
// a load set of load_sets: its loads, end forces and end displacements, in
// local axes, superposed with the set's factors. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API MemberState member_state(const AnalysisResult& r,
                                                         const LoadSet& set, std::size_t member);

// The stations of member (index into Model::members), shared by every load
// set: divisions equal parts and every load point of every load case.
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<Station> member_stations(
    const AnalysisResult& r, std::size_t member, int divisions = k_diagram_divisions);

// The extremes along member (index into Model::members) under a load set
// of load_sets: the internal forces at its stations (member_stations) and
// where their slope vanishes (member_extremes), the displacements exact
// (refine_displacement_extremes). Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::array<Extreme, k_quantities> member_set_extremes(
    const Model& model, const AnalysisResult& r, const LoadSet& set, std::size_t member);

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

// The envelope v (one of model.envelopes) over the load sets it names,
// from the results r of the model: every node displacement, reaction,
// member end force and stress, and the extremes along every member, each
// with the set that gives it (an index into EnvelopeResult::sets). The
// model must be one that validate_model accepted: it refuses an envelope or
// combination naming an unknown set, which is not checked again here.
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API EnvelopeResult envelope(const Model& model, const AnalysisResult& r,
                                                        const Envelope& v);

// The envelope v of member's diagram, station by station (the stations of
// member_stations), on the same terms as envelope.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<std::array<Bound, k_quantities>> station_envelope(
    const Model& model, const AnalysisResult& r, const Envelope& v, std::size_t member);

}  // namespace zervola::frame

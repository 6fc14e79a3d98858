#pragma once

// The internal-force diagrams, their extremes and the envelopes in the
// program's outputs: JSON members, CSV tables and report sections. A load
// set is a load case (0 .. cases - 1) or a combination (after them).

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "output/json_stream.hpp"
#include "output/text_out.hpp"
#include "zervola/frame/combinations.hpp"
#include "zervola/frame/internal_forces.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// The quantities the report shows (indices into k_quantity_names): a plane
// frame's N, Vy, Mz and u, v; all of them in space.
[[nodiscard]] std::vector<std::size_t> shown_quantities(const Model& model);

// The largest of high and the smallest of low, as one bound.
[[nodiscard]] Bound largest_and_smallest(const Bound& high, const Bound& low);

// An envelope's largest stress (of stress_max) and smallest (of stress_min)
// of member, as one bound.
[[nodiscard]] Bound stress_bounds(const EnvelopeResult& e, std::size_t member);

// A bound of envelope e in the JSON results: max, x_max, max_by, min,
// x_min, min_by (the sets by name).
[[nodiscard]] nlohmann::json bound_json(const Bound& b, const EnvelopeResult& e);

// What every member diagram of one output shares, formed once (per load
// set and member they would cost time linear in the sets again): the load
// sets, and each member's stations and beam properties.
struct DiagramBasis {
  std::vector<LoadSet> sets;
  std::vector<std::vector<Station>> stations;
  std::vector<BeamProperties> beams;
};
[[nodiscard]] DiagramBasis diagram_basis(const Model& model, const AnalysisResult& r);

// Member e's diagram under load set `set` (an index into basis.sets): its
// stations, the nine quantities there and their extremes along the member
// (the displacements' exact), as every output gives them.
struct MemberDiagram {
  std::vector<Station> stations;
  std::vector<StationValues> values;
  std::array<Extreme, k_quantities> extremes;
  std::vector<double> load_points;  // where the set's own concentrated loads act
};
[[nodiscard]] MemberDiagram member_set_diagram(const AnalysisResult& r, const DiagramBasis& basis,
                                               std::size_t set, std::size_t e);

// Member e's diagram under load set `set` as JSON: its stations and the nine
// quantities there (when stations), and their extremes.
[[nodiscard]] nlohmann::json diagram_json(const Model& model, const AnalysisResult& r,
                                          const DiagramBasis& basis, std::size_t set, std::size_t e,
                                          bool stations);
// Every envelope of the model, as one array written to doc.
void write_envelopes_json(JsonStream& doc, const Model& model, const AnalysisResult& r);

// member_diagrams.csv (every load set) and envelopes.csv.
void write_diagrams_csv(TextOut& t, const Model& model, const AnalysisResult& r);
void write_envelopes_csv(TextOut& t, const Model& model, const AnalysisResult& r);

// Report sections: the extremes along each member for one load set; an
// envelope's governing extremes.
void write_extremes_report(TextOut& t, const Model& model, const AnalysisResult& r,
                           const DiagramBasis& basis, std::size_t set);
void write_envelope_report(TextOut& t, const Model& model, const AnalysisResult& r,
                           const Envelope& v);

}  // namespace zervola::frame

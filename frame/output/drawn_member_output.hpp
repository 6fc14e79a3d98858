#pragma once

// The members as drawn that connect_crossings cut into pieces, in the
// program's outputs: what each was cut into, and its results as a whole
// (places measured from its "from" point). Every function gives nothing
// (an empty text, a null JSON value) for a model with no member cut.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "output/text_out.hpp"
#include "zervola/frame/combinations.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// JSON: each member cut, with its pieces; a load set's results per drawn
// member; an envelope's bounds per drawn member. The writers below write
// nothing for a model with no member cut.
[[nodiscard]] nlohmann::json drawn_members_json(const Model& model);
[[nodiscard]] nlohmann::json drawn_member_results_json(const Model& model, const AnalysisResult& r,
                                                       std::size_t set);
[[nodiscard]] nlohmann::json drawn_member_envelope_json(const Model& model, const EnvelopeResult& e);

// drawn_members.csv: per load set, drawn member and quantity (the stress
// first), the extremes along the whole member.
void write_drawn_members_csv(TextOut& t, const Model& model, const AnalysisResult& r);

// Report sections: the members cut and their pieces (model summary); a
// load set's extremes along each drawn member; an envelope's.
void write_drawn_members_report(TextOut& t, const Model& model);
void write_drawn_member_results_report(TextOut& t, const Model& model, const AnalysisResult& r,
                                       std::size_t set);
void write_drawn_member_envelope_report(TextOut& t, const Model& model, const EnvelopeResult& e);

}  // namespace zervola::frame

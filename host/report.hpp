#pragma once

// The readable report on standard output: the model summary, then per load
// case displacements, reactions, the equilibrium check, member end forces and
// extreme stresses (or, in summary form, the extremes of each).

#include <string>

#include "model.hpp"
#include "results.hpp"

namespace zervola::host {

enum class ReportDetail { full, summary };

[[nodiscard]] std::string format_report(const Model& model, const AnalysisResult& result,
                                        ReportDetail detail);

// The end-force sign convention, stated once in every output.
[[nodiscard]] const char* sign_convention_text();

}  // namespace zervola::host

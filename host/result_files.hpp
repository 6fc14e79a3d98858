#pragma once

// Machine-readable results: one JSON document with every result, and CSV
// tables (one per kind) for spreadsheets.

#include <map>
#include <string>

#include "model.hpp"
#include "results.hpp"

namespace zervola::host {

[[nodiscard]] std::string format_json_results(const Model& model, const AnalysisResult& result);

// File name (nodes.csv, members.csv, displacements.csv, reactions.csv,
// end_forces.csv, stresses.csv, equilibrium.csv, member_diagrams.csv and,
// with envelopes, envelopes.csv) -> content.
[[nodiscard]] std::map<std::string, std::string> format_csv_tables(const Model& model,
                                                                   const AnalysisResult& result);

// A CSV field: quoted when it holds a separator, quote or line break.
[[nodiscard]] std::string csv_field(const std::string& s);

}  // namespace zervola::host

#pragma once

// Runs one analysis of a model through the library's exported routines, in
// the order their data require: nodes from the members' points (MESHDISKR),
// connectivity (FREELINE), band renumbering (KRINUM), skyline profile
// (ZEBMUK6), then per load case assembly and solution (MATRIXG) and per member
// local axes (MATRIXCOS3P), end forces (GLOBTOLOC, LOCTOGLOB) and extreme
// stresses (SILFACT).

#include "model.hpp"
#include "progress.hpp"
#include "results.hpp"

namespace zervola::host {

// Throws InputError (a support or load on no node) or AnalysisError (a model
// not in one piece, a mechanism or singular system).
[[nodiscard]] AnalysisResult analyse(const Model& model, Progress& progress);

}  // namespace zervola::host

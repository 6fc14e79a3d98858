#pragma once

// Runs one analysis of a model through the library's exported routines, in
// the order their data require: nodes from the members' points (MESHDISKR),
// connectivity (FREELINE), band renumbering (KRINUM), skyline profile
// (ZEBMUK6) of the better of that numbering and a profile-reducing one, one
// assembly and factorisation for all load cases with a substitution per case
// (load_case_solver.hpp), per member its local axes once (MATRIXCOS3P), and
// per load case and member end forces (GLOBTOLOC, LOCTOGLOB) and extreme
// stresses (SILFACT).

#include "model.hpp"
#include "progress.hpp"
#include "results.hpp"

namespace zervola::host {

// Throws InputError (a support or load on no node) or AnalysisError (a model
// not in one piece, a mechanism or singular system).
[[nodiscard]] AnalysisResult analyse(const Model& model, Progress& progress,
                                     NumberingChoice numbering = NumberingChoice::automatic);

}  // namespace zervola::host

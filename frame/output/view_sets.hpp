#pragma once

// The load sets of the 3D view's data (viewer/README.md, "sets[]"): every
// load case and combination with its values at the stations, end forces,
// extremes, stresses and loads, then every envelope. One set is formed at
// a time: the data of a large model needs the memory of one set's values.

#include <cstddef>
#include <vector>

#include "output/diagram_output.hpp"
#include "output/view_json.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// The stations the view keeps of a member that has `count` (>= 2) of them
// (indices into its stations): all of them, or (all false) its two ends.
[[nodiscard]] std::vector<std::size_t> view_stations(std::size_t count, bool all);

// Writes the array "sets" (its value; the key is the caller's) to json.
//   model, r: in, the model and what analyse gave for it;
//   basis: in, diagram_basis(model, r);
//   all_stations: in, whether every station is kept (view_stations).
// Throws nothing but std::bad_alloc and what json's stream throws.
void write_view_sets(ViewJson& json, const Model& model, const AnalysisResult& r,
                     const DiagramBasis& basis, bool all_stations);

}  // namespace zervola::frame

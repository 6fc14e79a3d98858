#pragma once

// Reads a response-spectrum load set from its JSON form:
//
//   "spectrum": {
//     "name": "E",                                    optional, default "spectrum"
//     "table": [[0.0, 2.5], [0.5, 6.0], [2.0, 1.5]],  [period s, acceleration
//                                                     length/s^2], periods
//                                                     increasing; or "ec8"
//     "ec8": {"type": 1, "ground": "B", "ag": 2.45, "q": 3.9, "beta": 0.2},
//                                                     EN 1998-1: with q the
//                                                     design spectrum, without
//                                                     it the elastic one; beta
//                                                     (default 0.2) only with q
//     "damping": 0.05,                                optional, default 0.05,
//                                                     strictly inside (0, 1)
//     "directions": ["X", "Y"],                       optional, default
//                                                     ["X", "Y"]; any of X, Y,
//                                                     Z, each once
//     "modal_combination": "CQC",                     or "SRSS"; default CQC
//     "directional_combination": "SRSS",              or "100/30"; default SRSS
//     "comment": "..."                                ignored
//   }
//
// Exactly one of "table" and "ec8". ag is in the model's length per s^2
// (the time unit is the second). The damping is that of CQC's modal
// correlations and of the elastic spectrum's eta; the design spectrum's is
// within q.

#include "reading/json_item.hpp"
#include "zervola/frame/seismic.hpp"

namespace zervola::frame {

// item: in, the "spectrum" object (its place names it in messages).
// Returns the request, with origin the item's. Throws InputError naming the
// file, the place, the field and the value at fault and what to do, for:
// a field that is unknown or of the wrong JSON type; neither or both of
// table and ec8; a table of fewer than 2 points, a point that is not two
// finite numbers, a negative period or acceleration, periods not strictly
// increasing; an ec8 type not 1 or 2, a ground not A to E, ag not positive,
// q below 1, beta below 0 or given without q; a damping not strictly inside
// (0, 1); directions empty, unknown or repeated; an unknown combination.
[[nodiscard]] SpectrumRequest read_spectrum(const Item& item);

}  // namespace zervola::frame

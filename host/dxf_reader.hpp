#pragma once

// Reads the drawn members of a frame from a DXF file: every LINE entity and
// every straight segment of a polyline (POLYLINE with its VERTEX entities, or
// LWPOLYLINE) becomes one member, in the order of the file; the layer names
// the member's section. Arc segments (non-zero bulge) are refused.

#include <string>
#include <vector>

#include "model.hpp"

namespace zervola::host {

// Members named D1, D2, ... in drawing order, release none, no orientation
// point. Throws InputError when the file cannot be read or holds an arc
// segment.
[[nodiscard]] std::vector<Member> read_dxf_members(const std::string& path);

}  // namespace zervola::host

#pragma once

// Reads the drawn members of a frame from a DXF file: every LINE entity and
// every straight segment of a polyline (POLYLINE with its VERTEX entities, or
// LWPOLYLINE) becomes one member, in the order of the file; the layer names
// the member's section. Arc segments (non-zero bulge) are refused, and so is
// any drawing the reader does not fully understand: a malformed number, a
// missing coordinate, a section or polyline cut short, no final EOF, a block
// reference, a polyline outside the world x-y plane. Every refusal names the
// file, the line and the group code.

#include <string>
#include <vector>

#include "model.hpp"

namespace zervola::host {

// Members named D1, D2, ... in drawing order, release none, no orientation
// point. Throws InputError.
[[nodiscard]] std::vector<Member> read_dxf_members(const std::string& path);

// The same from the drawing's text; file_name is used in messages.
[[nodiscard]] std::vector<Member> parse_dxf_members(const std::string& text,
                                                    const std::string& file_name);

}  // namespace zervola::host

#pragma once

// What a drawn member's layer and handle say: the layer names the section,
// and a suffix after '@' the member's end release ("IPE300@hinge_end"); the
// entity's handle names the member, so that the names stay while the
// drawing is edited.

#include <optional>
#include <string>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// The name of a member drawn by the entity of handle 2F is "H2F" (a
// polyline's segments "H2F.1", "H2F.2", ...); of one without a handle,
// "D" and its place among the drawing's members.
inline const std::string k_handle_prefix = "H";
inline const std::string k_drawn_member_prefix = "D";
// What separates a layer's section from the release of its members.
inline constexpr char k_release_separator = '@';
// The layers zervola draws its results on begin with this: what they hold
// is not read as members, so that a drawing with results analyses as the
// drawing without them, and results drawn into it again replace them.
inline const std::string k_results_layer_prefix = "RESULTS_";

// Whether a layer holds results (its name begins with the prefix, in any case).
[[nodiscard]] bool is_results_layer(const std::string& layer);

struct DrawnLayer {
  std::string section;
  std::optional<Release> release;  // empty: the suffix names no release
  std::string suffix;              // what follows the separator, if any
};

// The section and release a layer names: "IPE300" is an IPE300 with no
// release, "IPE300@pinned" one pinned at both ends. The release is read in
// any case ("IPE300@HINGE_END"), as CAD programs may change a layer's case.
[[nodiscard]] DrawnLayer drawn_layer(const std::string& layer);

}  // namespace zervola::frame

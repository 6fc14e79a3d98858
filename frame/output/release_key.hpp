#pragma once

// How the JSON and CSV results name a member's release: the model's own
// words ("none", "hinge_start", "hinge_end", "pinned").

#include "zervola/frame/model.hpp"

namespace zervola::frame {

[[nodiscard]] inline const char* release_key(Release r) {
  switch (r) {
    case Release::none: return "none";
    case Release::hinge_start: return "hinge_start";
    case Release::hinge_end: return "hinge_end";
    case Release::pinned: return "pinned";
  }
  return "";
}

}  // namespace zervola::frame

#pragma once

// The model format's words for the C++ model's values, as the package
// gives them back to Python.

#include <zervola/frame.hpp>

namespace zervola::python {

// A member's release as the model format spells it: "none", "hinge_start",
// "hinge_end" or "pinned".
inline const char* release_name(frame::Release r) {
  switch (r) {
    case frame::Release::hinge_start: return "hinge_start";
    case frame::Release::hinge_end: return "hinge_end";
    case frame::Release::pinned: return "pinned";
    case frame::Release::none: break;
  }
  return "none";
}

}  // namespace zervola::python

#pragma once

// End codes: how an element is connected at its two ends.
//
//   0, -1, -2  both ends rigid (-1 and -2 name the first or the second end
//              without releasing it)
//   1          hinge at the first node (node i)
//   2          hinge at the second node (node j)
//   3          pin-ended bar: axial stiffness only
//   other      no stiffness at all

#include "common/index.hpp"

namespace zervola::element {

enum class EndForm {
  rigid,        // 0, -1, -2
  hinge_start,  // 1
  hinge_end,    // 2
  pin_ended,    // 3
  none,         // any other code
};

[[nodiscard]] constexpr EndForm end_form(HostInt end_code) {
  switch (end_code) {
    case 0:
    case -1:
    case -2:
      return EndForm::rigid;
    case 1:
      return EndForm::hinge_start;
    case 2:
      return EndForm::hinge_end;
    case 3:
      return EndForm::pin_ended;
    default:
      return EndForm::none;
  }
}

// The code of an element whose two ends are exchanged: a code that names one
// end follows that end (1 <-> 2, -1 <-> -2); every other code, the pin-ended
// bar 3 included, does not depend on the order of the ends and stays.
[[nodiscard]] constexpr HostInt swapped_end_code(HostInt end_code) {
  switch (end_code) {
    case 1:
      return 2;
    case 2:
      return 1;
    case -1:
      return -2;
    case -2:
      return -1;
    default:
      return end_code;
  }
}

}  // namespace zervola::element

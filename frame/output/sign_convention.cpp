#include "zervola/frame.hpp"

namespace zervola::frame {

const char* sign_convention_text() {
  return "Member end forces are given in each member's local axes: x runs from its first point "
         "(\"from\", the start) to its second (\"to\", the end); z lies towards the orientation "
         "point, or by default in the vertical plane through the member, upwards (for a "
         "vertical member y is global -Y). N is the axial force, positive in compression; Vy, "
         "Vz are the shear forces, T the torque, My, Mz the bending moments about local y and "
         "z. Each reads with one sign along the member: without loads between its ends N, Vy, "
         "Vz and T are the same at both ends, Mz(end) = Mz(start) + L*Vy and My(end) = "
         "My(start) - L*Vz. Stresses are positive in tension.";
}

}  // namespace zervola::frame

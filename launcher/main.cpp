// The zervola program: starts the first installed CAD host that it finds with
// the project file, then ends. No arguments, no configuration, no output.

#include "native_platform.hpp"
#include "search.hpp"

int main() {
  try {
    const auto platform = zervola::launcher::make_native_platform();
    zervola::launcher::start_first_host(*platform);
  } catch (...) {
    // Nothing is reported: the program ends the same way whatever happened.
  }
  return 0;
}

#pragma once

// The quoting of a field of every CSV table.

#include <string>

namespace zervola::frame {

// A CSV field: quoted when it holds a separator, a quote or any control
// character (a line break among them).
[[nodiscard]] std::string csv_field(const std::string& s);

}  // namespace zervola::frame

#pragma once

// zervola-frame --sections FILTER: the catalogue's sections whose
// designation contains the filter, with their properties in the units of
// their table.

#include <string>

namespace zervola::frame::cli {

// Prints the matching sections on standard output. Returns the exit status:
// 0 when some match, the usage status (with the nearest designations on
// standard error) when none does. Throws InputError when the catalogue
// cannot be read.
int list_sections(const std::string& filter);

}  // namespace zervola::frame::cli

#pragma once

// The catalogue's tables: which file holds which family, which columns hold
// which property, and the reading of one table into SI values.

#include <string>
#include <vector>

#include "zervola/frame/sections.hpp"

namespace zervola::frame {

enum class TableKind {
  doubly_symmetric,  // I, H, hollow: the farthest fibre from I / W_el
  channel,           // symmetric about the strong axis only: also from I / W_el
  equal_angle,       // principal axes at 45 degrees to the legs, from the geometry
};

struct TableLayout {
  const char* file;
  TableKind kind;
  bool inches;               // in, in^2, in^3, in^4; else mm, cm^2, cm^3, cm^4
  const char* family;        // the family of every row, or "" to take family_column
  const char* family_column;
  const char* depth;
  const char* width;
  const char* area;
  const char* mass;
  const char* inertia_strong;
  const char* inertia_weak;
  const char* torsion;
  const char* modulus_strong;  // "" where the table's moduli are not about the principal axes
  const char* modulus_weak;
};

// Every table of the catalogue, in the catalogue's order.
[[nodiscard]] const std::vector<TableLayout>& catalogue_tables();

// Reads one table. Throws InputError naming the file and the line of a
// missing column or a value that is not a positive number.
[[nodiscard]] std::vector<CatalogueSection> read_catalogue_table(const TableLayout& layout,
                                                                 const std::string& path);

}  // namespace zervola::frame

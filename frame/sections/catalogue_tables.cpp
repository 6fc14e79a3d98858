#include "sections/catalogue_tables.hpp"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

// Every table of the catalogue and the columns it is read from. Dimensions
// are in mm (or in), areas cm^2, section moduli cm^3, second moments and
// torsion constants cm^4 (or in^2, in^3, in^4).
const std::vector<TableLayout>& layouts() {
  using K = TableKind;
  static const std::vector<TableLayout> tables = {
      {"eu_ipe.csv", K::doubly_symmetric, false, "", "series", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_hea.csv", K::doubly_symmetric, false, "", "series", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_heb.csv", K::doubly_symmetric, false, "", "series", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_hem.csv", K::doubly_symmetric, false, "", "series", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_upn.csv", K::channel, false, "UPN", "", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_upe.csv", K::channel, false, "UPE", "", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"eu_l_equal.csv", K::equal_angle, false, "L", "", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iu_cm4", "Iv_cm4", "It_cm4", "", ""},
      {"eu_chs_hf.csv", K::doubly_symmetric, false, "CHS", "", "D_mm", "D_mm", "A_cm2", "mass_kg_m", "I_cm4", "I_cm4", "It_cm4", "Wel_cm3", "Wel_cm3"},
      {"eu_shs_hf.csv", K::doubly_symmetric, false, "SHS", "", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "I_cm4", "I_cm4", "It_cm4", "Wel_cm3", "Wel_cm3"},
      {"eu_rhs_hf.csv", K::doubly_symmetric, false, "RHS", "", "h_mm", "b_mm", "A_cm2", "mass_kg_m", "Iy_cm4", "Iz_cm4", "It_cm4", "Wel_y_cm3", "Wel_z_cm3"},
      {"us_w.csv", K::doubly_symmetric, true, "W", "", "d_in", "bf_in", "A_in2", "W_lb_ft", "Ix_in4", "Iy_in4", "J_in4", "Sx_in3", "Sy_in3"},
      {"us_hss_rect.csv", K::doubly_symmetric, true, "HSS", "", "Ht_in", "B_in", "A_in2", "W_lb_ft", "Ix_in4", "Iy_in4", "J_in4", "Sx_in3", "Sy_in3"},
      {"us_hss_round.csv", K::doubly_symmetric, true, "HSS", "", "OD_in", "OD_in", "A_in2", "W_lb_ft", "I_in4", "I_in4", "J_in4", "S_in3", "S_in3"},
      {"us_pipe.csv", K::doubly_symmetric, true, "Pipe", "", "OD_in", "OD_in", "A_in2", "W_lb_ft", "I_in4", "I_in4", "J_in4", "S_in3", "S_in3"},
  };
  return tables;
}

// Exact sizes of the tables' units in metres, and of a pound per foot in
// kg/m, as divisors or factors so that each conversion rounds once.
constexpr double k_mm_per_m = 1000.0;
constexpr double k_cm_per_m = 100.0;
constexpr double k_metres_per_inch = 0.0254;
constexpr double k_kg_per_m_per_lb_per_ft = 0.45359237 / 0.3048;

class Row {
 public:
  Row(const std::string& path, std::size_t line, std::vector<std::string> fields,
      const std::map<std::string, std::size_t>& columns)
      : path_(path), line_(line), fields_(std::move(fields)), columns_(columns) {}

  [[nodiscard]] const std::string& text(const std::string& column) const {
    const auto it = columns_.find(column);
    if (it == columns_.end())
      throw InputError(fmt::format("{}: the section table has no column \"{}\": reinstall "
                                   "zervola's section catalogue",
                                   path_, column));
    return fields_[it->second];
  }

  [[nodiscard]] bool blank(const std::string& column) const { return text(column).empty(); }

  [[nodiscard]] double number(const std::string& column) const {
    const std::string& t = text(column);
    // from_chars reads the C locale's numbers whatever the process's locale.
    double value = 0.0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value) ||
        !(value > 0.0))
      throw InputError(fmt::format("{}:{}: column \"{}\": \"{}\" is not a positive number: "
                                   "reinstall zervola's section catalogue",
                                   path_, line_, column, t));
    return value;
  }

 private:
  const std::string& path_;
  std::size_t line_;
  std::vector<std::string> fields_;
  const std::map<std::string, std::size_t>& columns_;
};

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  for (char c : line) {
    if (c == ',') {
      out.push_back(field);
      field.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  out.push_back(field);
  return out;
}

// An equal angle's principal axes: u along its line of symmetry (the
// larger inertia Iu), v across it. Fibres lie at most b/sqrt(2) from u (the
// leg tips) and, from v, at the heel (c sqrt(2) from the centroid) or at a
// tip's inner corner ((b + t)/sqrt(2) - c sqrt(2)); c is the centroid's
// distance from the back of a leg. A missing torsion constant is the
// thin-walled (2b - t) t^3 / 3.
void angle_axes(const Row& row, CatalogueSection& s) {
  const double root2 = std::numbers::sqrt2;
  const double b = row.number("b_mm") / k_mm_per_m;
  const double t = row.number("t_mm") / k_mm_per_m;
  const double c = row.number("c_cm") / k_cm_per_m;
  s.axes.depth = root2 * b;
  s.axes.width = (b + t) / root2;
  s.axes.stress_depth = s.axes.depth;
  s.axes.stress_width = 2.0 * std::max(c * root2, (b + t) / root2 - c * root2);
  s.principal_axes_rotated = true;
  if (row.blank("It_cm4")) {
    s.torsion_constant = (2.0 * b - t) * t * t * t / 3.0;
    s.torsion_from_formula = true;
  }
}

CatalogueSection read_row(const TableLayout& layout, const Row& row) {
  CatalogueSection s;
  s.designation = row.text("designation");
  s.family = layout.family_column[0] != '\0' ? row.text(layout.family_column) : layout.family;
  s.table = layout.file;
  s.inch_table = layout.inches;
  if (std::string(layout.file) == "us_pipe.csv" && row.text("edi_name") != s.designation)
    s.alias = row.text("edi_name");

  // cm^p or in^p in m^p.
  const auto property = [&](const char* column, int power) {
    const double v = row.number(column);
    return layout.inches ? v * std::pow(k_metres_per_inch, power) : v / std::pow(k_cm_per_m, power);
  };
  const auto dimension = [&](const char* column) {
    const double v = row.number(column);
    return layout.inches ? v * k_metres_per_inch : v / k_mm_per_m;
  };
  s.area = property(layout.area, 2);
  s.axes.inertia_strong = property(layout.inertia_strong, 4);
  s.axes.inertia_weak = property(layout.inertia_weak, 4);
  s.axes.depth = dimension(layout.depth);
  s.axes.width = dimension(layout.width);
  s.nominal_depth = s.axes.depth;
  s.nominal_width = s.axes.width;
  s.mass_per_length = layout.inches ? row.number(layout.mass) * k_kg_per_m_per_lb_per_ft
                                    : row.number(layout.mass);
  if (layout.kind == TableKind::equal_angle) {
    if (!row.blank(layout.torsion)) s.torsion_constant = property(layout.torsion, 4);
    angle_axes(row, s);
    return s;
  }
  s.torsion_constant = property(layout.torsion, 4);
  // The stresses at the farthest fibre: I / W_el is its distance.
  s.axes.stress_depth = 2.0 * s.axes.inertia_strong / property(layout.modulus_strong, 3);
  s.axes.stress_width = 2.0 * s.axes.inertia_weak / property(layout.modulus_weak, 3);
  return s;
}

}  // namespace

const std::vector<TableLayout>& catalogue_tables() { return layouts(); }

std::vector<CatalogueSection> read_catalogue_table(const TableLayout& layout,
                                                   const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw InputError(fmt::format("{}: cannot open the section table: reinstall zervola's "
                                 "section catalogue",
                                 path));
  std::string line;
  if (!std::getline(in, line))
    throw InputError(fmt::format("{}: the section table is empty", path));
  std::map<std::string, std::size_t> columns;
  const std::vector<std::string> names = split(line);
  for (std::size_t k = 0; k < names.size(); ++k) columns[names[k]] = k;

  std::vector<CatalogueSection> out;
  std::size_t number = 1;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line == "\r") continue;
    std::vector<std::string> fields = split(line);
    if (fields.size() != names.size())
      throw InputError(fmt::format("{}:{}: {} fields where the header has {}: reinstall "
                                   "zervola's section catalogue",
                                   path, number, fields.size(), names.size()));
    out.push_back(read_row(layout, Row(path, number, std::move(fields), columns)));
  }
  if (in.bad()) throw InputError(fmt::format("{}: cannot read the section table", path));
  return out;
}

}  // namespace zervola::frame

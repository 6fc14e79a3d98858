// Sections by name against published values: every catalogue row that the
// tables' cross-check file compares with a second source, named materials
// in a model's units, and parametric shapes against closed forms and
// against a plain transcription of Saint-Venant's torsion series.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>
#include <zervola/frame/sections.hpp>
#include <zervola/frame/units.hpp>

#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <sstream>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace sections_test {

const SectionCatalogue& catalogue() {
  static const SectionCatalogue c = SectionCatalogue::load();
  return c;
}

double relative(double a, double b) { return std::abs(a - b) / std::abs(b); }

// ---------------------------------------------------------------------------
// The catalogue against its cross-check file
// ---------------------------------------------------------------------------

struct CrossCheck {
  std::string family, row, quantity, source, line;
  double here = 0.0, other = 0.0, deviation = 0.0;  // deviation as a fraction
};

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  const auto e = s.find_last_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The one-line-per-quantity table of CROSSCHECK.md.
std::vector<CrossCheck> cross_checks() {
  std::ifstream in(std::string(ZERVOLA_SECTIONS_DATA_DIR) + "/CROSSCHECK.md");
  std::vector<CrossCheck> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("| ", 0) != 0) continue;
    std::vector<std::string> cells;
    std::stringstream ss(line.substr(1));
    std::string cell;
    while (std::getline(ss, cell, '|')) cells.push_back(trimmed(cell));
    if (cells.size() < 7 || cells[0] == "family" || cells[0].starts_with("---")) continue;
    CrossCheck c{cells[0], cells[1], cells[2], cells[4], line};
    try {
      c.here = std::stod(cells[3]);
      c.other = std::stod(cells[5]);
    } catch (const std::exception&) {
      continue;
    }
    c.deviation = cells[6] == "equal" ? 0.0 : std::stod(cells[6]) / 100.0;
    out.push_back(c);
  }
  return out;
}

// The catalogue's value of a quantity as the cross-check file names it, in
// the file's unit (cm or in powers); nullopt for one it does not keep.
std::optional<double> catalogue_value(const CatalogueSection& s, const std::string& quantity) {
  const bool inches = quantity.ends_with("in2") || quantity.ends_with("in4");
  const double unit = inches ? 0.0254 : 0.01;
  const std::string name = quantity.substr(0, quantity.find(' '));
  const int power = quantity.back() - '0';
  const auto in_unit = [&](double si) { return si / std::pow(unit, power); };
  if (name == "A") return in_unit(s.area);
  if (name == "It" || name == "J") return in_unit(s.torsion_constant);
  if (name == "I" || name == "Ix") return in_unit(s.axes.inertia_strong);
  if (name == "Iv" || name == "Iz") return in_unit(s.axes.inertia_weak);
  if (name == "Iy") {
    // AISC's y is the weak axis; an angle's y is a leg axis, whose inertia
    // is the mean of the principal ones (Iy + Iz = Iu + Iv, Iy = Iz).
    if (inches) return in_unit(s.axes.inertia_weak);
    if (s.principal_axes_rotated) return in_unit((s.axes.inertia_strong + s.axes.inertia_weak) / 2.0);
    return in_unit(s.axes.inertia_strong);
  }
  return std::nullopt;
}

TEST(SectionCatalogue, EveryCrossCheckedRowHasItsTableValueAndAgreesWithTheSecondSource) {
  const std::vector<CrossCheck> checks = cross_checks();
  ASSERT_GT(checks.size(), 200u);
  std::map<std::string, int> per_family;
  for (const CrossCheck& c : checks) {
    const CatalogueSection* s = catalogue().find(c.row);
    ASSERT_NE(s, nullptr) << c.line;
    const std::optional<double> value = catalogue_value(*s, c.quantity);
    ASSERT_TRUE(value.has_value()) << c.line;
    // An angle's leg-axis inertia is derived from the principal ones, to
    // the tables' four figures; every other value is the table's own.
    const bool derived = s->principal_axes_rotated && c.quantity.starts_with("Iy");
    EXPECT_LT(relative(*value, c.here), derived ? 2.0e-3 : 1.0e-12) << c.line;
    // "equal" in the file means equal to the second source's printed
    // figures, which may be one fewer.
    EXPECT_LE(relative(*value, c.other), std::max(c.deviation, 1.0e-3) + 2.0e-3) << c.line;
    ++per_family[c.family];
  }
  for (const char* family : {"IPE", "HEA", "HEB", "HEM", "UPN", "UPE", "L", "CHS", "SHS", "RHS",
                             "W", "HSS rect", "HSS round", "Pipe"})
    EXPECT_GT(per_family[family], 0) << family << " has no row checked";
}

TEST(SectionCatalogue, TheSeriesWithoutARowInTheCrossCheckTableAgreeWithTheirSources) {
  // IPE A against the scanned ArcelorMittal IPE sales table that the
  // tables' README cites: IPE A 100 8.78 cm^2, IPE 100 10.32 cm^2.
  EXPECT_NEAR(catalogue().find("IPE A 100")->area / 1e-4, 8.78, 1e-12);
  EXPECT_NEAR(catalogue().find("IPE 100")->area / 1e-4, 10.32, 1e-12);
  // IPE 750 x 147 by its own geometry: the plates and four root fillets
  // (h 753, b 265, tw 13.2, tf 17, r 17 mm) give its 187.5 cm^2.
  const double r = 17.0;
  const double plates = 2 * 265 * 17.0 + (753 - 2 * 17.0) * 13.2;
  const double fillets = 4 * (1 - std::numbers::pi / 4) * r * r;
  EXPECT_NEAR((plates + fillets) / 100.0 / (catalogue().find("IPE 750x147")->area / 1e-4), 1.0, 2e-3);
}

TEST(SectionCatalogue, HoldsEveryFamilyWholeWithConsistentAxes) {
  std::map<std::string, int> per_table;
  for (const CatalogueSection& s : catalogue().sections()) {
    ++per_table[s.table];
    EXPECT_GE(s.axes.inertia_strong, s.axes.inertia_weak) << s.designation;
    EXPECT_GT(s.torsion_constant, 0.0) << s.designation;
    // The farthest fibre lies at the section's edge, to the tables'
    // figures (three for the smallest pipes: I 0.017 in^4).
    EXPECT_LE(s.axes.stress_depth, s.axes.depth * 1.03) << s.designation;
    EXPECT_GE(s.axes.stress_depth, s.axes.depth * 0.97) << s.designation;
    if (!s.principal_axes_rotated) {
      // A channel's farthest fibre from its weak axis is a flange tip,
      // b - ys from the centroid: more than half the width, less than all.
      const bool channel = s.family == "UPN" || s.family == "UPE";
      EXPECT_LE(s.axes.stress_width, s.axes.width * (channel ? 2.0 : 1.03)) << s.designation;
      EXPECT_GE(s.axes.stress_width, s.axes.width * (channel ? 1.01 : 0.97)) << s.designation;
    }
    // Density of steel from the tabulated mass, within the tables' rounding
    // (AISC's weight takes the nominal wall, its area the design wall, 0.93
    // of it).
    const double density = s.mass_per_length / s.area;
    EXPECT_NEAR(density / 7850.0, 1.0, s.inch_table ? 0.12 : 0.03) << s.designation;
  }
  const std::map<std::string, int> rows = {
      {"eu_ipe.csv", 50},    {"eu_hea.csv", 24},      {"eu_heb.csv", 24},      {"eu_hem.csv", 24},
      {"eu_upn.csv", 16},    {"eu_upe.csv", 14},      {"eu_l_equal.csv", 80},  {"eu_chs_hf.csv", 103},
      {"eu_shs_hf.csv", 123}, {"eu_rhs_hf.csv", 161}, {"us_w.csv", 283},       {"us_hss_rect.csv", 388},
      {"us_hss_round.csv", 128}, {"us_pipe.csv", 51}};
  EXPECT_EQ(per_table, rows);
}

TEST(SectionCatalogue, FindsEverySpellingAndSuggestsTheNearest) {
  const CatalogueSection* ipe = catalogue().find("IPE 300");
  ASSERT_NE(ipe, nullptr);
  for (const char* spelling : {"IPE300", "ipe 300", " IPE  300 "})
    EXPECT_EQ(catalogue().find(spelling), ipe) << spelling;
  EXPECT_EQ(catalogue().find("W12x26"), catalogue().find("W12X26"));
  EXPECT_NE(catalogue().find("W12X26"), nullptr);
  EXPECT_EQ(catalogue().find("shs 100X100X5"), catalogue().find("SHS 100x100x5"));
  EXPECT_NE(catalogue().find("SHS 100x100x5"), nullptr);
  EXPECT_EQ(catalogue().find("HEB 200"), catalogue().find("HEB200"));
  EXPECT_EQ(catalogue().find("Pipe4SCH40"), catalogue().find("Pipe4STD"));
  EXPECT_NE(catalogue().find("Pipe4STD"), nullptr);
  EXPECT_EQ(catalogue().find("IPE A 300"), catalogue().find("ipea300"));
  EXPECT_NE(catalogue().find("IPE A 300"), ipe);
  EXPECT_EQ(catalogue().find("IPE 310"), nullptr);

  const std::vector<std::string> near = catalogue().nearest("IPE 310", 3);
  ASSERT_EQ(near.size(), 3u);
  EXPECT_EQ(near[0], "IPE 300");
  const std::vector<const CatalogueSection*> heb = catalogue().matching("heb 2");
  ASSERT_FALSE(heb.empty());
  for (const CatalogueSection* s : heb) EXPECT_TRUE(s->designation.starts_with("HEB 2")) << s->designation;
}

TEST(SectionCatalogue, AnAngleIsTakenOnItsPrincipalAxes) {
  const CatalogueSection* l = catalogue().find("L 100x100x10");
  ASSERT_NE(l, nullptr);
  EXPECT_TRUE(l->principal_axes_rotated);
  EXPECT_NEAR(l->axes.inertia_strong / 1.0e-8, 280.7, 1e-9);
  EXPECT_NEAR(l->axes.inertia_weak / 1.0e-8, 72.65, 1e-9);
  // Tip to tip across the axis of symmetry: sqrt(2) b.
  EXPECT_NEAR(l->axes.stress_depth, std::numbers::sqrt2 * 0.1, 1e-15);
  // The heel, 2.82 cm from the centroid along the axis of symmetry,
  // c sqrt(2) = 3.99 cm, is the farthest fibre from the minor axis.
  EXPECT_NEAR(l->axes.stress_width, 2.0 * 0.0282 * std::numbers::sqrt2, 1e-12);
  // An angle without a tabulated torsion constant takes the thin-walled one.
  const CatalogueSection* small = catalogue().find("L 20x20x3");
  ASSERT_NE(small, nullptr);
  EXPECT_TRUE(small->torsion_from_formula);
  EXPECT_NEAR(small->torsion_constant, (2 * 0.020 - 0.003) * std::pow(0.003, 3) / 3.0, 1e-20);
}

TEST(SectionCatalogue, ASectionInTheModelsUnitsAndAxes) {
  const CatalogueSection& ipe = *catalogue().find("IPE 300");
  const UnitScale kn_m{1000.0, 1.0}, n_mm{1.0, 0.001};
  const Section space = catalogue_section("beam", ipe, kn_m, FrameKind::space);
  EXPECT_NEAR(space.inertia_y, 8356e-8, 1e-18);
  EXPECT_NEAR(space.inertia_z, 603.8e-8, 1e-18);
  EXPECT_NEAR(space.area, 53.81e-4, 1e-16);
  EXPECT_NEAR(space.extent_z, 2.0 * 8356.0 / 557.1 / 100.0, 1e-12);  // 2 Iy / Wel,y
  EXPECT_DOUBLE_EQ(space.thermal_depth_z, 0.3);
  const Section plane = catalogue_section("beam", ipe, n_mm, FrameKind::plane);
  EXPECT_NEAR(plane.inertia_z / 8356e4, 1.0, 1e-14);
  EXPECT_NEAR(plane.inertia_y / 603.8e4, 1.0, 1e-14);
  EXPECT_NEAR(plane.extent_y / space.extent_z, 1000.0, 1e-9);
  EXPECT_DOUBLE_EQ(plane.extent_z / space.extent_y, 1000.0);
  EXPECT_EQ(space.profile, "IPE 300");
  EXPECT_TRUE(space.strong_weak);
}

TEST(SectionCatalogue, ATemperatureDifferenceActsAcrossTheProfilesDepthAndWidth) {
  // IPE 300: h 300, b 150 mm. A temperature difference between the flanges
  // acts over the depth, one between the flange tips over the width.
  const CatalogueSection& ipe = *catalogue().find("IPE 300");
  const UnitScale kn_m{1000.0, 1.0}, n_mm{1.0, 0.001};
  const Section space = catalogue_section("beam", ipe, kn_m, FrameKind::space);
  EXPECT_DOUBLE_EQ(space.thermal_depth_z, 0.3);
  EXPECT_DOUBLE_EQ(space.thermal_depth_y, 0.15);
  const Section plane = catalogue_section("beam", ipe, n_mm, FrameKind::plane);
  EXPECT_NEAR(plane.thermal_depth_y, 300.0, 1e-12);
  EXPECT_NEAR(plane.thermal_depth_z, 150.0, 1e-12);
  // UPN 200: h 200, b 75 mm, Iz 148 cm^4, Wel,z 27 cm^3. The stresses are
  // taken at the flange tips, Iz / Wel,z = 5.48 cm from the weak axis (b -
  // ys = 54.9 mm to the tables' figures); a temperature difference still
  // acts across the whole 75 mm.
  const Section channel = catalogue_section("rail", *catalogue().find("UPN 200"), kn_m,
                                            FrameKind::space);
  EXPECT_NEAR(channel.extent_y, 2.0 * 148.0 / 27.0 / 100.0, 1e-12);
  EXPECT_DOUBLE_EQ(channel.thermal_depth_y, 0.075);
  EXPECT_DOUBLE_EQ(channel.thermal_depth_z, 0.2);
}

// ---------------------------------------------------------------------------
// Units and materials
// ---------------------------------------------------------------------------

TEST(Units, KnownUnitsConvertAndOthersAreLabels) {
  const auto kip_ft = unit_scale({"kip", "ft"});
  ASSERT_TRUE(kip_ft.has_value());
  EXPECT_DOUBLE_EQ(kip_ft->newtons_per_force, 4448.2216152605);
  EXPECT_DOUBLE_EQ(kip_ft->metres_per_length, 0.3048);
  // 1 ksi = 6.894757 N/mm^2: 1 N/mm^2 in kip/in^2.
  const UnitScale kip_in = *unit_scale({"kip", "in"});
  EXPECT_NEAR(kip_in.from_si(1.0e6, 1, -2), 1.0 / 6.894757293168361, 1e-15);
  // Standard gravity in mm/s^2 and ft/s^2.
  EXPECT_NEAR(unit_scale({"N", "mm"})->from_si(9.81, 0, 1), 9810.0, 1e-9);
  EXPECT_NEAR(kip_ft->from_si(9.81, 0, 1), 9.81 / 0.3048, 1e-12);
  // Steel's 210,000 N/mm^2 is 21,000 kN/cm^2; 7850 kg/m^3 is 7.85e-3 kg/cm^3.
  const UnitScale kn_cm = *unit_scale({"kN", "cm"});
  EXPECT_DOUBLE_EQ(kn_cm.metres_per_length, 0.01);
  EXPECT_NEAR(kn_cm.from_si(2.1e11, 1, -2), 21000.0, 1e-9);
  EXPECT_NEAR(unit_scale({"N", "cm"})->from_si(7850.0, 0, -3), 7.85e-3, 1e-17);
  EXPECT_FALSE(unit_scale({"kN", "-"}).has_value());
  EXPECT_FALSE(unit_scale({"kn", "m"}).has_value());
  EXPECT_FALSE(unit_scale({"tonne", "m"}).has_value());
}

TEST(Materials, NamedMaterialsInTheModelsUnits) {
  const Material* s355 = find_material("s 355");
  ASSERT_NE(s355, nullptr);
  const MaterialValues kn_m = material_values(*s355, *unit_scale({"kN", "m"}));
  EXPECT_NEAR(kn_m.elastic_modulus, 2.1e8, 1e-6);
  EXPECT_NEAR(kn_m.shear_modulus, 8.1e7, 1e-6);
  EXPECT_NEAR(kn_m.density, 7.85, 1e-14);  // t/m^3
  EXPECT_EQ(kn_m.thermal_coefficient, 12e-6);
  const MaterialValues n_mm = material_values(*s355, *unit_scale({"N", "mm"}));
  EXPECT_NEAR(n_mm.elastic_modulus, 210000.0, 1e-9);
  EXPECT_NEAR(n_mm.density, 7.85e-9, 1e-23);  // N s^2/mm^4
  const MaterialValues kip_in = material_values(*s355, *unit_scale({"kip", "in"}));
  EXPECT_NEAR(kip_in.elastic_modulus, 30457.92, 0.01);  // ksi: 210,000 / 6.894757

  const Material* c30 = find_material("C30/37");
  ASSERT_NE(c30, nullptr);
  EXPECT_EQ(c30->elastic_modulus, 33000.0);
  EXPECT_NEAR(c30->shear_modulus, 33000.0 / 2.4, 1e-9);
  EXPECT_EQ(c30->density, 2500.0);
  EXPECT_EQ(find_material("C30")->elastic_modulus, 12000.0);  // the timber class, not the concrete
  EXPECT_EQ(find_material("gl24h")->elastic_modulus, 11500.0);
  EXPECT_EQ(find_material("S999"), nullptr);
  for (const char* name : {"S235", "S275", "S420", "S460", "C20/25", "C50/60", "GL28h", "GL30h",
                           "GL32h", "C24"})
    EXPECT_NE(find_material(name), nullptr) << name;
}

// ---------------------------------------------------------------------------
// Parametric shapes
// ---------------------------------------------------------------------------

struct ShapeResult {
  double area = 0.0, torsion = 0.0;
  StrongWeakAxes axes;
};

ShapeResult shape(ShapeKind kind, const ShapeDimensions& d) {
  ShapeResult r;
  shape_properties(kind, d, r.area, r.torsion, r.axes, {"model.json", "section \"s\""});
  return r;
}

// Saint-Venant's series as printed, summed far beyond double precision.
double rectangle_torsion_plain(double a, double c) {
  const double pi = std::numbers::pi;
  double sum = 0.0;
  for (int n = 200001; n >= 1; n -= 2) sum += std::tanh(n * pi * a / (2.0 * c)) / std::pow(n, 5);
  return a * c * c * c / 3.0 * (1.0 - 192.0 / std::pow(pi, 5) * (c / a) * sum);
}

TEST(ParametricSections, RectangleTorsionAgainstTheSeriesAndTabulatedValues) {
  // Tabulated beta of J = beta a c^3 (Timoshenko & Goodier): a/c = 1, 2, 10.
  EXPECT_NEAR(shape(ShapeKind::rectangle, {.b = 1.0, .h = 1.0}).torsion, 0.1406, 5e-5);
  EXPECT_NEAR(shape(ShapeKind::rectangle, {.b = 1.0, .h = 2.0}).torsion / 2.0, 0.229, 5e-4);
  EXPECT_NEAR(shape(ShapeKind::rectangle, {.b = 0.1, .h = 1.0}).torsion / 1e-3, 0.312, 5e-4);
  std::mt19937 random(24);
  std::uniform_real_distribution<double> size(0.01, 3.0);
  for (int k = 0; k < 200; ++k) {
    const double b = size(random), h = size(random);
    const ShapeResult r = shape(ShapeKind::rectangle, {.b = b, .h = h});
    EXPECT_LT(relative(r.torsion, rectangle_torsion_plain(std::max(b, h), std::min(b, h))), 1e-13)
        << b << " x " << h;
    EXPECT_DOUBLE_EQ(r.axes.inertia_strong, b * h * h * h / 12.0);
    EXPECT_DOUBLE_EQ(r.axes.inertia_weak, h * b * b * b / 12.0);
  }
}

TEST(ParametricSections, HollowAndISectionsAgainstTheirSolidParts) {
  const double b = 0.2, h = 0.3, t = 0.01;
  const ShapeResult box = shape(ShapeKind::hollow_rectangle, {.b = b, .h = h, .t = t});
  const ShapeResult outer = shape(ShapeKind::rectangle, {.b = b, .h = h});
  const ShapeResult inner = shape(ShapeKind::rectangle, {.b = b - 2 * t, .h = h - 2 * t});
  EXPECT_NEAR(box.area, outer.area - inner.area, 1e-15);
  EXPECT_NEAR(box.axes.inertia_strong, outer.axes.inertia_strong - inner.axes.inertia_strong, 1e-16);
  EXPECT_NEAR(box.axes.inertia_weak, outer.axes.inertia_weak - inner.axes.inertia_weak, 1e-16);
  // Bredt: 4 Am^2 t / perimeter of the mid-line.
  const double am = (b - t) * (h - t), perimeter = 2 * ((b - t) + (h - t));
  EXPECT_NEAR(box.torsion, 4 * am * am * t / perimeter, 1e-16);

  const ShapeResult tube = shape(ShapeKind::hollow_circle, {.d = 0.1683, .t = 0.0063});
  // CHS 168.3x6.3 of the catalogue (its own figures: A 32.1 cm^2, I 1050 cm^4).
  EXPECT_NEAR(tube.area / 32.1e-4, 1.0, 2e-3);
  EXPECT_NEAR(tube.axes.inertia_strong / 1050e-8, 1.0, 4e-3);
  EXPECT_DOUBLE_EQ(tube.torsion, 2 * tube.axes.inertia_strong);
  const ShapeResult disc = shape(ShapeKind::circle, {.d = 0.2});
  EXPECT_DOUBLE_EQ(disc.axes.inertia_weak, std::numbers::pi * std::pow(0.2, 4) / 64);

  // IPE 300 without its root fillets: the flanges' and the web's rectangles.
  const ShapeResult ipe =
      shape(ShapeKind::i_section, {.b = 0.150, .h = 0.300, .tw = 0.0071, .tf = 0.0107});
  const double web = 0.300 - 2 * 0.0107;
  EXPECT_NEAR(ipe.area, 2 * 0.150 * 0.0107 + web * 0.0071, 1e-16);
  const double flange_arm = (0.300 - 0.0107) / 2;
  const double strong = 2 * (0.150 * std::pow(0.0107, 3) / 12 + 0.150 * 0.0107 * flange_arm * flange_arm) +
                        0.0071 * std::pow(web, 3) / 12;
  EXPECT_LT(relative(ipe.axes.inertia_strong, strong), 1e-12);
  // About the weak axis, two flanges b tf and the web's thin strip.
  const double weak = 2 * 0.0107 * std::pow(0.150, 3) / 12 + web * std::pow(0.0071, 3) / 12;
  EXPECT_LT(relative(ipe.axes.inertia_weak, weak), 1e-12);
  // Against the catalogue's rolled IPE 300 (its root fillets add 4 % to Iy,
  // 0.2 % to Iz, 28 % to It).
  EXPECT_NEAR(ipe.axes.inertia_strong / 8356e-8, 0.957, 0.01);
  EXPECT_NEAR(ipe.axes.inertia_weak / 603.8e-8, 0.998, 0.002);
  EXPECT_NEAR(ipe.torsion / 20.12e-8, 0.78, 0.02);
}

TEST(ParametricSections, ARectanglesElasticModuliAreBhSquaredOverSixPlacedInEitherKind) {
  // b 0.2 wide, h 0.5 deep: W = 2 I / (fibre distance) is b h^2 / 6 about
  // the strong axis and h b^2 / 6 about the weak one, whichever local axes
  // the frame kind gives them; a temperature difference acts across h and b.
  const double b = 0.2, h = 0.5;
  const ShapeResult r = shape(ShapeKind::rectangle, {.b = b, .h = h});
  for (const FrameKind kind : {FrameKind::space, FrameKind::plane}) {
    SCOPED_TRACE(kind == FrameKind::space ? "space" : "plane");
    Section s;
    place_strong_weak(r.axes, kind, s);
    const bool space = kind == FrameKind::space;
    const double strong = space ? s.inertia_y : s.inertia_z;
    const double weak = space ? s.inertia_z : s.inertia_y;
    const double across_depth = space ? s.extent_z : s.extent_y;
    const double across_width = space ? s.extent_y : s.extent_z;
    EXPECT_NEAR(2.0 * strong / across_depth, b * h * h / 6.0, 1e-15);
    EXPECT_NEAR(2.0 * weak / across_width, h * b * b / 6.0, 1e-15);
    EXPECT_DOUBLE_EQ(space ? s.thermal_depth_z : s.thermal_depth_y, h);
    EXPECT_DOUBLE_EQ(space ? s.thermal_depth_y : s.thermal_depth_z, b);
  }
}

TEST(ParametricSections, RefusesWallsThatLeaveNoHollowAndNamesTheDimension) {
  const auto message = [](ShapeKind kind, const ShapeDimensions& d) -> std::string {
    try {
      (void)shape(kind, d);
    } catch (const InputError& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_NE(message(ShapeKind::hollow_circle, {.d = 0.1, .t = 0.06}).find("field \"t\": a wall of 0.06 is half the diameter 0.1 or more"),
            std::string::npos);
  EXPECT_NE(message(ShapeKind::hollow_rectangle, {.b = 0.1, .h = 0.3, .t = 0.05}).find("field \"t\""),
            std::string::npos);
  EXPECT_NE(message(ShapeKind::i_section, {.b = 0.1, .h = 0.2, .tw = 0.01, .tf = 0.1}).find("field \"tf\""),
            std::string::npos);
  EXPECT_NE(message(ShapeKind::i_section, {.b = 0.1, .h = 0.2, .tw = 0.2, .tf = 0.01}).find("field \"tw\""),
            std::string::npos);
  EXPECT_NE(message(ShapeKind::rectangle, {.b = 0.0, .h = 0.2}).find("field \"b\": must be positive"),
            std::string::npos);
  EXPECT_EQ(message(ShapeKind::hollow_circle, {.d = 0.1, .t = 0.049}), "accepted");
}

}  // namespace sections_test
}  // namespace zervola::frame::test

#pragma once

// Sections by name: named materials, the catalogue of rolled and hollow
// steel sections shipped with zervola, parametric shapes, and where a
// section's strong and weak axes go among a member's local axes.
//
// The frame element takes a member's local y and z as principal axes of its
// section through the centroid, and its loads act through the centroid
// (the shear centre of a channel or an angle is not modelled). A section
// given by its strong and weak axes (a catalogue profile, a parametric
// shape, or I_strong / I_weak) bends about its strong axis in the member's
// vertical plane in a space frame (local x-z: Iy is the strong inertia,
// local z the depth) and in the frame's plane in a plane frame (local x-y:
// Iz is the strong inertia, local y the depth), so that the same section is
// the physically same beam in both kinds of frame.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/units.hpp"

namespace zervola::frame {

// ---------------------------------------------------------------------------
// Materials
// ---------------------------------------------------------------------------

// A named material, in SI-derived units as the standards give them.
struct Material {
  std::string name;                  // "S355", "C30/37", "GL24h"
  double elastic_modulus = 0.0;      // N/mm^2 (mean value for concrete and timber)
  double shear_modulus = 0.0;        // N/mm^2
  double density = 0.0;              // kg/m^3
  double thermal_coefficient = 0.0;  // 1/K
  const char* source = "";           // the standard the values come from
};

// Every named material: structural steels S235-S460, concrete classes
// C20/25-C50/60 (reinforced), glulam GL24h-GL32h and solid timber C24, C30.
[[nodiscard]] ZERVOLA_FRAME_API const std::vector<Material>& named_materials();

// The material of that name, or nullptr. Case and blanks do not matter
// ("s355", "C 30/37").
//   name: in.
[[nodiscard]] ZERVOLA_FRAME_API const Material* find_material(std::string_view name);

// A material's values in a model's units.
struct MaterialValues {
  double elastic_modulus = 0.0;      // force/length^2
  double shear_modulus = 0.0;        // force/length^2
  double density = 0.0;              // force*s^2/length^4
  double thermal_coefficient = 0.0;  // 1/K
};

// material: in; scale: in, the model's units. Returns the values in them.
[[nodiscard]] ZERVOLA_FRAME_API MaterialValues material_values(const Material& material,
                                                              const UnitScale& scale);

// ---------------------------------------------------------------------------
// Strong and weak axes
// ---------------------------------------------------------------------------

// Bending properties named by the section's own axes. The strong axis is
// the one meant to bend in the member's vertical plane (space frame) or the
// frame's plane (plane frame): for a rolled section the one of the larger
// second moment of area, for a shape the one across its h (a rectangle
// laid flat has h < b, and I_strong < I_weak). "depth" is the section's
// size across the strong axis (h), "width" its size along it (b).
struct StrongWeakAxes {
  double inertia_strong = 0.0;  // length^4
  double inertia_weak = 0.0;    // length^4
  double depth = 0.0;           // length: overall size in the plane of strong-axis bending
  double width = 0.0;           // length: overall size in the plane of weak-axis bending
  // Twice the distance of the farthest fibre from each axis: the stresses
  // are taken at +-half of them. Equal to depth and width for a section
  // symmetric about both axes; 0 means equal to them.
  double stress_depth = 0.0;
  double stress_width = 0.0;
};

// Sets the section's Iy, Iz, extent_z, extent_y and the depths of a
// temperature difference from its strong and weak axes, for a frame kind
// (see the top of this file).
//   axes: in; frame: in; section: in/out.
ZERVOLA_FRAME_API void place_strong_weak(const StrongWeakAxes& axes, FrameKind frame,
                                         Section& section);

// ---------------------------------------------------------------------------
// The catalogue
// ---------------------------------------------------------------------------

// One section of the catalogue, its values in SI units.
struct CatalogueSection {
  std::string designation;  // as the table prints it: "IPE 300", "SHS 100x100x5", "W12X26"
  std::string alias;        // a second name, or empty (AISC pipes: "Pipe4SCH40")
  std::string family;       // "IPE", "IPE A", "HEA", "UPN", "L", "CHS", "W", "HSS", "Pipe", ...
  std::string table;        // the file it comes from: "eu_ipe.csv"
  bool inch_table = false;  // the table is in inches (AISC) rather than mm and cm
  double area = 0.0;              // m^2
  double torsion_constant = 0.0;  // m^4 (It, J)
  bool torsion_from_formula = false;  // not tabulated: the thin-walled formula
  StrongWeakAxes axes;            // m, m^4; angles: the principal axes
  bool principal_axes_rotated = false;  // the principal axes are not the legs' (angles)
  double mass_per_length = 0.0;   // kg/m as tabulated
  double nominal_depth = 0.0;     // m: h (d, OD, an angle's leg) as tabulated
  double nominal_width = 0.0;     // m: b (bf, B, OD, an angle's other leg)
};

// The catalogue, read from its tables.
class ZERVOLA_FRAME_API SectionCatalogue {
 public:
  // Reads every table of the catalogue installed with zervola
  // (section_catalogue_directory()).
  // Throws InputError when the tables are missing or malformed, naming the
  // file and the row.
  static SectionCatalogue load();

  // Reads every table of a directory (the files listed in its README).
  //   directory: in.
  // Throws InputError as load().
  static SectionCatalogue load(const std::string& directory);

  // The section of that designation, or nullptr. Case, blanks and the
  // letter x or X between dimensions do not matter ("IPE300", "ipe 300",
  // "W12x26", "shs 100X100X5").
  //   designation: in.
  [[nodiscard]] const CatalogueSection* find(std::string_view designation) const;

  // The designations nearest to a name that is not in the catalogue, the
  // nearest first (at most count of them).
  //   designation: in; count: in.
  [[nodiscard]] std::vector<std::string> nearest(std::string_view designation,
                                                 std::size_t count) const;

  // Every section whose designation contains the filter, spelt as find()
  // spells (the empty filter gives all), in the catalogue's order.
  //   filter: in.
  [[nodiscard]] std::vector<const CatalogueSection*> matching(std::string_view filter) const;

  [[nodiscard]] const std::vector<CatalogueSection>& sections() const { return sections_; }
  [[nodiscard]] const std::string& directory() const { return directory_; }

 private:
  std::vector<CatalogueSection> sections_;
  std::string directory_;
};

// Where the catalogue's tables are: share/zervola/sections beside the
// lib directory that holds libzervola_frame (installed, or in the build
// tree, which has the same layout). Throws InputError when the tables are
// not there, naming the place looked at.
[[nodiscard]] ZERVOLA_FRAME_API std::string section_catalogue_directory();

// A designation spelt the way the catalogue compares them: upper case, no
// blanks, "X" between dimensions ("ipe 300" -> "IPE300").
[[nodiscard]] ZERVOLA_FRAME_API std::string normalised_designation(std::string_view name);

// The geometric properties of a catalogue section in a model's units, as a
// section of the model named name, its axes placed for the frame kind.
// The material values (E, G, density, thermal coefficient) are left 0.
//   name: in; entry: in; scale: in, the model's units; frame: in.
[[nodiscard]] ZERVOLA_FRAME_API Section catalogue_section(const std::string& name,
                                                         const CatalogueSection& entry,
                                                         const UnitScale& scale, FrameKind frame);

// ---------------------------------------------------------------------------
// Parametric shapes
// ---------------------------------------------------------------------------

enum class ShapeKind { rectangle, circle, hollow_circle, hollow_rectangle, i_section };

// The dimensions of a shape, in the model's length unit; each shape reads
// only its own: rectangle b, h; circle d; hollow circle d, t; hollow
// rectangle b, h, t; I section h, b, tw, tf. h is the depth (across the
// strong axis), b the width.
struct ShapeDimensions {
  double b = 0.0;
  double h = 0.0;
  double d = 0.0;
  double t = 0.0;
  double tw = 0.0;
  double tf = 0.0;
};

// The name of a shape as a model spells it ("rectangle", "circle",
// "hollow_circle", "hollow_rectangle", "i"), or false when it is none.
//   name: in; kind: out.
[[nodiscard]] ZERVOLA_FRAME_API bool shape_kind(std::string_view name, ShapeKind& kind);

// The area, torsion constant and axes of a shape. The torsion constant of
// a rectangle is Saint-Venant's series (exact); of a hollow circle
// pi (d^4 - (d - 2t)^4) / 32; of a hollow rectangle Bredt's thin-walled
// formula 2 t (b - t)^2 (h - t)^2 / (b + h - 2t); of an I section the
// thin-walled (2 b tf^3 + (h - tf) tw^3) / 3. Fillets are not modelled.
//   kind: in; dims: in, in model length units.
//   area, torsion_constant, axes: out.
//   origin: in, the section, for messages.
// Throws InputError naming the dimension when a dimension is not positive,
// a wall is half the size or thicker (no hollow is left), or an I
// section's flanges leave no web (2 tf >= h) or its web is wider than its
// flanges (tw > b).
ZERVOLA_FRAME_API void shape_properties(ShapeKind kind, const ShapeDimensions& dims,
                                        double& area, double& torsion_constant,
                                        StrongWeakAxes& axes, const Origin& origin);

// ---------------------------------------------------------------------------
// Sections named by members
// ---------------------------------------------------------------------------

// Adds to the model a section for every member whose section names no
// section of the model but a catalogue profile ("IPE 300" drawn on a layer
// of that name, say), with the model's material (Model::material). The
// added section carries the member's spelling as its name.
//   model: in/out.
// Throws InputError naming the member and the nearest section names and
// designations when its section is neither; naming the model's "material"
// when it is missing or unknown; naming the units when they cannot be
// converted.
ZERVOLA_FRAME_API void add_catalogue_sections(Model& model);

}  // namespace zervola::frame

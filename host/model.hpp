#pragma once

// The frame model as the engineer describes it: sections by name, members as
// drawn lines, supports, springs and loads placed by coordinates, and named
// load cases. Nothing here knows the library's arrays; library_arrays.hpp
// turns a model into them.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zervola::host {

struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

using Vector3 = std::array<double, 3>;

// The six degrees of freedom of a node, in the library's order.
enum class Dof { ux = 0, uy = 1, uz = 2, rx = 3, ry = 4, rz = 5 };
inline constexpr int k_dofs_per_node = 6;
inline constexpr std::array<const char*, 6> k_dof_names = {"ux", "uy", "uz", "rx", "ry", "rz"};

enum class FrameKind { plane, space };

// End releases of a member, named from its first point ("from") to its
// second ("to").
enum class Release { none, hinge_start, hinge_end, pinned };

struct Units {
  std::string force = "kN";
  std::string length = "m";
};

struct Section {
  std::string name;
  double elastic_modulus = 0.0;
  double shear_modulus = 0.0;
  double area = 0.0;
  double torsion_constant = 0.0;
  double inertia_y = 0.0;
  double inertia_z = 0.0;
  double extent_z = 0.0;
  double extent_y = 0.0;
  double thermal_coefficient = 0.0;
};

// Where an item of the model was read from, for messages: "members[3]" or
// "frame.dxf, entity 7 (layer \"IPE300\")".
struct Origin {
  std::string file;
  std::string place;
};

struct Member {
  std::string name;
  Point3 from;
  Point3 to;
  std::string section;
  std::optional<Point3> orientation_point;
  Release release = Release::none;
  double temperature_change = 0.0;
  Origin origin;
};

struct Support {
  std::string name;
  Point3 at;
  std::array<bool, 6> restrained{};
  std::array<double, 6> prescribed{};  // value of each restrained direction
  std::string kind;                     // "fixed", "pinned", "roller", "custom"
  Origin origin;
};

// One spring is one or more rank-one stiffness terms at a node: each term is
// a translational vector t and a rotational vector r whose outer products
// t t^T and r r^T are added to the node's stiffness (|t|^2 along t).
struct SpringTerm {
  Vector3 translation{};
  Vector3 rotation{};
};

struct Spring {
  std::string name;
  Point3 at;
  std::vector<SpringTerm> terms;
  Origin origin;
};

struct NodalLoad {
  std::string name;
  Point3 at;
  Vector3 force{};
  Vector3 moment{};
  Origin origin;
};

// A settlement of a support in one load case: values for some of the
// support's restrained directions, replacing its own prescribed values.
struct SupportDisplacement {
  Point3 at;
  std::array<bool, 6> given{};
  std::array<double, 6> value{};
  Origin origin;
};

struct LoadCase {
  std::string name;
  std::vector<NodalLoad> loads;
  std::vector<SupportDisplacement> support_displacements;
  Origin origin;
};

struct Model {
  std::string source_file;
  std::string title;
  Units units;
  FrameKind frame = FrameKind::space;
  std::vector<Section> sections;
  std::vector<Member> members;
  std::vector<Support> supports;
  std::vector<Spring> springs;
  std::vector<LoadCase> load_cases;
  std::string dxf_file;  // the drawing the members came from, if any
};

}  // namespace zervola::host

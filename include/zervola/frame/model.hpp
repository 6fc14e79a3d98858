#pragma once

// The frame model as the engineer describes it: sections by name, members as
// drawn lines, supports, springs and loads placed by coordinates, and named
// load cases. Nothing here knows the library's arrays; library_arrays.hpp
// turns a model into them.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zervola/frame/origin.hpp"
#include "zervola/frame/seismic.hpp"

namespace zervola::frame {

struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

using Vector3 = std::array<double, 3>;

// Two points closer than this in every coordinate are one node, as the
// library merges drawn line endpoints (in the model's length unit).
inline constexpr double k_node_tolerance = 1.0e-4;

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

// A section's properties in the model's units and the member's local axes.
// A section given by name (a catalogue profile, a parametric shape, a named
// material, or strong and weak inertias) has them computed when it is read
// (zervola/frame/sections.hpp); what it was given as is kept for the report.
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
  std::optional<double> density;  // mass per volume, for self-weight
  // The depth over which a temperature difference between the +y and -y
  // (+z and -z) faces acts; 0: extent_y (extent_z). They differ from the
  // extents where the stresses are taken at the farthest fibre of a section
  // that is not symmetric (a channel's flange tips).
  double thermal_depth_y = 0.0;
  double thermal_depth_z = 0.0;
  // What the section was given as; empty when its properties were typed in.
  std::string profile;   // catalogue designation, as the catalogue prints it
  std::string shape;     // parametric shape and dimensions, "rectangle b 0.3, h 0.5"
  std::string material;  // named material
  bool strong_weak = false;  // inertias given by strong and weak axes, placed by frame kind
  Origin origin;
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
  std::string name;     // as the model gives it, or S1, S2, ... by position (for messages)
  bool named = false;   // the model gives the name: results carry it
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

// A load along a member, placed by distances from its "from" point (or by
// fractions of its length when relative), in local or global axes.
enum class MemberLoadKind { distributed, force, moment, temperature };
// global_projected: a global load given per unit length of the member's
// projection on the plane normal to each load component (snow on a rafter).
enum class LoadAxes { local, global, global_projected };

struct MemberLoad {
  std::string member;
  MemberLoadKind kind = MemberLoadKind::distributed;
  LoadAxes axes = LoadAxes::global;
  bool relative = false;
  std::optional<double> start;  // distributed: where it begins (default 0)
  std::optional<double> end;    // distributed: where it ends (default the length)
  double position = 0.0;        // force, moment: where it acts
  Vector3 start_value{};        // distributed: intensity at start; force, moment: the value
  Vector3 end_value{};          // distributed: intensity at end
  // Temperature: uniform change, and the difference between the faces at
  // +y and -y (+z and -z) of the section.
  double uniform_change = 0.0;
  double difference_y = 0.0;
  double difference_z = 0.0;
  Origin origin;
};

// A global sway imperfection (EN 1993-1-1 5.3.2) of a second-order load
// case or combination, as equivalent horizontal forces: at each node that
// carries a vertical load, phi times that load, horizontal along the
// global X or Y ("direction", 0 or 1).
struct SwayImperfection {
  int direction = 0;  // 0: X, 1: Y
  double phi = 1.0 / 200.0;
  Origin origin;
};

struct LoadCase {
  std::string name;
  std::vector<NodalLoad> loads;
  std::vector<SupportDisplacement> support_displacements;
  std::vector<MemberLoad> member_loads;
  std::optional<Vector3> gravity;  // self-weight of every member: density * area * gravity
  bool self_weight = false;        // asked for as "self_weight": gravity points down
  // Analysed on the deformed geometry ("second_order": true), with the
  // sway imperfection when given (stability.hpp).
  bool second_order = false;
  std::optional<SwayImperfection> imperfection;
  Origin origin;
};

// A named set of factors on load cases, whose results superpose.
struct Combination {
  std::string name;
  std::vector<std::pair<std::string, double>> factors;  // load case name, factor
  // Analysed on the deformed geometry: its loads are combined first, then
  // the combined case is analysed (second-order results do not superpose).
  bool second_order = false;
  std::optional<SwayImperfection> imperfection;
  Origin origin;
};

// The extremes over a set of combinations.
struct Envelope {
  std::string name;
  std::vector<std::string> combinations;
  Origin origin;
};

// A member as drawn that connect_crossings cut where other members cross it
// or end on its span: its pieces, from its "from" point on, are members of
// the model named "<name>.1", "<name>.2", ...
struct DrawnMember {
  std::string name;
  Point3 from;
  Point3 to;
  double length = 0.0;
  std::vector<std::size_t> pieces;   // indices into Model::members
  std::vector<double> piece_starts;  // where along the drawn member each piece begins
  Origin origin;
};

// A mass placed at a node, beside the members' own: its mass acts in the
// three translations, its rotary inertias about the global axes through
// the node (mass * length^2).
struct PointMass {
  std::string name;  // as given, or M1, M2, ... by position (for messages)
  Point3 at;
  double mass = 0.0;
  Vector3 rotary_inertia{};
  Origin origin;
};

// Mass taken from the loads of a load case, as seismic codes ask (the
// permanent loads and a share of the imposed ones): the downward component
// of its nodal and member loads, times factor, over the model's gravity.
// The case's self-weight is not taken: the sections' density gives it.
struct MassFromLoads {
  std::string load_case;
  double factor = 1.0;
  Origin origin;
};

enum class MassMatrix { consistent, lumped };

// The natural modes asked for: the `modes` lowest.
struct ModalRequest {
  int modes = 0;
  MassMatrix mass_matrix = MassMatrix::consistent;
  Origin origin;
};

// Linear buckling asked for ("buckling"): the `modes` lowest critical load
// factors of each load case or combination named in `sets`.
struct BucklingRequest {
  std::vector<std::string> sets;
  int modes = 1;
  Origin origin;
};

// Something legal but suspicious, found while reading or analysing: a short
// stable code ("unknown_units"), the message (what was found, where, what
// to check) and the names of the items concerned.
struct Warning {
  std::string code;
  std::string message;
  std::vector<std::string> items;
};

struct Model {
  std::string source_file;
  std::string title;
  Units units;
  std::string material;           // the material of sections that name none, if any
  std::optional<double> gravity;  // acceleration of self-weight, length/s^2; default 9.81 m/s^2
  std::vector<Warning> warnings;  // found while reading
  FrameKind frame = FrameKind::space;
  std::vector<Section> sections;
  std::vector<Member> members;
  std::vector<Support> supports;
  std::vector<Spring> springs;
  std::vector<LoadCase> load_cases;
  std::vector<Combination> combinations;
  std::vector<Envelope> envelopes;
  std::string dxf_file;  // the drawing the members came from, if any
  // The drawing's length unit ("dxf_units": mm, cm, m, in, ft), over the
  // unit its header states ($INSUNITS); none: the header's, and with no unit
  // stated there, the model's own.
  std::optional<std::string> dxf_units;
  // Members that cross, or end on a span, are to be cut there and connected
  // ("connect_crossings"): read_model then applies connect_crossings; a
  // model built in code calls it itself (analyse cuts nothing).
  bool connect_crossings = false;
  std::vector<DrawnMember> drawn_members;  // the members connect_crossings cut
  // Dynamics: masses beside the sections' density, masses from load cases,
  // the natural modes and the response spectrum asked for (none: the
  // analysis is static only).
  std::vector<PointMass> masses;
  std::vector<MassFromLoads> mass_from_loads;
  std::optional<ModalRequest> modal;
  std::optional<SpectrumRequest> spectrum;
  // Stability: the linear buckling asked for (none: no buckling analysis).
  std::optional<BucklingRequest> buckling;
};

}  // namespace zervola::frame

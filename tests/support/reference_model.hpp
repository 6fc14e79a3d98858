#pragma once

// Reader for the reference models in tests/data/reference-models: each model
// as the arrays the library takes, with its expected results and tolerances.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zervola::test {

// Orientation point of an element without one.
inline constexpr double k_reference_no_orientation = 12345678.0;

struct NodeValues {
  std::int32_t node = 0;
  std::array<double, 6> values{};  // ux, uy, uz, theta_x, theta_y, theta_z (or forces, moments)
};

struct ElementEndForces {
  std::int32_t element = 0;
  std::array<double, 12> f{};  // local axes, the library's sign convention
};

struct AxialForce {
  std::int32_t element = 0;
  double N = 0.0;  // compression positive
};

struct SectionStresses {
  std::int32_t element = 0;
  double stress_max = 0.0;
  double stress_min = 0.0;
};

struct ExpectedResults {
  std::vector<NodeValues> displacements;
  std::vector<ElementEndForces> end_forces;       // empty for pin-ended truss models
  std::vector<AxialForce> axial_forces;           // truss models only
  std::vector<NodeValues> reactions;              // nodes with a support or spring
  std::vector<SectionStresses> section_stresses;  // may be empty
  double temperature_change = 0.0;                // of section_stresses
};

struct Tolerance {
  double relative = 0.0;
  // Absolute bounds by kind: "translation", "rotation", "end_force",
  // "end_moment", "reaction_force", "reaction_moment", "axial_force".
  std::map<std::string, double> absolute;

  // The bound of a kind; throws std::out_of_range if the model has none.
  [[nodiscard]] double bound(const std::string& kind) const { return absolute.at(kind); }
  [[nodiscard]] bool has(const std::string& kind) const { return absolute.count(kind) != 0; }
};

// One model, in the library's arrays (1-based numbering inside the values,
// C arrays outside).
struct ReferenceModel {
  std::string name;
  std::string description;
  std::int32_t space_frame = 1;
  std::int32_t element_frame = 0;
  std::int32_t n_nodes = 0;
  std::int32_t n_elements = 0;
  std::int32_t n_sections = 0;
  std::int32_t n_equations = 0;  // 6 n_nodes
  std::int32_t n_records = -1;   // number of the last record (count - 1)

  std::vector<double> node_x, node_y, node_z;        // n_nodes
  std::vector<std::int32_t> element_nodes;           // (2, n_elements)
  std::vector<double> orient_x, orient_y, orient_z;  // n_elements, marker for none
  std::vector<std::int32_t> section_codes;           // n_elements
  std::vector<std::int32_t> end_codes;               // n_elements
  std::vector<double> section_table;                 // (10, n_sections)
  std::vector<double> node_records;                  // (8, n_records + 1)
  std::vector<double> load_vector;                   // n_equations, as given (zeros)

  ExpectedResults expected;
  Tolerance tolerance;
};

// Directory of the copied models.
[[nodiscard]] std::string reference_model_directory();

// Paths of every *.json model in the directory, sorted by name.
[[nodiscard]] std::vector<std::string> reference_model_paths();

// Reads one model; throws std::runtime_error (or a JSON error) on a file
// that does not have the expected form.
[[nodiscard]] ReferenceModel read_reference_model(const std::string& path);

}  // namespace zervola::test

#include "support/reference_model.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace zervola::test {

namespace {

using nlohmann::json;

constexpr std::size_t k_section_rows = 10;
constexpr std::size_t k_record_fields = 8;

template <std::size_t N>
std::array<double, N> read_array(const json& j) {
  if (j.size() != N) throw std::runtime_error("reference model: array of wrong length");
  std::array<double, N> a{};
  for (std::size_t k = 0; k < N; ++k) a[k] = j.at(k).get<double>();
  return a;
}

std::vector<NodeValues> read_node_values(const json& list, const char* key) {
  std::vector<NodeValues> out;
  for (const json& item : list)
    out.push_back({item.at("node").get<std::int32_t>(), read_array<6>(item.at(key))});
  return out;
}

void read_expected(const json& e, ExpectedResults& x) {
  x.displacements = read_node_values(e.at("displacements"), "u");
  if (e.contains("reactions")) x.reactions = read_node_values(e.at("reactions"), "r");
  if (e.contains("end_forces") && !e.at("end_forces").is_null())
    for (const json& item : e.at("end_forces"))
      x.end_forces.push_back(
          {item.at("element").get<std::int32_t>(), read_array<12>(item.at("f"))});
  if (e.contains("axial_forces"))
    for (const json& item : e.at("axial_forces"))
      x.axial_forces.push_back(
          {item.at("element").get<std::int32_t>(), item.at("N").get<double>()});
  if (e.contains("derived_section_stresses")) {
    const json& s = e.at("derived_section_stresses");
    x.temperature_change = s.value("temperature_change", 0.0);
    for (const json& item : s.at("values"))
      x.section_stresses.push_back({item.at("element").get<std::int32_t>(),
                                    item.at("stress_max").get<double>(),
                                    item.at("stress_min").get<double>()});
  }
}

}  // namespace

std::string reference_model_directory() {
  return std::string(ZERVOLA_TEST_DATA_DIR) + "/reference-models";
}

std::vector<std::string> reference_model_paths() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(reference_model_directory()))
    if (entry.path().extension() == ".json") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

ReferenceModel read_reference_model(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("reference model: cannot open " + path);
  const json j = json::parse(in);

  ReferenceModel m;
  m.name = j.at("name").get<std::string>();
  m.description = j.value("description", "");
  m.space_frame = j.at("space_frame").get<std::int32_t>();
  m.element_frame = j.at("element_frame").get<std::int32_t>();

  const json& nodes = j.at("nodes");
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const json& n = nodes.at(k);
    if (n.at("id").get<std::size_t>() != k + 1)
      throw std::runtime_error("reference model: node ids not 1..n in order");
    m.node_x.push_back(n.at("x").get<double>());
    m.node_y.push_back(n.at("y").get<double>());
    m.node_z.push_back(n.at("z").get<double>());
  }
  m.n_nodes = static_cast<std::int32_t>(nodes.size());
  m.n_equations = 6 * m.n_nodes;

  const json& sections = j.at("sections");
  m.section_table.assign(k_section_rows * sections.size(), 0.0);
  for (std::size_t k = 0; k < sections.size(); ++k) {
    const json& s = sections.at(k);
    if (s.at("id").get<std::size_t>() != k + 1)
      throw std::runtime_error("reference model: section ids not 1..n in order");
    const char* rows[k_section_rows] = {
        "E", "G", "A", "It", "Iy", "Iz", nullptr, "extent_z", "extent_y", "thermal_coefficient"};
    for (std::size_t r = 0; r < k_section_rows; ++r)
      if (rows[r] != nullptr) m.section_table[k * k_section_rows + r] = s.at(rows[r]).get<double>();
  }
  m.n_sections = static_cast<std::int32_t>(sections.size());

  for (const json& e : j.at("elements")) {
    m.element_nodes.push_back(e.at("n1").get<std::int32_t>());
    m.element_nodes.push_back(e.at("n2").get<std::int32_t>());
    m.section_codes.push_back(e.at("section").get<std::int32_t>());
    m.end_codes.push_back(e.at("end_code").get<std::int32_t>());
    const json& p = e.at("orientation_point");
    const std::array<double, 3> point =
        p.is_null() ? std::array<double, 3>{k_reference_no_orientation, k_reference_no_orientation,
                                            k_reference_no_orientation}
                    : read_array<3>(p);
    m.orient_x.push_back(point[0]);
    m.orient_y.push_back(point[1]);
    m.orient_z.push_back(point[2]);
  }
  m.n_elements = static_cast<std::int32_t>(j.at("elements").size());

  const json& records = j.at("node_records");
  for (const json& r : records) {
    m.node_records.push_back(r.at("code").get<double>());
    m.node_records.push_back(r.at("R").get<double>());
    const std::array<double, 6> p = read_array<6>(r.at("p"));
    m.node_records.insert(m.node_records.end(), p.begin(), p.end());
  }
  if (m.node_records.size() != k_record_fields * records.size())
    throw std::runtime_error("reference model: bad record");
  m.n_records = static_cast<std::int32_t>(records.size()) - 1;

  // The load vector is given as all zero: every load is in a 214 record.
  const json& lv = j.at("load_vector");
  if (lv.is_array()) {
    for (const json& v : lv) m.load_vector.push_back(v.get<double>());
    if (m.load_vector.size() != static_cast<std::size_t>(m.n_equations))
      throw std::runtime_error("reference model: load vector of wrong length");
  } else {
    m.load_vector.assign(static_cast<std::size_t>(m.n_equations), 0.0);
  }

  read_expected(j.at("expected"), m.expected);

  const json& t = j.at("tolerance");
  m.tolerance.relative = t.at("relative").get<double>();
  for (const auto& [kind, value] : t.at("absolute").items())
    m.tolerance.absolute[kind] = value.get<double>();
  return m;
}

}  // namespace zervola::test

#include "member_load_test_models.hpp"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <zervola/frame.hpp>

namespace zervola::frame {

namespace member_load_test_models {

std::string section_json(double density = 7.85) {
  return fmt::format(R"({{"name": "S", "E": {}, "G": {}, "A": {}, "It": {}, "Iy": {}, "Iz": {},
                       "extent_z": {}, "extent_y": {}, "thermal_coefficient": {},
                       "density": {}}})",
                     k_E, k_G, k_A, k_It, k_Iy, k_Iz, k_extent_z, k_extent_y, k_alpha, density);
}

}  // namespace member_load_test_models

std::string beam_model(double length, int n_members, const std::string& supports,
                       const std::string& member_loads, const std::string& release) {
  nlohmann::json members = nlohmann::json::array();
  for (int k = 0; k < n_members; ++k)
    members.push_back({{"from", {length * k / n_members, 0.0, 0.0}},
                       {"to", {length * (k + 1) / n_members, 0.0, 0.0}},
                       {"section", "S"},
                       {"release", release}});
  nlohmann::json placed = nlohmann::json::array();
  const nlohmann::json given = nlohmann::json::parse(supports);
  for (std::size_t k = 0; k < given.size(); ++k) {
    if (given[k].is_null()) continue;
    nlohmann::json s = given[k];
    s["at"] = {length * static_cast<double>(k) / n_members, 0.0, 0.0};
    placed.push_back(s);
  }
  return fmt::format(R"({{"units": {{"force": "kN", "length": "m"}}, "frame": "space",
                         "sections": [{}], "members": {}, "supports": {},
                         "load_cases": [{{"name": "LC", "member_loads": {}}}]}})",
                     member_load_test_models::section_json(), members.dump(), placed.dump(), member_loads);
}

std::string cantilever_model(const Point3& tip, double rho, double g) {
  return fmt::format(R"({{"units": {{"force": "kN", "length": "m"}}, "frame": "space",
                         "sections": [{}],
                         "members": [{{"from": [0, 0, 0], "to": [{}, {}, {}], "section": "S"}}],
                         "supports": [{{"at": [0, 0, 0], "type": "fixed"}}],
                         "load_cases": [{{"name": "self", "gravity": [0, 0, {}]}}]}})",
                     member_load_test_models::section_json(rho), tip.x, tip.y, tip.z,
                     -g);
}

AnalysisResult analyse_text(const std::string& text) {
  const Model model = parse_json_model(text, "test.json");
  validate_model(model);
  return analyse(model);
}

void record_closed_form(const std::string& quantity, double expected, double obtained) {
  fmt::print("closed form | {} | {:.10g} | {:.10g}\n", quantity, expected, obtained);
}

}  // namespace zervola::frame

// Orientation points through the numberings: the skyline ordering may walk a
// member from its end to its start, and its local z must still point
// towards its orientation point, with the same end forces whichever
// numbering the solver used.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <cmath>
#include <sstream>
#include <string>

namespace zervola::frame::test {
namespace orientation_test {

double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A two-bay, two-storey space frame whose columns are drawn downwards and
// whose beams are drawn in both directions, every one with an orientation
// point on a different side, loaded so that every member bends both ways.
Model oriented_frame() {
  std::ostringstream members;
  int k = 0;
  const auto add = [&](const std::string& from, const std::string& to, const std::string& towards) {
    if (k > 0) members << ",\n";
    ++k;
    members << "{\"name\": \"M" << k << "\", \"from\": " << from << ", \"to\": " << to
            << ", \"section\": \"S\", \"orientation_point\": " << towards << "}";
  };
  const auto point = [](double x, double y, double z) {
    std::ostringstream p;
    p << "[" << x << ", " << y << ", " << z << "]";
    return p.str();
  };
  for (int bay = 0; bay <= 2; ++bay) {
    const double x = 4.0 * bay;
    add(point(x, 0, 3), point(x, 0, 0), point(x, 5, 1.5));
    add(point(x, 0, 6), point(x, 0, 3), point(x + 5, 0, 4.5));
  }
  for (int storey = 1; storey <= 2; ++storey) {
    const double z = 3.0 * storey;
    add(point(4, 0, z), point(0, 0, z), point(2, -3, z + 2));
    add(point(4, 0, z), point(8, 0, z), point(6, 4, z - 1));
  }
  const std::string text = R"({
    "units": {"force": "kN", "length": "m"}, "frame": "space",
    "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 2e-6, "Iy": 3e-5,
                  "Iz": 1e-5, "extent_z": 0.3, "extent_y": 0.15}],
    "members": [)" + members.str() + R"(],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [4, 0, 0], "type": "fixed"},
                 {"at": [8, 0, 0], "type": "fixed"}],
    "load_cases": [{"name": "L", "loads": [{"at": [4, 0, 6], "force": [3, 5, -7], "moment": [1, -2, 3]},
                                           {"at": [0, 0, 3], "force": [-2, 4, 1]}]}]
  })";
  Model model = parse_json_model(text, "oriented.json");
  validate_model(model);
  return model;
}

TEST(OrientationPoints, LocalZTowardsThePointWhateverTheNumbering) {
  const Model model = oriented_frame();
  const AnalysisResult band = analyse(model, {.numbering = NumberingChoice::band});
  const AnalysisResult profile = analyse(model, {.numbering = NumberingChoice::profile});
  for (const AnalysisResult* r : {&band, &profile}) {
    for (std::size_t e = 0; e < model.members.size(); ++e) {
      const Member& m = model.members[e];
      const auto& axes = r->members[e].axes;
      const Vector3 towards = {m.orientation_point->x - m.from.x, m.orientation_point->y - m.from.y,
                               m.orientation_point->z - m.from.z};
      const Vector3 run = {m.to.x - m.from.x, m.to.y - m.from.y, m.to.z - m.from.z};
      // Local x runs from "from" to "to"; local z towards the point.
      EXPECT_NEAR(dot(axes[0], run), r->members[e].length, 1e-12) << m.name;
      EXPECT_GT(dot(axes[2], towards) - dot(axes[0], towards) * dot(axes[2], axes[0]), 0.1)
          << m.name << " with the " << (r == &band ? "band" : "profile") << " numbering";
    }
  }
  for (std::size_t e = 0; e < model.members.size(); ++e)
    for (std::size_t k = 0; k < 12; ++k) {
      const double a = band.cases[0].end_forces[e][k], b = profile.cases[0].end_forces[e][k];
      EXPECT_NEAR(a, b, 1e-9 * (1.0 + std::abs(a))) << model.members[e].name << " component " << k;
    }
}

}  // namespace orientation_test
}  // namespace zervola::frame::test

// The program's parts on their own: reading the model format, turning
// restraints into node records, reading DXF drawings, writing files whole.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include <zervola/frame.hpp>
#include <zervola/frame/library_arrays.hpp>
#include <zervola/frame/placement.hpp>
#include "run_program.hpp"

namespace zervola::frame {
namespace model_reading_test {

const char* k_minimal = R"(// a comment before the object
{
  "units": {"force": "N", "length": "mm"},  /* a block comment */
  "frame": "space",
  "sections": [{"name": "S", "E": 1, "G": 1, "A": 1, "It": 1, "Iy": 1, "Iz": 1,
                "extent_z": 1, "extent_y": 1}],
  "members": [{"from": [0, 0, 0], "to": [1, 0, 0], "section": "S", "release": "hinge_end"}],
  "springs": [{"at": [1, 0, 0], "kx": 4, "krz": 9,
               "translational": {"stiffness": 25, "direction": [0, 3, 4]}}],
  "load_cases": [{"loads": [{"at": [1, 0, 0], "moment": [0, 0, 2]}]}]
})";

TEST(ModelReading, ReadsCommentsDefaultsAndSprings) {
  const Model m = parse_json_model(k_minimal, "m.json");
  EXPECT_EQ(m.units.force, "N");
  ASSERT_EQ(m.members.size(), 1u);
  EXPECT_EQ(m.members[0].name, "M1");
  EXPECT_EQ(m.members[0].release, Release::hinge_end);
  EXPECT_FALSE(m.members[0].orientation_point.has_value());
  EXPECT_EQ(m.sections[0].thermal_coefficient, 0.0);
  ASSERT_EQ(m.springs.size(), 1u);
  const auto& terms = m.springs[0].terms;
  ASSERT_EQ(terms.size(), 3u);  // kx, krz, and the inclined one
  EXPECT_DOUBLE_EQ(terms[0].translation[0], 2.0);  // sqrt(4) along x
  EXPECT_DOUBLE_EQ(terms[1].rotation[2], 3.0);     // sqrt(9) about z
  EXPECT_DOUBLE_EQ(terms[2].translation[1], 3.0);  // sqrt(25) along (0, 0.6, 0.8)
  EXPECT_DOUBLE_EQ(terms[2].translation[2], 4.0);
  EXPECT_EQ(m.load_cases[0].name, "LC1");
  EXPECT_EQ(m.load_cases[0].loads[0].name, "L1");
}

TEST(ModelReading, SyntaxErrorsCarryLineAndColumn) {
  try {
    static_cast<void>(parse_json_model("{\n  \"frame\": space\n}", "bad.json"));
    FAIL() << "no error";
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("bad.json:2:", 0), 0u) << e.what();
  }
  try {
    static_cast<void>(parse_json_model("{\"frame\": \"space\",", "cut.json"));
    FAIL() << "no error";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("cut.json:1:"), std::string::npos) << e.what();
  }
}

TEST(ModelReading, SupportDisplacementOnlyOnRestrainedDirections) {
  std::string text = k_minimal;
  text.replace(text.find("\"springs\""), 0,
               R"("supports": [{"at": [0, 0, 0], "type": "pinned", "displacement": {"rz": 0.1}}],)");
  try {
    static_cast<void>(parse_json_model(text, "m.json"));
    FAIL() << "no error";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("direction rz is not restrained"), std::string::npos)
        << e.what();
  }
}

TEST(RestraintPlan, ExactBlocksWhereTheyFitStiffSpringsElsewhere) {
  // Fixed: one block of six.
  RestraintPlan p = plan_restraint({true, true, true, true, true, true}, false);
  EXPECT_TRUE(p.block_of_six);
  EXPECT_TRUE(p.blocks_of_three.empty());
  EXPECT_TRUE(p.stiff_springs.empty());
  // Pinned: the three translations.
  p = plan_restraint({true, true, true, false, false, false}, false);
  EXPECT_FALSE(p.block_of_six);
  EXPECT_EQ(p.blocks_of_three, std::vector<int>{0});
  EXPECT_TRUE(p.stiff_springs.empty());
  // Roller along z in space: no block fits, a stiff spring holds uz.
  p = plan_restraint({false, false, true, false, false, false}, false);
  EXPECT_TRUE(p.blocks_of_three.empty());
  EXPECT_EQ(p.stiff_springs, std::vector<int>{2});
  // Roller along y in a plane frame: uy with the plane's uz, rx.
  p = plan_restraint({false, true, false, false, false, false}, true);
  EXPECT_EQ(p.blocks_of_three, std::vector<int>{1});
  EXPECT_TRUE(p.stiff_springs.empty());
  // Fixed in a plane frame: ux..uz and rx..rz.
  p = plan_restraint({true, true, false, false, false, true}, true);
  EXPECT_TRUE(p.block_of_six);
  // Roller along x in a plane frame: only a stiff spring can hold ux alone.
  p = plan_restraint({true, false, false, false, false, false}, true);
  EXPECT_EQ(p.stiff_springs, std::vector<int>{0});
  // Every combination: restrained directions are covered exactly once over,
  // never a free one.
  for (int mask = 0; mask < 64; ++mask) {
    for (bool plane : {false, true}) {
      std::array<bool, 6> r{};
      for (std::size_t k = 0; k < 6; ++k) r[k] = (mask & (1 << k)) != 0;
      const RestraintPlan q = plan_restraint(r, plane);
      std::array<bool, 6> held{};
      if (q.block_of_six) held.fill(true);
      for (int b : q.blocks_of_three)
        for (int k = 0; k < 3; ++k) held[static_cast<std::size_t>(b + k)] = true;
      for (int s : q.stiff_springs) held[static_cast<std::size_t>(s)] = true;
      for (std::size_t k = 0; k < 6; ++k) {
        const bool plane_held = plane && k >= 2 && k <= 4;
        EXPECT_EQ(held[k] && !plane_held, r[k] && !plane_held) << mask << " " << k;
      }
    }
  }
}

TEST(NodeRecords, SupportsSpringsAndLoads) {
  Model m = parse_json_model(k_minimal, "m.json");
  Support s;
  s.at = {0, 0, 0};
  s.restrained = {false, false, true, false, false, false};
  s.prescribed = {0, 0, -0.5, 0, 0, 0};
  m.supports.push_back(s);
  Placement place{{1}, {2}, {{2}}, {{}}};
  const std::vector<double> t = build_node_records(m, place, 0);
  ASSERT_EQ(t.size() % k_record_size, 0u);
  // A stiff spring on uz of node 1 with its load, three spring records on
  // node 2, and the moment as a load on the rotations of node 2.
  ASSERT_EQ(t.size() / k_record_size, 6u);
  EXPECT_EQ(t[0], 213.0);
  EXPECT_EQ(t[1], 1.0);
  EXPECT_EQ(t[2 + 2], 1.0e10);
  EXPECT_EQ(t[8], 214.0);
  EXPECT_EQ(t[9], 1.0);
  EXPECT_EQ(t[10 + 2], -0.5e20);
  EXPECT_EQ(t[16], 213.0);
  EXPECT_EQ(t[17], 7.0);
  EXPECT_EQ(t[40], 214.0);
  EXPECT_EQ(t[41], 10.0);  // 6 n - 2: the rotations of node 2
  EXPECT_EQ(t[42 + 2], 2.0);
}

TEST(NodeLocator, AgreesWithASearchOfEveryNode) {
  const unsigned seed = 20261209;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> grid(0, 6);
  std::uniform_real_distribution<double> jitter(-1.5e-4, 1.5e-4);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " round " << round);
    std::vector<Point3> nodes;
    for (int k = 0; k < 200; ++k)
      nodes.push_back({grid(random) * 1e-4 + jitter(random), grid(random) * 1e-4, 1e6 + grid(random) * 3e-4});
    for (int k = 0; k < 300; ++k) {
      const Point3 p{grid(random) * 1e-4 + jitter(random), grid(random) * 1e-4 + jitter(random),
                     1e6 + grid(random) * 3e-4 + jitter(random)};
      std::int32_t expected = 0;
      double best = 0.0;
      for (std::size_t n = 0; n < nodes.size(); ++n) {
        const double dx = std::abs(nodes[n].x - p.x), dy = std::abs(nodes[n].y - p.y),
                     dz = std::abs(nodes[n].z - p.z);
        if (!(dx < 1e-4 && dy < 1e-4 && dz < 1e-4)) continue;
        const double d = dx * dx + dy * dy + dz * dz;
        if (expected == 0 || d < best) {
          expected = static_cast<std::int32_t>(n) + 1;
          best = d;
        }
      }
      EXPECT_EQ(NodeLocator(nodes).find(p), expected);
    }
  }
  const std::vector<Point3> far = {{1e300, -1e300, 0}, {1e300, -1e300, 1}};
  EXPECT_EQ(NodeLocator(far).find({1e300, -1e300, 1}), 2);
}

TEST(DxfReading, ClosedPolylineAndArcs) {
  const test::ScratchDirectory dir;
  const std::string closed = dir.write(
      "closed.dxf",
      "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\nBEAM\n90\n3\n70\n1\n10\n0\n20\n0\n10\n4\n20\n0\n"
      "10\n4\n20\n3\n0\nLINE\n8\nPOST\n10\n4\n20\n3\n30\n0\n11\n4\n21\n6\n31\n2\n0\nENDSEC\n0\nEOF\n");
  const std::vector<Member> m = read_dxf_members(closed);
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].section, "BEAM");
  EXPECT_EQ(m[2].to.x, 0.0);  // the closing segment back to the start
  EXPECT_EQ(m[2].to.y, 0.0);
  EXPECT_EQ(m[3].section, "POST");
  EXPECT_EQ(m[3].to.z, 2.0);
  EXPECT_EQ(m[3].name, "D4");
  const std::string arc = dir.write(
      "arc.dxf",
      "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\nBEAM\n90\n2\n70\n0\n10\n0\n20\n0\n42\n0.5\n10\n4\n"
      "20\n0\n0\nENDSEC\n0\nEOF\n");
  EXPECT_THROW(static_cast<void>(read_dxf_members(arc)), InputError);
  EXPECT_THROW(static_cast<void>(read_dxf_members(dir.path("none.dxf"))), InputError);
}

TEST(OutputFiles, WrittenWholeOrNotAtAll) {
  const test::ScratchDirectory dir;
  {
    OutputFiles files;
    files.add(dir.path("a.txt"), "first");
    files.add(dir.path("no/such/dir/b.txt"), "second");
    EXPECT_THROW(files.commit(), OutputError);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("a.txt")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()),
                          std::filesystem::directory_iterator()),
            0);
  std::ofstream(dir.path("a.txt")) << "old";
  OutputFiles files;
  files.add(dir.path("a.txt"), "new");
  files.commit();
  EXPECT_EQ(test::read_text(dir.path("a.txt")), "new");
}

}  // namespace model_reading_test
}  // namespace zervola::frame

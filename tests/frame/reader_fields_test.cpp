// The readers field by field: each coordinate of each DXF entity lands in its
// own place, elevations are kept, and each malformed member-load or
// combination field is refused, naming the item and the field.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <string>
#include <vector>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace reader_fields_test {

std::string entities(const std::string& body) {
  return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

void expect_point(const Point3& p, double x, double y, double z, const std::string& what) {
  EXPECT_EQ(p.x, x) << what;
  EXPECT_EQ(p.y, y) << what;
  EXPECT_EQ(p.z, z) << what;
}

TEST(DxfFields, EachCoordinateOfALineInItsPlace) {
  const std::vector<Member> m = parse_dxf_members(
      entities("0\nLINE\n8\nPOST\n10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n"), "d.dxf");
  ASSERT_EQ(m.size(), 1u);
  expect_point(m[0].from, 1, 2, 3, "start (10, 20, 30)");
  expect_point(m[0].to, 4, 5, 6, "end (11, 21, 31)");
  // Without 30 and 31 the line lies at z = 0.
  const std::vector<Member> flat =
      parse_dxf_members(entities("0\nLINE\n8\nP\n10\n1\n20\n2\n11\n4\n21\n5\n"), "d.dxf");
  expect_point(flat.at(0).from, 1, 2, 0, "start without 30");
  expect_point(flat.at(0).to, 4, 5, 0, "end without 31");
}

TEST(DxfFields, PolylinesKeepTheirElevation) {
  // A plane POLYLINE at elevation 3 (its own group 30), a 3D one whose
  // vertices carry their z, and an LWPOLYLINE at elevation 7 (group 38).
  const std::string plane =
      "0\nPOLYLINE\n8\nFLOOR\n66\n1\n10\n0\n20\n0\n30\n3\n70\n0\n"
      "0\nVERTEX\n8\nFLOOR\n10\n0\n20\n0\n0\nVERTEX\n8\nFLOOR\n10\n4\n20\n0\n0\nSEQEND\n";
  const std::string three_d =
      "0\nPOLYLINE\n8\nBRACE\n66\n1\n10\n0\n20\n0\n30\n0\n70\n8\n"
      "0\nVERTEX\n8\nBRACE\n10\n0\n20\n0\n30\n1\n70\n32\n"
      "0\nVERTEX\n8\nBRACE\n10\n4\n20\n0\n30\n5\n70\n32\n0\nSEQEND\n";
  const std::string light = "0\nLWPOLYLINE\n8\nROOF\n90\n2\n70\n0\n38\n7\n10\n0\n20\n1\n10\n4\n20\n1\n";
  const std::vector<Member> m = parse_dxf_members(entities(plane + three_d + light), "d.dxf");
  ASSERT_EQ(m.size(), 3u);
  expect_point(m[0].from, 0, 0, 3, "plane POLYLINE start");
  expect_point(m[0].to, 4, 0, 3, "plane POLYLINE end");
  expect_point(m[1].from, 0, 0, 1, "3D POLYLINE start");
  expect_point(m[1].to, 4, 0, 5, "3D POLYLINE end");
  expect_point(m[2].from, 0, 1, 7, "LWPOLYLINE start");
  expect_point(m[2].to, 4, 1, 7, "LWPOLYLINE end");
  EXPECT_EQ(m[0].section, "FLOOR");
  EXPECT_EQ(m[1].section, "BRACE");
  EXPECT_EQ(m[2].section, "ROOF");
}

TEST(DxfFields, OneSignOnly) {
  for (const std::string bad : {"+-5", "++5", "-+5", "--5", "+"}) {
    try {
      static_cast<void>(parse_dxf_members(
          entities("0\nLINE\n8\nP\n10\n" + bad + "\n20\n0\n11\n1\n21\n0\n"), "d.dxf"));
      ADD_FAILURE() << "\"" << bad << "\" was read as a number";
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find("d.dxf:10: group code 10: "), std::string::npos)
          << e.what();
    }
  }
}

// A plane portal whose beam B1 (4 m) carries the given member load, and
// the given combinations.
std::string portal_with(const std::string& member_load, const std::string& combinations = "[]") {
  return R"({
    "units": {"force": "kN", "length": "m"}, "frame": "plane",
    "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6, "Iy": 1e-4,
                  "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3}],
    "members": [{"name": "C1", "from": [0, 0, 0], "to": [0, 3, 0], "section": "S"},
                {"name": "B1", "from": [0, 3, 0], "to": [4, 3, 0], "section": "S"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}],
    "load_cases": [{"name": "G", "member_loads": [)" +
         member_load + R"(]}],
    "combinations": )" +
         combinations + "}";
}

// The message with which the model is refused (reading and checking it),
// empty when it is accepted.
std::string refusal(const std::string& text) {
  try {
    validate_model(parse_json_model(text, "m.json"));
  } catch (const InputError& e) {
    return e.what();
  }
  return {};
}

TEST(MemberLoadFields, EachMalformedFieldIsRefusedByName) {
  struct Case {
    const char* what;
    std::string load;
    const char* field;
  };
  const std::vector<Case> cases = {
      {"a value and an end value together",
       R"({"member": "B1", "type": "distributed", "value": [0, -1, 0], "end_value": [0, -2, 0]})",
       "field \"end_value\""},
      {"a value and a start value together",
       R"({"member": "B1", "type": "distributed", "value": [0, -1, 0], "start_value": [0, -2, 0]})",
       "field \"start_value\""},
      {"a load that ends where it starts",
       R"({"member": "B1", "type": "distributed", "start": 2, "end": 2, "value": [0, -1, 0]})",
       "field \"end\""},
      {"a load that ends before it starts",
       R"({"member": "B1", "type": "distributed", "start": 3, "end": 1, "value": [0, -1, 0]})",
       "field \"end\""},
      {"a position a little past the end (1e-6 of the length)",
       R"({"member": "B1", "type": "force", "position": 4.000004, "value": [0, -1, 0]})",
       "field \"position\""},
      {"a position a little before the start",
       R"({"member": "B1", "type": "force", "position": -0.000004, "value": [0, -1, 0]})",
       "field \"position\""},
      {"a relative position past 1",
       R"({"member": "B1", "type": "force", "relative": true, "position": 1.000001, "value": [0, -1, 0]})",
       "field \"position\""},
      {"an empty temperature load", R"({"member": "B1", "type": "temperature"})",
       "field \"uniform\""},
      {"a value of four numbers",
       R"({"member": "B1", "type": "force", "position": 1, "value": [0, -1, 0, 0]})",
       "field \"value\""},
  };
  for (const Case& c : cases) {
    const std::string message = refusal(portal_with(c.load));
    EXPECT_NE(message.find("m.json: "), std::string::npos) << c.what << ": " << message;
    EXPECT_NE(message.find(c.field), std::string::npos) << c.what << ": " << message;
  }
  // Rounding in the model's numbers: a position past the end by far less
  // than the tolerance is taken at the end.
  EXPECT_EQ(refusal(portal_with(
                R"({"member": "B1", "type": "force", "position": 4.000000000001, "value": [0, -1, 0]})")),
            "");
}

TEST(CombinationFields, EmptyOrMalformedFactorsAreRefused) {
  const std::string load = R"({"member": "B1", "type": "distributed", "value": [0, -1, 0]})";
  for (const auto& [combinations, field] : std::vector<std::pair<std::string, std::string>>{
           {R"([{"name": "C", "factors": {}}])", "field \"factors\""},
           {R"([{"name": "C", "factors": []}])", "field \"factors\""},
           {R"([{"name": "C", "factors": {"G": "1.35"}}])", "field \"factors\""},
           {R"([{"name": "C", "factors": {"Q": 1.5}}])", "field \"factors\""},
           {R"([{"name": "G", "factors": {"G": 1.5}}])", "field \"name\""}}) {
    const std::string message = refusal(portal_with(load, combinations));
    EXPECT_NE(message.find(field), std::string::npos) << combinations << ": " << message;
  }
  EXPECT_EQ(refusal(portal_with(load, R"([{"name": "C", "factors": {"G": 1.35}}])")), "");
}

// A space frame drawn in DXF (a LINE column with its z, a plane POLYLINE of
// two beams at elevation 3, a 3D POLYLINE brace) and the same frame with its
// members written out in JSON, in the drawing's order and under its names:
// the two routes give the same numbers, to the bit.
TEST(DxfRoute, EqualsTheJsonRouteWithElevationsAndPolylines) {
  const ScratchDirectory dir;
  dir.write("frame.dxf",
            entities("0\nLINE\n8\nCOL\n10\n0\n20\n0\n30\n0\n11\n0\n21\n0\n31\n3\n"
                     "0\nLINE\n8\nCOL\n10\n5\n20\n0\n30\n0\n11\n5\n21\n0\n31\n3\n"
                     "0\nLINE\n8\nCOL\n10\n5\n20\n4\n30\n0\n11\n5\n21\n4\n31\n3\n"
                     "0\nPOLYLINE\n8\nBEAM\n66\n1\n10\n0\n20\n0\n30\n3\n70\n0\n"
                     "0\nVERTEX\n8\nBEAM\n10\n0\n20\n0\n0\nVERTEX\n8\nBEAM\n10\n5\n20\n0\n"
                     "0\nVERTEX\n8\nBEAM\n10\n5\n20\n4\n0\nSEQEND\n"
                     "0\nPOLYLINE\n8\nBRACE\n66\n1\n10\n0\n20\n0\n30\n0\n70\n8\n"
                     "0\nVERTEX\n8\nBRACE\n10\n0\n20\n0\n30\n0\n70\n32\n"
                     "0\nVERTEX\n8\nBRACE\n10\n5\n20\n4\n30\n3\n70\n32\n0\nSEQEND\n"));
  const std::string rest = R"(
    "units": {"force": "kN", "length": "m"}, "frame": "space",
    "sections": [{"name": "COL", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 2e-6, "Iy": 8e-5,
                  "Iz": 3e-5, "extent_z": 0.2, "extent_y": 0.1},
                 {"name": "BEAM", "E": 2.1e8, "G": 8.1e7, "A": 0.008, "It": 1e-6, "Iy": 6e-5,
                  "Iz": 1e-5, "extent_z": 0.15, "extent_y": 0.08},
                 {"name": "BRACE", "E": 2.1e8, "G": 8.1e7, "A": 0.002, "It": 1e-7, "Iy": 1e-6,
                  "Iz": 1e-6, "extent_z": 0.05, "extent_y": 0.05}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [5, 0, 0], "type": "fixed"},
                 {"at": [5, 4, 0], "type": "pinned"}],
    "load_cases": [{"name": "L", "loads": [{"at": [5, 4, 3], "force": [2, -3, -10]}],
                    "member_loads": [{"member": "D4", "type": "distributed", "value": [0, 0, -4]},
                                     {"member": "D6", "type": "force", "position": 1,
                                      "value": [0, 0, -5]}]}])";
  const std::string drawn = dir.write("drawn.json", "{\"dxf\": \"frame.dxf\"," + rest + "}");
  const std::string written = dir.write("written.json", R"({"members": [
    {"name": "D1", "from": [0, 0, 0], "to": [0, 0, 3], "section": "COL"},
    {"name": "D2", "from": [5, 0, 0], "to": [5, 0, 3], "section": "COL"},
    {"name": "D3", "from": [5, 4, 0], "to": [5, 4, 3], "section": "COL"},
    {"name": "D4", "from": [0, 0, 3], "to": [5, 0, 3], "section": "BEAM"},
    {"name": "D5", "from": [5, 0, 3], "to": [5, 4, 3], "section": "BEAM"},
    {"name": "D6", "from": [0, 0, 0], "to": [5, 4, 3], "section": "BRACE"}],)" + rest + "}");
  const Model a = read_model(drawn), b = read_model(written);
  ASSERT_EQ(a.members.size(), 6u);
  const AnalysisResult ra = analyse(a), rb = analyse(b);
  ASSERT_EQ(ra.nodes.size(), rb.nodes.size());
  for (std::size_t n = 0; n < ra.nodes.size(); ++n)
    EXPECT_EQ(ra.cases[0].displacements[n], rb.cases[0].displacements[n]) << "node " << n + 1;
  for (std::size_t e = 0; e < a.members.size(); ++e) {
    EXPECT_EQ(a.members[e].name, b.members[e].name);
    EXPECT_EQ(ra.cases[0].end_forces[e], rb.cases[0].end_forces[e]) << a.members[e].name;
  }
  // The drawing's elevations reach the analysis: the beams carry the load at z = 3.
  EXPECT_EQ(ra.nodes.at(1).z, 3.0);
}

}  // namespace reader_fields_test
}  // namespace zervola::frame::test

// The readers against damaged text: every prefix of a good file, numbers at
// and past the double range, deep nesting, and the malformed values of a DXF
// drawing. Each is either read exactly or refused with its place.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <zervola/frame.hpp>
#include "run_program.hpp"

namespace zervola::frame {
namespace reader_robustness_test {

// A small plane portal with a comment, as a user writes it.
const std::string k_portal_json = R"({
  // a portal frame
  "units": {"force": "kN", "length": "m"},
  "frame": "plane",
  "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6,
                "Iy": 1e-4, "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3}],
  "members": [
    {"name": "C1", "from": [0, 0, 0], "to": [0, 3, 0], "section": "S"},
    {"name": "B1", "from": [0, 3, 0], "to": [4, 3, 0], "section": "S"} /* beam */
  ],
  "supports": [{"name": "left", "at": [0, 0, 0], "type": "fixed"}],
  "load_cases": [{"name": "wind", "loads": [{"at": [0, 3, 0], "force": [10, 0, 0]}]}]
}
)";

// A LINE and a closed LWPOLYLINE, with a header section and a comment.
const std::string k_small_dxf =
    "999\nwritten by hand\n0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nPOST\n10\n4\n20\n3\n30\n0\n11\n4\n21\n6\n31\n2\n"
    "0\nLWPOLYLINE\n8\nBEAM\n90\n3\n70\n1\n10\n0\n20\n0\n10\n4\n20\n0\n10\n4\n20\n3\n"
    "0\nENDSEC\n0\nEOF\n";

// The message with which reading text is refused; empty when it is read.
template <class Read>
std::string refusal(const Read& read) {
  try {
    read();
  } catch (const InputError& e) {
    return e.what();
  }
  return {};
}

std::string refusal_of_json(const std::string& text) {
  return refusal([&] { static_cast<void>(parse_json_model(text, "m.json")); });
}

std::string refusal_of_dxf(const std::string& text) {
  return refusal([&] { static_cast<void>(parse_dxf_members(text, "d.dxf")); });
}

// "m.json:L:C: " at the start of a message.
bool has_line_and_column(const std::string& message, const std::string& file) {
  if (!message.starts_with(file + ":")) return false;
  std::size_t k = file.size() + 1;
  const auto digits = [&]() {
    const std::size_t from = k;
    while (k < message.size() && std::isdigit(static_cast<unsigned char>(message[k])) != 0) ++k;
    return k > from;
  };
  if (!digits() || k >= message.size() || message[k] != ':') return false;
  ++k;
  return digits() && k < message.size() && message[k] == ':';
}

TEST(JsonRobustness, EveryPrefixOfAModelIsRefusedWithItsPlace) {
  ASSERT_TRUE(refusal_of_json(k_portal_json).empty());
  const std::size_t closing = k_portal_json.rfind('}');
  for (std::size_t n = 0; n < k_portal_json.size(); ++n) {
    const std::string message = refusal_of_json(k_portal_json.substr(0, n));
    if (n > closing) {
      EXPECT_TRUE(message.empty()) << "prefix of " << n << " bytes: " << message;
    } else {
      EXPECT_TRUE(has_line_and_column(message, "m.json"))
          << "prefix of " << n << " bytes: " << message;
    }
  }
}

std::string with_modulus(const std::string& value) {
  std::string text = k_portal_json;
  const std::string e = "\"E\": 2.1e8";
  text.replace(text.find(e), e.size(), "\"E\": " + value);
  return text;
}

TEST(JsonRobustness, NumbersAtTheEdgeOfTheDoubleRangeAreReadExactly) {
  const Model largest = parse_json_model(with_modulus("1.7976931348623157e308"), "m.json");
  EXPECT_EQ(largest.sections[0].elastic_modulus, std::numeric_limits<double>::max());
  const Model negative = parse_json_model(with_modulus("-1.7976931348623157e308"), "m.json");
  EXPECT_EQ(negative.sections[0].elastic_modulus, -std::numeric_limits<double>::max());
  const Model smallest = parse_json_model(with_modulus("2.2250738585072014e-308"), "m.json");
  EXPECT_EQ(smallest.sections[0].elastic_modulus, std::numeric_limits<double>::min());
  // Zero however written is zero, not an underflow.
  EXPECT_EQ(parse_json_model(with_modulus("0.0e-999"), "m.json").sections[0].elastic_modulus, 0.0);
}

TEST(JsonRobustness, NumbersBelowTheDoubleRangeAreRefusedWithPlaceAndValue) {
  // A double holds them only as 0 or without full precision (subnormal):
  // read silently, 1e-400 would be a modulus of 0.
  for (const std::string value : {"1e-400", "-1e-400", "4.9406564584124654e-324", "1e-310",
                                  "0.000001e-303"}) {
    const std::string message = refusal_of_json(with_modulus(value));
    const std::size_t column = with_modulus(value).find(value) - with_modulus(value).rfind('\n', with_modulus(value).find(value));
    EXPECT_NE(message.find("m.json:5:" + std::to_string(column) + ":"), std::string::npos)
        << message;
    EXPECT_NE(message.find("the number " + value + " is too small for a double"), std::string::npos)
        << message;
  }
}

TEST(JsonRobustness, NumbersPastTheDoubleRangeAreRefusedWithPlaceAndValue) {
  for (const std::string value : {"1e309", "-1e309", "1.7976931348623159e308", "1e400",
                                  "123456789e999999999"}) {
    const std::string message = refusal_of_json(with_modulus(value));
    // Line 5, at the column where the number starts.
    const std::size_t column = with_modulus(value).find(value) - with_modulus(value).rfind('\n', with_modulus(value).find(value));
    EXPECT_NE(message.find("m.json:5:" + std::to_string(column) + ":"), std::string::npos)
        << message;
    EXPECT_NE(message.find(value), std::string::npos) << message;
    EXPECT_NE(message.find("beyond the range of a double"), std::string::npos) << message;
  }
}

TEST(JsonRobustness, DeepNestingIsRefusedWithoutRecursion) {
  constexpr std::size_t k_depth = 200000;
  const std::string deep = std::string(k_depth, '[') + std::string(k_depth, ']');
  EXPECT_NE(refusal_of_json(deep).find("expected an object"), std::string::npos);
  std::string in_field = k_portal_json;
  in_field.replace(in_field.find("\"plane\""), 7, deep);
  EXPECT_NE(refusal_of_json(in_field).find("field \"frame\""), std::string::npos);
  // Unbalanced: the parser reaches the end with every level open.
  EXPECT_TRUE(has_line_and_column(refusal_of_json(std::string(k_depth, '{')), "m.json"));
  EXPECT_TRUE(has_line_and_column(refusal_of_json(std::string(k_depth, '[')), "m.json"));
}

TEST(JsonRobustness, AnOpenCommentIsPlacedAtItsStart) {
  std::string text = k_portal_json;
  text.replace(text.find("/* beam */"), 10, "/* beam");
  const std::string message = refusal_of_json(text);
  EXPECT_NE(message.find("m.json:9:72: JSON syntax error"), std::string::npos) << message;
  EXPECT_NE(message.find("missing closing '*/'"), std::string::npos) << message;
  // Comment markers inside a string are text.
  std::string quoted = k_portal_json;
  quoted.replace(quoted.find("\"wind\""), 6, "\"w/*ind\"");
  EXPECT_EQ(parse_json_model(quoted, "m.json").load_cases[0].name, "w/*ind");
}

TEST(JsonRobustness, AbsurdSectionValuesAreRefusedByTheModelCheck) {
  for (const std::string value : {"1e308", "2.3e-308", "1e-300"}) {
    const Model m = parse_json_model(with_modulus(value), "m.json");
    try {
      validate_model(m);
      ADD_FAILURE() << "E = " << value << " was accepted";
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find("member \"C1\" (members[0]): field \"section\""),
                std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find("absurd"), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(validate_model(parse_json_model(with_modulus("2.1e11"), "m.json")));
}

TEST(DxfRobustness, EveryPrefixOfADrawingIsRefusedWithItsLine) {
  const std::vector<Member> whole = parse_dxf_members(k_small_dxf, "d.dxf");
  ASSERT_EQ(whole.size(), 4u);
  // Only the prefixes that hold all of "EOF" are the whole drawing.
  const std::size_t complete = k_small_dxf.rfind("EOF") + 3;
  for (std::size_t n = 0; n < k_small_dxf.size(); ++n) {
    const std::string message = refusal_of_dxf(k_small_dxf.substr(0, n));
    if (n >= complete) {
      EXPECT_TRUE(message.empty()) << n << ": " << message;
      continue;
    }
    ASSERT_FALSE(message.empty()) << "prefix of " << n << " bytes was accepted";
    const std::size_t colon = message.find(':', 6);
    ASSERT_TRUE(message.starts_with("d.dxf:")) << message;
    const std::string line = message.substr(6, colon - 6);
    EXPECT_FALSE(line.empty()) << message;
    EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << message;
  }
}

std::string line_with_x(const std::string& x) {
  return "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nS\n10\n" + x +
         "\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n0\nENDSEC\n0\nEOF\n";
}

TEST(DxfRobustness, OnlyWholeFiniteNumbersAreCoordinates) {
  for (const std::string bad : {"hello", "nan", "NaN", "inf", "-inf", "infinity", "", "3.5abc",
                                "1.5.2", "0x10", "--1", "1e400", "-1e400", "1,5"}) {
    const std::string message = refusal_of_dxf(line_with_x(bad));
    EXPECT_TRUE(message.starts_with("d.dxf:10: group code 10: ")) << "\"" << bad << "\": " << message;
  }
  for (const auto& [good, value] : std::vector<std::pair<std::string, double>>{
           {"2.5", 2.5}, {"  2.5  ", 2.5}, {"+2.5", 2.5}, {"-.5", -0.5}, {"1E3", 1000.0},
           {"2.5\r", 2.5}, {"1.7976931348623157e308", std::numeric_limits<double>::max()}}) {
    const std::vector<Member> m = parse_dxf_members(line_with_x(good), "d.dxf");
    EXPECT_EQ(m.at(0).from.x, value) << good;
  }
  // Integers are whole integers.
  const std::string flags =
      "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\nS\n70\n1.5\n10\n0\n20\n0\n10\n1\n20\n0\n"
      "0\nENDSEC\n0\nEOF\n";
  EXPECT_TRUE(refusal_of_dxf(flags).starts_with("d.dxf:10: group code 70: ")) << refusal_of_dxf(flags);
  EXPECT_NE(refusal_of_dxf("0\nSECTION\nx\nENTITIES\n").find("d.dxf:3: \"x\" is not a group code"),
            std::string::npos);
}

TEST(DxfRobustness, IncompleteOrMisplacedEntitiesAreRefused) {
  const auto entities = [](const std::string& body) {
    return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
  };
  const auto refused_at = [&](const std::string& body, const std::string& place) {
    const std::string message = refusal_of_dxf(entities(body));
    EXPECT_TRUE(message.starts_with(place)) << message;
  };
  refused_at("0\nLINE\n8\nS\n10\n0\n20\n0\n11\n1\n", "d.dxf:5: group code 0: LINE lacks group code 21");
  refused_at("0\nLINE\n10\n0\n20\n0\n11\n1\n21\n0\n10\n2\n", "d.dxf:15: group code 10: LINE repeats");
  refused_at("0\nPOLYLINE\n8\nS\n70\n0\n0\nVERTEX\n10\n0\n20\n0\n0\nVERTEX\n10\n1\n20\n0\n",
             "d.dxf:23: group code 0: polyline 1 (line 5) is not closed by SEQEND");
  refused_at("0\nVERTEX\n10\n0\n20\n0\n", "d.dxf:5: group code 0: a VERTEX outside a POLYLINE");
  refused_at("0\nSEQEND\n", "d.dxf:5: group code 0: a SEQEND outside a POLYLINE");
  refused_at("0\nLWPOLYLINE\n90\n3\n10\n0\n20\n0\n10\n1\n20\n0\n",
             "d.dxf:7: group code 90: LWPOLYLINE announces 3 vertices and holds 2");
  refused_at("0\nLWPOLYLINE\n10\n0\n20\n0\n10\n1\n", "d.dxf:5: group code 0: LWPOLYLINE ends");
  refused_at("0\nLWPOLYLINE\n10\n0\n20\n0\n10\n1\n20\n0\n230\n-1\n",
             "d.dxf:5: group code 0: LWPOLYLINE has the extrusion direction [0, 0, -1]");
  refused_at("0\nPOLYLINE\n70\n64\n0\nSEQEND\n", "d.dxf:7: group code 70: POLYLINE is a mesh");
  // A block reference is no member: counted with what the drawing holds besides.
  const DxfDrawing inserted = parse_dxf_drawing(
      entities("0\nLINE\n8\nS\n10\n0\n20\n0\n11\n1\n21\n0\n0\nINSERT\n8\nTITLE\n2\nFRAME\n10\n0\n20\n0\n"),
      "d.dxf");
  ASSERT_EQ(inserted.ignored.size(), 1u);
  EXPECT_EQ(inserted.ignored[0].type, "INSERT");
  EXPECT_EQ(inserted.ignored[0].layer, "TITLE");
  // Structure: sections must close, and the drawing must end with EOF.
  EXPECT_TRUE(refusal_of_dxf("0\nSECTION\n2\nENTITIES\n0\nSECTION\n2\nBLOCKS\n0\nENDSEC\n0\nEOF\n")
                  .starts_with("d.dxf:5: group code 0: the section before this record is not "
                               "terminated"));
  EXPECT_NE(refusal_of_dxf(line_with_x("0").substr(0, line_with_x("0").find("0\nEOF")))
                .find("without its \"0 EOF\" record"),
            std::string::npos);
  EXPECT_TRUE(refusal_of_dxf("AutoCAD Binary DXF\r\n\x1a").starts_with("d.dxf:1: a binary DXF"));
  // A polyline in a block definition is not part of the drawing.
  const std::vector<Member> m = parse_dxf_members(
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nLINE\n10\n0\n20\n0\n11\n9\n21\n9\n0\nENDBLK\n"
      "0\nENDSEC\n" + line_with_x("0"),
      "d.dxf");
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].to.x, 1.0);
}

TEST(DxfRobustness, MembersNameTheirLineInTheDrawing) {
  const std::vector<Member> m = parse_dxf_members(k_small_dxf, "d.dxf");
  EXPECT_EQ(m[0].origin.place, "LINE 1 at line 17 (layer \"POST\"), member D1");
  EXPECT_EQ(m[3].origin.place, "polyline 2 at line 33 segment 3 (layer \"BEAM\"), member D4");
  EXPECT_EQ(m[3].from.y, 3.0);
  EXPECT_EQ(m[3].to.x, 0.0);
}

}  // namespace reader_robustness_test
}  // namespace zervola::frame

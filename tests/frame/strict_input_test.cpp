// Inputs that once slipped a wrong value through, each refused now with its
// place: a key given twice, bytes that are no text, numbers too small for a
// double, names with control characters, a combination that overflows, a
// drawing scale that is no number. Writers keep their formats well-formed
// even for a model built in code with such names.

#include <gtest/gtest.h>

#include <zervola/frame.hpp>

#include <string>

#include "run_program.hpp"

namespace zervola::frame::test {
namespace strict_input_test {

using nlohmann::json;

std::string fault(const std::string& name) { return std::string(ZERVOLA_TEST_DATA_DIR) + "/faults/" + name; }

TEST(StrictInput, EachReproducerIsRefusedWithItsPlace) {
  struct Case {
    const char* file;
    ExitStatus status;
    const char* message;
  };
  const Case cases[] = {
      {"duplicate-key-last-wins.json", ExitStatus::input,
       "duplicate-key-last-wins.json:1:120: the key \"E\" is given twice in one object (first at "
       "line 1, column 102)"},
      {"nul-then-garbage-accepted.json", ExitStatus::input,
       "nul-then-garbage-accepted.json:1:752: a control character (byte 0x00, NUL)"},
      {"control-chars-in-name.json", ExitStatus::input,
       "member \"B\\x1b[2J\\x1b[31mX\" (members[1]): field \"name\": \"B\\x1b[2J\\x1b[31mX\" holds a "
       "control character"},
      {"nul-in-name-invalid-svg.json", ExitStatus::input, "member \"B\\x001\" (members[1])"},
      {"combination-overflow-exit0.json", ExitStatus::analysis, "combination \"A\": the end force"},
  };
  for (const Case& c : cases) {
    const ScratchDirectory dir;
    const RunResult run = run_frame({fault(c.file), "--svg", dir.path("o.svg"), "--json", dir.path("o.json")});
    EXPECT_EQ(run.exit_status, static_cast<int>(c.status)) << c.file << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.file << ": " << run.err;
    // Nothing raw reaches the terminal, and nothing is written.
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << c.file;
    EXPECT_FALSE(std::filesystem::exists(dir.path("o.svg"))) << c.file;
    EXPECT_FALSE(std::filesystem::exists(dir.path("o.json"))) << c.file;
  }
}

std::string refusal(const std::string& text) {
  try {
    (void)parse_json_model(text, "m.json");
  } catch (const InputError& e) {
    return e.what();
  }
  return "accepted";
}

const char* k_model = R"({"units": {"force": "kN", "length": "m"}, "frame": "plane",
  "sections": [{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6, "Iy": 1e-5,
                "Iz": 1e-4, "extent_y": 0.3, "extent_z": 0.15}],
  "members": [{"name": "B", "from": [0, 0, 0], "to": [5, 0, 0], "section": "S"}],
  "supports": [{"at": [0, 0, 0], "type": "fixed"}],
  "load_cases": [{"name": "P", "loads": [{"at": [5, 0, 0], "force": [0, -10, 0]}]}]})";

TEST(StrictInput, KeysAreComparedAsDecodedAndInEveryObject) {
  std::string text = k_model;
  // The same key written with an escape, deep in a load.
  text.replace(text.find("\"force\": [0"), 0, "\"\\u0066orce\": [1, 1, 0], ");
  const std::string message = refusal(text);
  EXPECT_NE(message.find("the key \"force\" is given twice"), std::string::npos) << message;
  EXPECT_NE(message.find("m.json:6:"), std::string::npos) << message;
  // Keys of different objects, and a key spelt like a string value, are no
  // repetition; nor is text in comments.
  std::string fine = k_model;
  fine.insert(fine.find("\"members\""), "// \"units\": {} \"units\"\n/* \"frame\": \"space\" */ ");
  EXPECT_EQ(refusal(fine), "accepted");
}

TEST(StrictInput, ControlCharactersAnywhereAreRefusedButTabsAndLineEndsAreNot) {
  std::string spaced = k_model;
  for (char& c : spaced)
    if (c == ' ') c = '\t';
  EXPECT_EQ(refusal(spaced + "\r\n"), "accepted");
  for (const char byte : {'\x00', '\x01', '\x1b', '\x0b'}) {
    std::string text = k_model;
    text.insert(text.find("\"members\""), 1, byte);
    EXPECT_NE(refusal(text).find("m.json:4:"), std::string::npos) << refusal(text);
    EXPECT_NE(refusal(text).find("a control character"), std::string::npos) << static_cast<int>(byte);
  }
}

TEST(StrictInput, TheFirstKeyOfAnObjectGivenAgainIsRefused) {
  std::string text = k_model;
  // The model's first key, and the first key of an object within it.
  text.insert(text.find("\"frame\""), "\"units\": {\"force\": \"N\", \"length\": \"mm\"}, ");
  std::string message = refusal(text);
  EXPECT_NE(message.find("m.json:1:43: the key \"units\" is given twice in one object (first at line 1, "
                         "column 2)"),
            std::string::npos)
      << message;
  text = k_model;
  text.replace(text.find("\"length\": \"m\""), 0, "\"force\": \"N\", ");
  message = refusal(text);
  EXPECT_NE(message.find("the key \"force\" is given twice in one object (first at line 1, column 12)"),
            std::string::npos)
      << message;
}

TEST(StrictInput, AMessageOfSeveralLinesKeepsItsLineFeedsAndShowsEveryOtherControl) {
  const std::string text = "line one\n\tline two\r\n\x1b[2J";
  EXPECT_EQ(printable_text(text, true), "line one\n\\x09line two\\x0d\n\\x1b[2J");
  EXPECT_EQ(printable_text(text), "line one\\x0a\\x09line two\\x0d\\x0a\\x1b[2J");
  EXPECT_FALSE(has_control_character(printable_text(text)));
}

TEST(StrictInput, WritersKeepTheirFormatsForNamesBuiltInCode) {
  // A model built in code is not validated: a name holding control
  // characters must still give a well-formed drawing and table.
  Model m = parse_json_model(k_model, "m.json");
  const AnalysisResult r = analyse(m);
  m.members[0].name = std::string("B\x01\x1b", 3) + "\"x";
  const std::string svg = draw_svg(m, r, {});
  for (char c : svg) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r');
  EXPECT_NE(svg.find("B\xEF\xBF\xBD\xEF\xBF\xBD&quot;x"), std::string::npos);
  const std::string members = format_csv_tables(m, r).at("members.csv");
  EXPECT_NE(members.find(std::string("\"B\x01\x1b", 4) + "\"\"x\""), std::string::npos) << members;
  EXPECT_EQ(printable_text(m.members[0].name), "B\\x01\\x1b\"x");
}

TEST(StrictInput, TheDrawingScaleIsAPositiveFiniteNumber) {
  const std::string model = examples_dir() + "/loaded_portal.json";
  for (const char* scale : {"nan", "inf", "-2", "0", "1x"}) {
    const ScratchDirectory dir;
    const RunResult run = run_frame({model, "-q", "--svg", dir.path("o.svg"), "--scale", scale});
    EXPECT_EQ(run.exit_status, static_cast<int>(ExitStatus::usage)) << scale;
    EXPECT_NE(run.err.find("--scale"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("o.svg")));
  }
}

}  // namespace strict_input_test
}  // namespace zervola::frame::test

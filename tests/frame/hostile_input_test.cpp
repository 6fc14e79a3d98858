// The hostile inputs of tests/data/host/bad-inputs and the failures around
// the output files: each ends with a non-zero exit status, a message that says
// where, and no output file written, changed or left half-made.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <zervola/frame.hpp>
#include "run_program.hpp"
#include <zervola/frame/store_size.hpp>

namespace zervola::frame::test {
namespace hostile_input_test {

namespace fs = std::filesystem;

// GCC says so with a macro, clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool k_under_address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool k_under_address_sanitizer = true;
#else
constexpr bool k_under_address_sanitizer = false;
#endif
#else
constexpr bool k_under_address_sanitizer = false;
#endif

std::string bad_input(const std::string& name) { return host_data_dir() + "/bad-inputs/" + name; }

// No file other than those listed in `kept` is in the directory.
void expect_only(const ScratchDirectory& dir, const std::vector<std::string>& kept) {
  for (const auto& e : fs::recursive_directory_iterator(dir.root())) {
    const std::string name = e.path().filename().string();
    EXPECT_NE(std::find(kept.begin(), kept.end(), name), kept.end()) << "left behind: " << e.path();
  }
}

struct Outcome {
  int exit_status;
  std::string message;
};

// Runs a model asking for every output, and checks that none appears.
Outcome run_without_output(const std::string& model) {
  const ScratchDirectory dir;
  const RunResult r = run_frame({model, "--json", dir.path("out.json"), "--svg",
                                 dir.path("out.svg"), "--csv", dir.path("tables")});
  EXPECT_NE(r.exit_status, 0);
  EXPECT_TRUE(r.out.empty()) << r.out;
  expect_only(dir, {"tables"});
  EXPECT_FALSE(fs::exists(dir.path("tables/nodes.csv")));
  return {r.exit_status, r.err};
}

void expect_contains(const std::string& message, const std::string& part) {
  EXPECT_NE(message.find(part), std::string::npos) << message;
}

TEST(HostileInput, MutatedCommentsAreSyntaxErrorsAtTheOpenComment) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"regex-stack-overflow-1.json", "regex-stack-overflow-1.json:36:38: JSON syntax error"},
      {"regex-stack-overflow-2.json", "regex-stack-overflow-2.json:61:34: JSON syntax error"},
      {"regex-stack-overflow-3.json", "regex-stack-overflow-3.json:62:4: JSON syntax error"},
  };
  for (const auto& [file, place] : cases) {
    const Outcome o = run_without_output(bad_input(file));
    EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input));
    expect_contains(o.message, place);
    expect_contains(o.message, "missing closing '*/'");
    EXPECT_LT(o.message.size(), 400u) << "the quoted token is cut";
  }
}

TEST(HostileInput, NumberOutOfTheDoubleRangeNamesPlaceAndValue) {
  const Outcome o = run_without_output(bad_input("number-overflow-internal-error.json"));
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input));
  expect_contains(o.message, "number-overflow-internal-error.json:1:154: the number 1e400 is "
                             "beyond the range of a double");
  EXPECT_EQ(o.message.find("internal error"), std::string::npos);
}

TEST(HostileInput, NonNumericDxfCoordinateIsRefusedWithLineAndGroupCode) {
  const Outcome o = run_without_output(bad_input("non-numeric-coordinate-accepted.json"));
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input));
  expect_contains(o.message,
                  "non-numeric-coordinate-accepted.dxf:12: group code 10: \"hello\" is not a "
                  "finite number");
}

TEST(HostileInput, TruncatedDrawingIsRefusedWithLineAndGroupCode) {
  const Outcome o = run_without_output(bad_input("truncated-drawing-accepted.json"));
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input));
  expect_contains(o.message, "truncated-drawing-accepted.dxf:137: group code 0: VERTEX lacks "
                             "group code 10");
}

TEST(HostileInput, OverflowingResultsAreAFailureNamingWhere) {
  const Outcome o = run_without_output(bad_input("nonfinite-results-exit0.json"));
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::analysis));
  expect_contains(o.message, "nonfinite-results-exit0.json: load case \"floors\": ");
  expect_contains(o.message, "member \"D1\" (members[0])");
  expect_contains(o.message, "overflow");
}

// A bar fixed at both ends, heated across its depth by an enormous
// difference: its displacements stay zero and its forces finite, but its
// end moments overflow, and the message names the first of them and where.
TEST(HostileInput, AnOverflowingEndMomentIsNamedAtItsEnd) {
  const ScratchDirectory dir;
  const std::string model = dir.write("hot.json", R"({
    "units": {"force": "kN", "length": "m"}, "frame": "space",
    "sections": [{"name": "S", "E": 1e150, "G": 1e150, "A": 1, "It": 1, "Iy": 1, "Iz": 1,
                  "extent_z": 0.1, "extent_y": 0.1, "thermal_coefficient": 1e-5}],
    "members": [{"name": "B", "from": [0, 0, 0], "to": [1000, 0, 0], "section": "S"}],
    "supports": [{"at": [0, 0, 0], "type": "fixed"}, {"at": [1000, 0, 0], "type": "fixed"}],
    "load_cases": [{"name": "fire", "member_loads": [
      {"member": "B", "type": "temperature", "difference_z": 1e300}]}]
  })");
  const Outcome o = run_without_output(model);
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::analysis));
  expect_contains(o.message, "load case \"fire\": the end force My of member \"B\" (members[0]) "
                             "at its start node 1 at [0, 0, 0] is -inf");
}

// The portal of the reference data with one value replaced.
std::string portal_with(const ScratchDirectory& dir, const std::string& from, const std::string& to) {
  std::string text = read_text(host_data_dir() + "/portal2d.model.json");
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos);
  text.replace(at, from.size(), to);
  return dir.write("model.json", text);
}

TEST(HostileInput, LoadsSummingPastTheDoubleRangeAreRefused) {
  const ScratchDirectory dir;
  const std::string model = portal_with(dir, "\"load_cases\": [", "\"load_cases\": [{\"name\": "
      "\"huge\", \"loads\": [{\"at\": [0, 4000, 0], \"force\": [1e308, 0, 0]}, {\"at\": [0, 4000, 0], "
      "\"force\": [1e308, 0, 0]}]}, ");
  const Outcome o = run_without_output(model);
  EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input));
  expect_contains(o.message, "load case \"huge\", load 2 (loads[1]): field \"force\"");
  expect_contains(o.message, "forces along x exceed the range of a double");
}

TEST(HostileInput, AbsurdModulusIsRefusedAsSuchNotAsASingularSystem) {
  for (const std::string value : {"1e308", "1e-310"}) {
    const ScratchDirectory dir;
    const Outcome o = run_without_output(portal_with(dir, "\"E\": 200000.0", "\"E\": " + value));
    EXPECT_EQ(o.exit_status, static_cast<int>(ExitStatus::input)) << o.message;
    EXPECT_EQ(o.message.find("singular"), std::string::npos) << o.message;
  }
}

// Runs the program through the shell with a limit set by ulimit first.
int run_limited(const std::string& limit, const std::string& arguments, std::string& err,
                const ScratchDirectory& dir) {
  const std::string command = "ulimit " + limit + " && '" + std::string(ZERVOLA_FRAME_PROGRAM) +
                              "' " + arguments + " >/dev/null 2>'" + dir.path("err.txt") + "'";
  const int status = std::system(("sh -c \"" + command + "\"").c_str());
  err = read_text(dir.path("err.txt"));
  fs::remove(dir.path("err.txt"));
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HostileInput, FileSizeLimitIsReportedAndLeavesTheOldResult) {
  const ScratchDirectory dir;
  const std::string model = examples_dir() + "/office_frame.json";
  std::ofstream(dir.path("out.json")) << "old";
  std::string err;
  // ulimit -f counts blocks of 512 bytes (in the shell's POSIX mode).
  const int status = run_limited("-f 8", "'" + model + "' --json '" + dir.path("out.json") + "'",
                                 err, dir);
  EXPECT_EQ(status, static_cast<int>(ExitStatus::output)) << err;
  expect_contains(err, "out.json");
  expect_contains(err, "File too large");
  EXPECT_EQ(read_text(dir.path("out.json")), "old");
  expect_only(dir, {"out.json"});
}

TEST(HostileInput, OutputSetIsReplacedWholeOrNotAtAll) {
  const ScratchDirectory dir;
  const std::string model = examples_dir() + "/office_frame.json";
  std::ofstream(dir.path("out.json")) << "old";
  fs::create_directory(dir.path("drawing.svg"));
  const RunResult r = run_frame({model, "--json", dir.path("out.json"), "--svg",
                                 dir.path("drawing.svg"), "--csv", dir.path("tables")});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::output));
  expect_contains(r.err, "drawing.svg: cannot replace: it is a directory");
  EXPECT_EQ(read_text(dir.path("out.json")), "old");
  EXPECT_FALSE(fs::exists(dir.path("tables/nodes.csv")));
  expect_only(dir, {"out.json", "drawing.svg", "tables"});
}

TEST(HostileInput, EndlessModelFileIsRefusedBeforeReading) {
  const RunResult r = run_frame({"/dev/zero", "--summary"});
  EXPECT_EQ(r.exit_status, static_cast<int>(ExitStatus::input));
  expect_contains(r.err, "/dev/zero: cannot read the model file: it is not a regular file");
  const ScratchDirectory dir;
  const std::string model =
      portal_with(dir, "\"load_cases\": [", "\"dxf\": \"/dev/zero\", \"load_cases\": [");
  expect_contains(run_frame({model}).err, "/dev/zero: cannot open the DXF drawing");
}

TEST(HostileInput, StoreLargerThanTheMemoryIsAClearRefusal) {
  Model model;
  model.source_file = "huge.json";
  // 800 entries of 8 bytes with a quarter of room beside them.
  EXPECT_NO_THROW(check_store_fits(model, 800, 8000));
  try {
    check_store_fits(model, 801, 8000);
    ADD_FAILURE() << "a store of 6408 bytes and its room fitted into 8000";
  } catch (const AnalysisError& e) {
    expect_contains(e.what(), "huge.json: out of memory: the analysis needs 7.46e-06 GiB (the skyline "
                              "store of the stiffness matrix, 801 entries of 8 bytes");
    expect_contains(e.what(), "a quarter more for the factorisation");
  }
  EXPECT_GT(usable_memory_bytes(), 0u);
  EXPECT_FALSE(usable_memory().limited_by.empty());
  // The results of every load set count too: 2 sets of 10 nodes (96 bytes
  // each) and no member need 1920 bytes beside the store's 1000.
  model.load_cases.resize(2);
  EXPECT_NO_THROW(check_store_fits(model, 100, 10, MemoryBound{2920, "test"}));
  try {
    check_store_fits(model, 100, 10, MemoryBound{2919, "test"});
    ADD_FAILURE() << "2920 bytes fitted into 2919";
  } catch (const AnalysisError& e) {
    expect_contains(e.what(), "and the results of 2 load sets");
    expect_contains(e.what(), "fewer load cases and combinations would need less");
    expect_contains(e.what(), "(bounded by test)");
  }
}

TEST(HostileInput, AControlGroupsMemoryLimitIsReadWhereverItIsSet) {
  const ScratchDirectory dir;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(dir.path(name)).parent_path());
    (void)dir.write(name, text);
  };
  // cgroup v2: the limit is set on the parent of the process's group.
  write("proc-v2", "0::/app/worker\n");
  write("v2/app/memory.max", "1073741824\n");
  write("v2/app/memory.current", "73741824\n");
  write("v2/app/worker/memory.max", "max\n");
  const std::optional<MemoryBound> v2 = control_group_memory(dir.path("v2"), dir.path("proc-v2"));
  ASSERT_TRUE(v2.has_value());
  EXPECT_EQ(v2->bytes, 1000000000u);
  expect_contains(v2->limited_by, "app/memory.max");
  // cgroup v1, the memory controller beside others; the kernel's "no limit".
  write("proc-v1", "4:cpu,cpuacct:/x\n3:memory:/box\n0::/\n");
  write("v1/memory/box/memory.limit_in_bytes", "2000000\n");
  write("v1/memory/box/memory.usage_in_bytes", "500000\n");
  write("v1/memory/memory.limit_in_bytes", "9223372036854771712\n");
  const std::optional<MemoryBound> v1 = control_group_memory(dir.path("v1"), dir.path("proc-v1"));
  ASSERT_TRUE(v1.has_value());
  EXPECT_EQ(v1->bytes, 1500000u);
  expect_contains(v1->limited_by, "box/memory.limit_in_bytes");
  // Limits on the group and on its parent: the tighter of what they leave,
  // whichever of the two sets it.
  write("proc-nested", "0::/outer/inner\n");
  write("nested/outer/memory.max", "4000000\n");
  write("nested/outer/memory.current", "1000000\n");
  write("nested/outer/inner/memory.max", "2500000\n");
  write("nested/outer/inner/memory.current", "500000\n");
  const std::optional<MemoryBound> inner =
      control_group_memory(dir.path("nested"), dir.path("proc-nested"));
  ASSERT_TRUE(inner.has_value());
  EXPECT_EQ(inner->bytes, 2000000u);
  expect_contains(inner->limited_by, "inner/memory.max");
  write("nested/outer/memory.current", "3000000\n");
  const std::optional<MemoryBound> outer =
      control_group_memory(dir.path("nested"), dir.path("proc-nested"));
  ASSERT_TRUE(outer.has_value());
  EXPECT_EQ(outer->bytes, 1000000u);
  EXPECT_EQ(outer->limited_by.find("inner"), std::string::npos) << outer->limited_by;
  // No limit anywhere, or no membership file: nothing.
  write("proc-none", "0::/free\n");
  write("none/free/memory.max", "max\n");
  EXPECT_FALSE(control_group_memory(dir.path("none"), dir.path("proc-none")).has_value());
  EXPECT_FALSE(control_group_memory(dir.path("none"), dir.path("missing")).has_value());
}

// A cubic grid of n x n x n nodes, every neighbour pair joined, fixed at
// the base, pushed at the top corner.
std::string grid_model(int n) {
  std::string members;
  const auto point = [](int i, int j, int k) { return fmt::format("[{}, {}, {}]", i, j, k); };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) {
        if (i + 1 < n) members += fmt::format("{{\"from\": {}, \"to\": {}, \"section\": \"S\"}},",
                                              point(i, j, k), point(i + 1, j, k));
        if (j + 1 < n) members += fmt::format("{{\"from\": {}, \"to\": {}, \"section\": \"S\"}},",
                                              point(i, j, k), point(i, j + 1, k));
        if (k + 1 < n) members += fmt::format("{{\"from\": {}, \"to\": {}, \"section\": \"S\"}},",
                                              point(i, j, k), point(i, j, k + 1));
      }
  members.pop_back();
  return fmt::format(
      R"({{"units": {{"force": "kN", "length": "m"}}, "frame": "space",
  "sections": [{{"name": "S", "E": 2.1e8, "G": 8.1e7, "A": 0.01, "It": 1e-6, "Iy": 1e-4,
                "Iz": 1e-4, "extent_z": 0.3, "extent_y": 0.3}}],
  "members": [{}],
  "supports": [{{"at": [0, 0, 0], "type": "fixed"}}],
  "load_cases": [{{"name": "push", "loads": [{{"at": {}, "force": [1, 0, 0]}}]}}]}})",
      members, point(n - 1, n - 1, n - 1));
}

TEST(HostileInput, HugeGridUnderAMemoryLimitEndsInAnOutOfMemoryMessage) {
  if (k_under_address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  const ScratchDirectory dir;
  const std::string model = dir.write("grid.json", grid_model(16));
  std::string err;
  // 200 MB of address space; the grid's store needs 171 MB, and room beside.
  const int status = run_limited("-v 200000", "'" + model + "' --json '" + dir.path("out.json") + "'",
                                 err, dir);
  EXPECT_EQ(status, static_cast<int>(ExitStatus::analysis)) << err;
  expect_contains(err, "out of memory");
  EXPECT_FALSE(fs::exists(dir.path("out.json")));
}

}  // namespace hostile_input_test
}  // namespace zervola::frame::test

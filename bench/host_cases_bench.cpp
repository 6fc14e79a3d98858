// zervola-frame with many load cases: the whole program (reading the model,
// the analysis, the summary report) on an n x n x n building with one and
// with twenty load cases, its wall time and peak memory; then, in the
// process, the band renumbering against the profile-reducing numbering on
// the same building: profile, sum of squared column heights and the time
// of the solution (assembly, factorisation, substitution); and the skyline
// against the supernodal solver on one and two threads, with what the
// automatic choice takes. Prints the figures and their ratios; it decides
// nothing.
//
//   host_cases_bench [n ...]      (default 10 20)

#include <fmt/format.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <zervola/frame.hpp>

extern char** environ;

namespace {

using namespace zervola::frame;

constexpr double k_bay = 5.0;     // m between columns
constexpr double k_storey = 3.5;  // m between floors
constexpr int k_many_cases = 20;

// The building as a model file: columns between floors, beams along x and y
// on every floor above the ground, fixed bases; case k loads every floor
// node with a force of its own direction.
std::string building_json(int n, int cases) {
  std::string out;
  out += "{\"title\": \"building\", \"units\": {\"force\": \"kN\", \"length\": \"m\"}, \"frame\": \"space\",\n\"sections\": [{\"name\": \"S\", "
         "\"E\": 2.1e8, \"G\": 8.1e7, \"A\": 1.0e-2, \"It\": 1.0e-5, \"Iy\": 2.0e-4, \"Iz\": "
         "1.0e-4, \"extent_z\": 0.3, \"extent_y\": 0.2}],\n\"members\": [\n";
  const auto point = [](int ix, int iy, int iz) {
    return fmt::format("[{}, {}, {}]", ix * k_bay, iy * k_bay, iz * k_storey);
  };
  bool first = true;
  int count = 0;
  const auto member = [&](const std::string& a, const std::string& b) {
    out += fmt::format("{}{{\"name\": \"M{}\", \"from\": {}, \"to\": {}, \"section\": \"S\"}}",
                       first ? "" : ",\n", ++count, a, b);
    first = false;
  };
  for (int iz = 0; iz < n; ++iz)
    for (int iy = 0; iy < n; ++iy)
      for (int ix = 0; ix < n; ++ix) {
        if (iz + 1 < n) member(point(ix, iy, iz), point(ix, iy, iz + 1));
        if (iz == 0) continue;
        if (ix + 1 < n) member(point(ix, iy, iz), point(ix + 1, iy, iz));
        if (iy + 1 < n) member(point(ix, iy, iz), point(ix, iy + 1, iz));
      }
  out += "],\n\"supports\": [\n";
  for (int iy = 0; iy < n; ++iy)
    for (int ix = 0; ix < n; ++ix)
      out += fmt::format("{}{{\"at\": {}, \"type\": \"fixed\"}}", ix + iy == 0 ? "" : ",\n",
                         point(ix, iy, 0));
  out += "],\n\"load_cases\": [\n";
  for (int c = 0; c < cases; ++c) {
    const double angle = 0.3 * c;
    out += fmt::format("{}{{\"name\": \"case {}\", \"loads\": [\n", c == 0 ? "" : ",\n", c + 1);
    for (int iz = 1; iz < n; ++iz)
      for (int iy = 0; iy < n; ++iy)
        for (int ix = 0; ix < n; ++ix)
          out += fmt::format("{}{{\"at\": {}, \"force\": [{:.3f}, {:.3f}, {:.3f}]}}",
                             iz + iy + ix == 1 ? "" : ",\n", point(ix, iy, iz),
                             std::cos(angle), std::sin(angle), -10.0 - c);
    out += "]}";
  }
  out += "]}\n";
  return out;
}

struct ProcessRun {
  double seconds = 0.0;
  double peak_mib = 0.0;
  int status = -1;
};

ProcessRun run_program(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  ProcessRun r;
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return r;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  posix_spawn_file_actions_destroy(&actions);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int k = 1; k < argc; ++k) sizes.push_back(std::atoi(argv[k]));
  if (sizes.empty()) sizes = {10, 20};
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / fmt::format("zervola-cases-bench-{}", getpid());
  std::filesystem::create_directories(dir);

  fmt::print("whole program: {} --summary, wall time and peak resident memory\n",
             ZERVOLA_FRAME_PROGRAM);
  fmt::print("{:>9} {:>6} {:>10} {:>10} {:>12}\n", "building", "cases", "time (s)", "peak (MiB)",
             "vs 1 case");
  for (const int n : sizes) {
    double one_case = 0.0;
    for (const int cases : {1, k_many_cases}) {
      const std::string file = (dir / fmt::format("building{}_{}.json", n, cases)).string();
      std::ofstream(file) << building_json(n, cases);
      const ProcessRun r = run_program({ZERVOLA_FRAME_PROGRAM, file, "--summary", "--no-progress"});
      if (r.status != 0) {
        fmt::print("{}: zervola-frame failed with status {}\n", file, r.status);
        return 1;
      }
      if (cases == 1) one_case = r.seconds;
      fmt::print("{:>6}^3 {:>6} {:>10.2f} {:>10.0f} {:>11.2f}x\n", n, cases, r.seconds,
                 r.peak_mib, r.seconds / one_case);
    }
  }

  fmt::print("\nin the process: where the time goes (s)\n");
  fmt::print("{:>9} {:>6} {:>9} {:>9} {:>9} {:>9}\n", "building", "cases", "reading", "mesh",
             "solution", "recovery");
  for (const int n : sizes)
    for (const int cases : {1, k_many_cases}) {
      auto t0 = std::chrono::steady_clock::now();
      const Model model =
          read_json_model((dir / fmt::format("building{}_{}.json", n, cases)).string());
      validate_model(model);
      const double reading =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      const AnalysisResult r = analyse(model);
      fmt::print("{:>6}^3 {:>6} {:>9.3f} {:>9.3f} {:>9.3f} {:>9.3f}\n", n, cases, reading,
                 r.times.mesh, r.times.solution, r.times.recovery);
    }

  fmt::print("\nnumbering, in the process (one load case): solution = assembly + factorisation "
             "+ substitution\n");
  fmt::print("{:>9} {:>17} {:>12} {:>12} {:>14} {:>12}\n", "building", "numbering",
             "profile", "sum h^2", "solution (s)", "mesh (s)");
  for (const int n : sizes) {
    const Model model = read_json_model((dir / fmt::format("building{}_1.json", n)).string());
    validate_model(model);
    double time[2] = {0.0, 0.0}, squares[2] = {0.0, 0.0}, profile[2] = {0.0, 0.0};
    int k = 0;
    for (const NumberingChoice choice : {NumberingChoice::band, NumberingChoice::profile}) {
      const AnalysisResult r = analyse(model, {.numbering = choice});
      const NumberingSize& s = choice == NumberingChoice::band ? r.mesh.band : r.mesh.profile_reducing;
      time[k] = r.times.solution;
      squares[k] = s.squared_column_heights;
      profile[k] = s.profile_length;
      fmt::print("{:>6}^3 {:>17} {:>12} {:>12.4g} {:>14.2f} {:>12.2f}\n", n,
                 choice == NumberingChoice::band ? "band" : "profile-reducing", s.profile_length,
                 s.squared_column_heights, r.times.solution, r.times.mesh);
      ++k;
    }
    fmt::print("{:>6}^3 {:>17} {:>12.3f} {:>12.3f} {:>14.3f}\n", n, "ratio", profile[1] / profile[0],
               squares[1] / squares[0], time[1] / time[0]);
  }
  fmt::print("\nsolver, in the process: solution = assembly + factorisation + substitution (s), "
             "and what the automatic choice takes\n");
  fmt::print("{:>9} {:>6} {:>9} {:>14} {:>14} {:>11}\n", "building", "cases", "skyline",
             "supernodal 1", "supernodal 2", "automatic");
  for (const int n : sizes)
    for (const int cases : {1, k_many_cases}) {
      const Model model =
          read_json_model((dir / fmt::format("building{}_{}.json", n, cases)).string());
      validate_model(model);
      const double skyline = analyse(model, {.solver = SolverChoice::skyline}).times.solution;
      const double one = analyse(model, {.solver = SolverChoice::supernodal, .threads = 1}).times.solution;
      const double two = analyse(model, {.solver = SolverChoice::supernodal, .threads = 2}).times.solution;
      const AnalysisResult chosen = analyse(model);
      fmt::print("{:>6}^3 {:>6} {:>9.3f} {:>14.3f} {:>14.3f} {:>11}\n", n, cases, skyline, one, two,
                 chosen.mesh.solver.used == SolverChoice::supernodal ? "supernodal" : "skyline");
    }
  if (std::getenv("ZERVOLA_BENCH_KEEP") == nullptr) std::filesystem::remove_all(dir);
  return 0;
}

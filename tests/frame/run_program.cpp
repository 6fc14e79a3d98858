#include "run_program.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <zervola/frame/model.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace zervola::frame::test {
namespace run_program {

std::string quoted(const std::string& s) {
  std::string q(1, '\'');
  for (char c : s) {
    if (c == '\'') q.append("'\\''");
    else q.push_back(c);
  }
  q.push_back('\'');
  return q;
}

}  // namespace run_program

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

nlohmann::json read_json(const std::string& path) { return nlohmann::json::parse(read_text(path)); }

int node_at(const nlohmann::json& nodes, const nlohmann::json& p) {
  for (const nlohmann::json& n : nodes)
    if (std::abs(n["x"].get<double>() - p[0].get<double>()) < k_node_tolerance &&
        std::abs(n["y"].get<double>() - p[1].get<double>()) < k_node_tolerance &&
        std::abs(n["z"].get<double>() - p[2].get<double>()) < k_node_tolerance)
      return n["node"].get<int>();
  return 0;
}

RunResult run_frame(const std::vector<std::string>& arguments) {
  const ScratchDirectory capture;
  std::vector<std::string> words = {run_program::quoted(ZERVOLA_FRAME_PROGRAM)};
  for (const std::string& a : arguments) words.push_back(run_program::quoted(a));
  words.push_back(std::string(">").append(run_program::quoted(capture.path("out"))));
  words.push_back(std::string("2>").append(run_program::quoted(capture.path("err"))));
  std::string command;
  for (const std::string& w : words) command.append(w).append(" ");
  const int status = std::system(command.c_str());
  RunResult r;
  r.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = read_text(capture.path("out"));
  r.err = read_text(capture.path("err"));
  return r;
}

ScratchDirectory::ScratchDirectory() {
  std::random_device seed;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    root_ = base / ("zervola-frame-test-" + std::to_string(::getpid()) + "-" +
                    std::to_string(seed()));
    if (std::filesystem::create_directory(root_)) break;
  }
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::string ScratchDirectory::path(const std::string& name) const { return (root_ / name).string(); }

std::string ScratchDirectory::write(const std::string& name, const std::string& text) const {
  const std::string p = path(name);
  std::ofstream(p, std::ios::binary) << text;
  return p;
}

std::string examples_dir() { return ZERVOLA_EXAMPLES_DIR; }
std::string host_data_dir() { return ZERVOLA_HOST_DATA_DIR; }

}  // namespace zervola::frame::test

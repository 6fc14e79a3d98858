// zervola-frame: a command-line host that runs a linear static frame analysis
// through the zervola library.

#include <fmt/format.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <new>

#include "analysis.hpp"
#include "atomic_files.hpp"
#include "command_line.hpp"
#include "dxf_reader.hpp"
#include "errors.hpp"
#include "json_model_reader.hpp"
#include "model_validation.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "result_files.hpp"
#include "svg_drawing.hpp"

namespace zervola::host {
namespace {

Model load_model(const std::string& path) {
  Model model = read_json_model(path);
  if (!model.dxf_file.empty()) {
    std::vector<Member> drawn = read_dxf_members(model.dxf_file);
    model.members.insert(model.members.end(), drawn.begin(), drawn.end());
  }
  validate_model(model);
  return model;
}

void write_outputs(const Options& o, const Model& model, const AnalysisResult& result) {
  OutputFiles files;
  if (o.json_file) files.add(*o.json_file, format_json_results(model, result));
  if (o.csv_directory) {
    std::error_code ec;
    std::filesystem::create_directories(*o.csv_directory, ec);
    if (ec) throw OutputError(fmt::format("{}: cannot create the directory: {}", *o.csv_directory,
                                          ec.message()));
    for (auto& [name, content] : format_csv_tables(model, result))
      files.add((std::filesystem::path(*o.csv_directory) / name).string(), std::move(content));
  }
  if (o.svg_file) files.add(*o.svg_file, draw_svg(model, result, o.drawing));
  files.commit();
}

int run(const Options& o) {
  const Model model = load_model(o.model_file);
  Progress progress(o.progress && !o.quiet && Progress::stderr_is_terminal());
  const AnalysisResult result = analyse(model, progress, o.numbering);
  // Everything is formatted before the first file is replaced.
  const std::string report = o.quiet ? std::string() : format_report(model, result, o.detail);
  write_outputs(o, model, result);
  std::fwrite(report.data(), 1, report.size(), stdout);
  if (std::fflush(stdout) != 0) throw OutputError("standard output: cannot write the report");
  return static_cast<int>(ExitStatus::success);
}

}  // namespace
}  // namespace zervola::host

int main(int argc, char** argv) {
  using namespace zervola::host;
  // Past the file-size limit (ulimit -f) a write then fails with EFBIG, which
  // is reported and whose temporary file is removed, instead of the signal
  // ending the program with the temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  const ParsedCommandLine parsed = parse_command_line(argc, argv);
  if (parsed.exit_now) return *parsed.exit_now;
  try {
    return run(parsed.options);
  } catch (const std::bad_alloc&) {
    fmt::print(stderr,
               "zervola-frame: error: {}: out of memory: the model needs more memory than this "
               "process may use\n",
               parsed.options.model_file);
    return static_cast<int>(ExitStatus::analysis);
  } catch (const InputError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", e.what());
    return static_cast<int>(ExitStatus::input);
  } catch (const AnalysisError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", e.what());
    return static_cast<int>(ExitStatus::analysis);
  } catch (const OutputError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", e.what());
    return static_cast<int>(ExitStatus::output);
  } catch (const std::exception& e) {
    fmt::print(stderr, "zervola-frame: internal error: {}\n", e.what());
    return static_cast<int>(ExitStatus::analysis);
  }
}

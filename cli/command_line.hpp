#pragma once

// The command line: the model file first, then optional outputs and report
// and drawing options; or --sections, or --recover, without a model.

#include <zervola/frame.hpp>

#include <optional>
#include <string>
#include <vector>

namespace zervola::frame::cli {

struct Options {
  std::string model_file;
  std::optional<std::string> svg_file;
  std::optional<std::string> dxf_file;
  std::optional<std::string> json_file;
  std::optional<std::string> csv_directory;
  std::optional<std::string> html_file;  // --html: the 3D view
  ReportDetail detail = ReportDetail::full;
  bool quiet = false;
  bool strict = false;  // any warning is an error: exit 5, nothing written
  bool connect_crossings = false;  // cut members at crossings, as the model may ask
  ResultDetail detail_of_results;  // --no-stations: the JSON, CSV and 3D view without station values
  bool progress = true;
  NumberingChoice numbering = NumberingChoice::automatic;
  SolverChoice solver = SolverChoice::automatic;  // --solver
  int threads = 0;                                // --threads; 0: every processor
  DrawingOptions drawing;
  DxfOptions dxf;
  ModelReading reading;  // --dxf-units
  // --modes, --mass-matrix: the natural modes asked for, over the model's "modal"
  std::optional<int> modes;
  std::optional<MassMatrix> mass_matrix;
  // --buckling, --buckling-modes: the sets to buckle and the factors wanted,
  // over the model's "buckling"; --second-order: sets analysed in second order
  std::vector<std::string> buckling;
  std::optional<int> buckling_modes;
  std::vector<std::string> second_order;
  bool timings = true;  // --no-timings: no wall time in the report and the JSON
  std::optional<std::string> sections_filter;  // --sections: list the catalogue, analyse nothing
  // --recover: settle what a killed run left among these outputs, analyse nothing
  std::optional<std::vector<std::string>> recover;
};

// Parses argv. Returns the options, or the exit status when the program is
// to stop at once (after --help or --version: 0; on a command-line error: the
// usage status, with the message printed on standard error).
struct ParsedCommandLine {
  Options options;
  std::optional<int> exit_now;
};

[[nodiscard]] ParsedCommandLine parse_command_line(int argc, const char* const* argv);

}  // namespace zervola::frame::cli

#include "command_line.hpp"

#include <cmath>
#include <string>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <map>
#include <string_view>

#include "exit_status.hpp"

namespace zervola::frame::cli {

ParsedCommandLine parse_command_line(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  Options& o = parsed.options;
  CLI::App app{
      "zervola-frame: linear static analysis of a plane or space frame, its natural modes,\n"
      "linear buckling and second-order analysis.\n"
      "Reads a model (JSON, see docs/model-format.md), analyses every load case through the\n"
      "zervola library, finds the natural modes the model or --modes asks for, and prints a\n"
      "report; optionally writes results as JSON, as CSV tables, as an SVG drawing and\n"
      "as a 3D view in one HTML page.",
      "zervola-frame"};
  app.footer(
      "Exit status: 0 success; 1 command-line error; 2 error in the model file (its\n"
      "syntax, with file, line and column, or its meaning, with the item and field);\n"
      "3 the model cannot be analysed (not in one piece, a mechanism, a singular\n"
      "system); 4 an output file could not be written; 5 --strict and the model\n"
      "gave warnings. Output files are written whole or not at all: after a kill,\n"
      "the next run (or --recover) leaves the whole old set or the whole new one.");
  app.set_version_flag("--version", "zervola-frame 0.1.0");
  // --sections lists the catalogue and --recover settles outputs: neither
  // needs a model.
  bool listing = false;
  bool recovering = false;
  for (int k = 1; k < argc; ++k) {
    listing = listing || std::string_view(argv[k]).starts_with("--sections");
    recovering = recovering || std::string_view(argv[k]).starts_with("--recover");
  }
  app.add_option("model", o.model_file, "the model file (JSON, comments allowed)")
      ->required(!listing && !recovering)
      ->check(CLI::ExistingFile)
      ->type_name("MODEL");
  std::string sections_filter;
  app.add_option("--sections", sections_filter,
                 "list the catalogue's sections whose designation contains FILTER\n"
                 "(case, blanks and x/X do not matter: \"ipe3\", \"HEB 200\", \"W12x\"),\n"
                 "with their properties, and analyse nothing")
      ->type_name("FILTER");
  std::vector<std::string> recover;
  app.add_option("--recover", recover,
                 "finish or undo the writing of output files that a killed run left\n"
                 "among these outputs (files, or the --csv directory), remove its\n"
                 "temporary files, and analyse nothing")
      ->expected(1, -1)
      ->type_name("OUTPUT");
  std::string svg, json, csv, html;
  app.add_option("--svg", svg, "write a drawing of the frame (SVG) to this file")->type_name("FILE");
  app.add_option("--json", json, "write every result to this file (JSON)")->type_name("FILE");
  app.add_option("--html", html,
                 "write a 3D view of the results to this file: one HTML page that\n"
                 "opens in a browser with no network (three.js, WebGL) and draws the\n"
                 "frame, its deformed shape, the diagrams of every load set and\n"
                 "envelope, supports, loads and mode shapes; click a member for its\n"
                 "results. Needs three.js (Debian's libjs-three) when zervola is built")
      ->type_name("FILE");
  std::string dxf, dxf_set;
  app.add_option("--dxf", dxf,
                 "draw the results into a DXF file for CAD: the frame, and per load\n"
                 "set layers for the deformed shape, the moment, shear and axial\n"
                 "diagrams with their extremes, and the reactions")
      ->type_name("FILE");
  app.add_option("--dxf-set", dxf_set, "draw only this load case or combination into --dxf")
      ->type_name("NAME");
  std::string dxf_units;
  app.add_option("--dxf-units", dxf_units,
                 "the unit the model's DXF drawing is drawn in (mm, cm, m, in, ft), over\n"
                 "the model's \"dxf_units\" and the drawing's $INSUNITS; its coordinates\n"
                 "are converted to the model's length unit")
      ->type_name("UNIT");
  app.add_option("--csv", csv,
                 "write one CSV table per kind of result into this directory\n"
                 "(created if missing): nodes, members, displacements, reactions,\n"
                 "end_forces, stresses, equilibrium, member_diagrams; with natural\n"
                 "modes, modes and mode_shapes")
      ->type_name("DIR");
  bool summary = false;
  app.add_flag("--summary", summary,
               "limit the report to the model summary, the extremes of each\n"
               "load case and the equilibrium check");
  app.add_flag("-q,--quiet", o.quiet, "print no report");
  app.add_flag("--strict", o.strict,
               "treat every warning as an error: exit status 5, no report and\n"
               "no file written");
  bool no_stations = false;
  app.add_flag("--no-stations", no_stations,
               "leave out of the JSON and CSV results the values at every station\n"
               "along the members (member_diagrams), and draw the 3D view's diagrams\n"
               "from the members' ends; the extremes along each member stay. The\n"
               "files of a large model are many times smaller");
  app.add_flag("--connect-crossings", o.connect_crossings,
               "cut members where they cross or where one ends on another's span,\n"
               "and connect them there (as the model's \"connect_crossings\": true):\n"
               "pieces are named <member>.1, <member>.2, ..., and results are also\n"
               "given for each member as drawn");
  bool no_progress = false;
  app.add_flag("--no-progress", no_progress,
               "never show progress on standard error (otherwise shown on a\n"
               "terminal for analyses that take more than a moment)");
  const std::map<std::string, View> views = {{"auto", View::automatic},
                                             {"xy", View::xy},
                                             {"xz", View::xz},
                                             {"yz", View::yz},
                                             {"axonometric", View::axonometric}};
  std::string view = "auto";
  app.add_option("--view", view,
                 "view of the drawing: xy (plan), xz, yz (elevations), axonometric,\n"
                 "or auto: xy for a plane frame, axonometric for a space frame")
      ->check(CLI::IsMember({"auto", "xy", "xz", "yz", "axonometric"}))
      ->type_name("VIEW")
      ->default_str("auto");
  double scale = 0.0;
  auto* scale_option = app.add_option(
      "--scale", scale,
      "draw displacements this many times their size (default: the\n"
      "largest is drawn about 8% of the frame's size; the drawing states it)");
  // A positive finite number: "nan" and "inf" parse as doubles, and NaN
  // passes every comparison that would refuse it.
  scale_option->check(CLI::Validator(
      [](std::string& text) -> std::string {
        double value = 0.0;
        try {
          std::size_t used = 0;
          value = std::stod(text, &used);
          if (used != text.size()) return "not a number: " + text;
        } catch (const std::exception&) {
          return "not a number: " + text;
        }
        if (!std::isfinite(value) || !(value > 0.0)) return "must be a positive finite number, is " + text;
        return {};
      },
      "POSITIVE"));
  bool moments = false;
  app.add_flag("--moments", moments, "draw the bending-moment diagrams (as --diagram moment)");
  std::string diagram;
  app.add_option("--diagram", diagram, "draw this diagram along the members: moment, shear or axial")
      ->check(CLI::IsMember({"moment", "shear", "axial"}))
      ->type_name("KIND");
  bool no_labels = false;
  app.add_flag("--no-labels", no_labels, "draw no node and member labels");
  std::string svg_case;
  app.add_option("--svg-case", svg_case,
                 "draw only this load case or combination (default: one panel for\n"
                 "each); the panels of the natural modes are drawn either way")
      ->type_name("NAME");
  int modes = 0;
  auto* modes_option = app.add_option(
      "--modes", modes,
      "find the N lowest natural modes (over the model's \"modal\",\n"
      "keeping its mass matrix); the model needs mass: a section's\n"
      "density, \"masses\" or \"mass_from_loads\"");
  // A whole number from 1 on: CLI11 would take "2.5" as 2.
  modes_option->check(CLI::Validator(
      [](std::string& text) -> std::string {
        constexpr long k_most_modes = 100000;
        long value = 0;
        try {
          std::size_t used = 0;
          value = std::stol(text, &used);
          if (used != text.size()) return "not a whole number: " + text;
        } catch (const std::exception&) {
          return "not a whole number: " + text;
        }
        if (value < 1 || value > k_most_modes)
          return fmt::format("must be a whole number of modes from 1 to {}, is {}", k_most_modes,
                             text);
        return {};
      },
      ""));
  modes_option->type_name("N");
  std::string mass_matrix;
  app.add_option("--mass-matrix", mass_matrix,
                 "the mass matrix of the natural modes: consistent (the members'\n"
                 "mass spread as their stiffness bends them) or lumped (half of\n"
                 "each member at each end); over the model's \"modal\"")
      ->check(CLI::IsMember({"consistent", "lumped"}))
      ->type_name("KIND");
  std::vector<std::string> buckling;
  app.add_option("--buckling", buckling,
                 "find the critical load factors of this load case or combination\n"
                 "(repeatable; beside the model's \"buckling\" sets)")
      ->type_name("SET")
      ->allow_extra_args(false);
  int buckling_modes = 0;
  auto* buckling_modes_option =
      app.add_option("--buckling-modes", buckling_modes,
                     "how many of the lowest critical load factors per set (default:\n"
                     "the model's, else 1)")
          ->check(CLI::Range(1, 100000))
          ->type_name("N");
  std::vector<std::string> second_order;
  app.add_option("--second-order", second_order,
                 "analyse this load case or combination on the deformed geometry\n"
                 "(repeatable; as \"second_order\": true in the model)")
      ->type_name("SET")
      ->allow_extra_args(false);
  bool no_timings = false;
  app.add_flag("--no-timings", no_timings,
               "print no wall time (the eigensolver's seconds) in the report\n"
               "and the JSON, so that two runs of one model write the same bytes");
  const std::map<std::string, NumberingChoice> numberings = {
      {"auto", NumberingChoice::automatic},
      {"band", NumberingChoice::band},
      {"profile", NumberingChoice::profile}};
  std::string numbering = "auto";
  app.add_option("--numbering", numbering,
                 "number the equations by the library's band renumbering (band), by\n"
                 "the profile-reducing numbering (profile), or by whichever gives\n"
                 "the smaller skyline profile (auto)")
      ->check(CLI::IsMember({"auto", "band", "profile"}))
      ->type_name("KIND")
      ->default_str("auto");
  const std::map<std::string, SolverChoice> solvers = {
      {"auto", SolverChoice::automatic},
      {"skyline", SolverChoice::skyline},
      {"supernodal", SolverChoice::supernodal}};
  std::string solver = "auto";
  app.add_option("--solver", solver,
                 "solve the load cases by the skyline (skyline), by the supernodal\n"
                 "factorisation in a nested-dissection order of the nodes\n"
                 "(supernodal), or by the one predicted to be cheaper (auto); the\n"
                 "report says which and what each would cost")
      ->check(CLI::IsMember({"auto", "skyline", "supernodal"}))
      ->type_name("KIND")
      ->default_str("auto");
  app.add_option("--threads", o.threads,
                 "threads of the supernodal factorisation (default: every processor\n"
                 "this process may run on)")
      ->check(CLI::Range(1, 1024))
      ->type_name("N");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    parsed.exit_now = app.exit(e) == 0 ? 0 : static_cast<int>(ExitStatus::usage);
    return parsed;
  }
  if (listing) o.sections_filter = sections_filter;
  if (recovering) o.recover = recover;
  o.drawing.view = views.at(view);
  o.numbering = numberings.at(numbering);
  o.solver = solvers.at(solver);
  if (!svg.empty()) o.svg_file = svg;
  if (!dxf.empty()) o.dxf_file = dxf;
  if (!dxf_set.empty()) o.dxf.load_set = dxf_set;
  if (!dxf_units.empty()) o.reading.dxf_units = dxf_units;
  if (!json.empty()) o.json_file = json;
  if (!csv.empty()) o.csv_directory = csv;
  if (!html.empty()) o.html_file = html;
  if (summary) o.detail = ReportDetail::summary;
  o.progress = !no_progress;
  if (scale_option->count() > 0) o.drawing.deformation_scale = o.dxf.deformation_scale = scale;
  o.detail_of_results.stations = !no_stations;
  o.drawing.labels = !no_labels;
  if (!svg_case.empty()) o.drawing.load_case = svg_case;
  if (modes_option->count() > 0) o.modes = modes;
  if (mass_matrix == "consistent") o.mass_matrix = MassMatrix::consistent;
  if (mass_matrix == "lumped") o.mass_matrix = MassMatrix::lumped;
  o.buckling = buckling;
  if (buckling_modes_option->count() > 0) o.buckling_modes = buckling_modes;
  o.second_order = second_order;
  o.timings = !no_timings;
  o.detail_of_results.timings = o.timings;
  if (moments || diagram == "moment") o.drawing.diagram = DiagramKind::moment;
  if (diagram == "shear") o.drawing.diagram = DiagramKind::shear;
  if (diagram == "axial") o.drawing.diagram = DiagramKind::axial;
  return parsed;
}

}  // namespace zervola::frame::cli

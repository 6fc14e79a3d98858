// zervola-frame: a command-line host that runs a linear static frame analysis
// through the zervola library.

#include <fmt/format.h>
#include <zervola/frame.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <stdexcept>

#include "command_line.hpp"
#include "exit_status.hpp"
#include "section_listing.hpp"
#include "terminal_progress.hpp"

namespace zervola::frame::cli {
namespace {

// A command line that contradicts the model: exit status usage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The outputs the options name, as the user named them: the files, and the
// CSV directory itself.
std::vector<std::string> output_places(const Options& o) {
  std::vector<std::string> places;
  for (const auto* place :
       {&o.json_file, &o.csv_directory, &o.svg_file, &o.html_file, &o.dxf_file})
    if (*place) places.push_back(**place);
  return places;
}

// Every output file of the run with the option that names it, known before
// the analysis from the model alone.
std::vector<NamedOutput> named_outputs(const Options& o, const Model& model) {
  std::vector<NamedOutput> named;
  if (o.json_file) named.push_back({fmt::format("--json {}", *o.json_file), *o.json_file});
  if (o.csv_directory)
    for (const std::string& name : csv_table_names(model, o.detail_of_results))
      named.push_back({fmt::format("--csv {} (its table {})", *o.csv_directory, name),
                       (std::filesystem::path(*o.csv_directory) / name).string()});
  if (o.svg_file) named.push_back({fmt::format("--svg {}", *o.svg_file), *o.svg_file});
  if (o.html_file) named.push_back({fmt::format("--html {}", *o.html_file), *o.html_file});
  if (o.dxf_file) named.push_back({fmt::format("--dxf {}", *o.dxf_file), *o.dxf_file});
  return named;
}

void print_recovered(const std::vector<std::string>& notes) {
  for (const std::string& note : notes) fmt::print(stderr, "zervola-frame: {}\n", note);
}

// Every output written as the commit comes to it, piece by piece: memory
// for the results, not for the files.
void write_outputs(const Options& o, const Model& model, const AnalysisResult& result) {
  OutputFiles files;
  if (o.json_file)
    files.add(*o.json_file, [&](std::ostream& out) {
      write_json_results(out, model, result, o.detail_of_results);
    });
  if (o.csv_directory) {
    files.add_directory(*o.csv_directory);
    for (const std::string& name : csv_table_names(model, o.detail_of_results))
      files.add((std::filesystem::path(*o.csv_directory) / name).string(),
                [&, name](std::ostream& out) { write_csv_table(out, name, model, result); });
  }
  if (o.svg_file)
    files.add(*o.svg_file, [&](std::ostream& out) { write_svg(out, model, result, o.drawing); });
  if (o.html_file)
    files.add(*o.html_file, [&](std::ostream& out) {
      write_html_view(out, model, result, o.detail_of_results);
    });
  if (o.dxf_file)
    files.add(*o.dxf_file, [&](std::ostream& out) { write_dxf(out, model, result, o.dxf); });
  files.commit();
}

void print_warnings(const std::vector<Warning>& warnings, std::size_t from) {
  for (std::size_t k = from; k < warnings.size(); ++k)
    fmt::print(stderr, "zervola-frame: warning [{}]: {}\n", warnings[k].code,
               printable_text(warnings[k].message, true));
}

// Under --strict a warning stops the run before anything is written.
int refuse_warnings(const std::vector<Warning>& warnings) {
  fmt::print(stderr,
             "zervola-frame: error: --strict: the model gave {} warning{} (above); nothing was "
             "written\n",
             warnings.size(), warnings.size() == 1 ? "" : "s");
  return static_cast<int>(ExitStatus::strict);
}

// An output on one of the run's inputs would replace the engineer's model
// or drawing (--dxf into the drawing the members came from, say): refused
// before anything is analysed. --dxf-set names a load set of the model, and
// needs --dxf.
void refuse_inputs_replaced(const Options& o, const Model& model) {
  std::vector<std::string> inputs = {o.model_file};
  if (!model.dxf_file.empty()) inputs.push_back(model.dxf_file);
  for (const NamedOutput& output : named_outputs(o, model))
    for (const std::string& input : inputs) {
      std::error_code ec;
      if (std::filesystem::equivalent(output.path, input, ec))
        throw UsageError(fmt::format("{}: {} is an input of this run; write the results to "
                                     "another file",
                                     output.label, input));
    }
  if (o.dxf.load_set && !o.dxf_file)
    throw UsageError("--dxf-set: give --dxf FILE too, the drawing it chooses the set for");
  if (o.dxf.load_set) {
    const std::vector<LoadSet> sets = load_sets(model);
    if (std::none_of(sets.begin(), sets.end(),
                     [&](const LoadSet& s) { return s.name == *o.dxf.load_set; }))
      throw InputError(fmt::format("--dxf-set: the model has no load case or combination \"{}\"",
                                   *o.dxf.load_set));
  }
}

// The model with the natural modes that --modes and --mass-matrix ask for,
// validated again (the model must have mass). Throws InputError, and
// UsageError for --mass-matrix alone on a model that asks for no modes.
Model with_modes_asked(Model model, const Options& o) {
  if (!o.modes && !o.mass_matrix) return model;
  if (!o.modes && !model.modal)
    throw UsageError(fmt::format(
        "--mass-matrix: {} asks for no natural modes: give --modes N too, or the model's "
        "\"modal\"",
        model.source_file));
  ModalRequest request = model.modal.value_or(
      ModalRequest{.origin = {model.source_file, "--modes"}});
  if (o.modes) request.modes = *o.modes;
  if (o.mass_matrix) request.mass_matrix = *o.mass_matrix;
  model.modal = request;
  validate_model(model);
  return model;
}

// The model with the buckling and second-order sets that --buckling,
// --buckling-modes and --second-order ask for, validated again (each set
// must exist). Throws InputError naming a set that does not exist.
Model with_stability_asked(Model model, const Options& o) {
  if (o.buckling.empty() && !o.buckling_modes && o.second_order.empty()) return model;
  if (o.buckling_modes && o.buckling.empty() && !model.buckling)
    throw UsageError(fmt::format(
        "--buckling-modes: {} asks for no buckling: give --buckling SET too, or the model's "
        "\"buckling\"",
        model.source_file));
  if (!o.buckling.empty() || o.buckling_modes) {
    BucklingRequest request =
        model.buckling.value_or(BucklingRequest{.sets = {}, .modes = 1, .origin = {model.source_file, "--buckling"}});
    for (const std::string& set : o.buckling)
      if (std::find(request.sets.begin(), request.sets.end(), set) == request.sets.end())
        request.sets.push_back(set);
    if (o.buckling_modes) request.modes = *o.buckling_modes;
    model.buckling = request;
  }
  for (const std::string& set : o.second_order) {
    bool found = false;
    for (LoadCase& c : model.load_cases)
      if (c.name == set) found = c.second_order = true;
    for (Combination& c : model.combinations)
      if (c.name == set) found = c.second_order = true;
    if (!found)
      throw InputError(fmt::format("{}: --second-order: no load case or combination is named "
                                   "\"{}\"",
                                   model.source_file, printable_text(set)));
  }
  validate_model(model);
  return model;
}

int run(const Options& o) {
  if (o.sections_filter) return list_sections(*o.sections_filter);
  if (o.recover) {
    print_recovered(recover_outputs(*o.recover));
    return static_cast<int>(ExitStatus::success);
  }
  // A commit a killed run left among these outputs is settled first, so
  // that nothing below meets a half-replaced set.
  print_recovered(recover_outputs(output_places(o)));
  const Model model = [&] {
    Model read = read_model(o.model_file, o.reading);
    if (o.connect_crossings && !read.connect_crossings) read = connect_crossings(read);
    return with_stability_asked(with_modes_asked(read, o), o);
  }();
  // Two outputs on one file are refused before the analysis spends its time.
  refuse_shared_outputs(named_outputs(o, model));
  refuse_inputs_replaced(o, model);
  // So is a 3D view whose files (three.js) are not installed.
  if (o.html_file) {
    try {
      static_cast<void>(html_view_directory());
    } catch (const OutputError& e) {
      throw OutputError(fmt::format("--html {}: {}; nothing was written", *o.html_file, e.what()));
    }
  }
  print_warnings(model.warnings, 0);
  if (o.strict && !model.warnings.empty()) return refuse_warnings(model.warnings);
  TerminalProgress progress(o.progress && !o.quiet && TerminalProgress::stderr_is_terminal());
  const AnalysisResult result = [&] {
    try {
      return analyse(model, {.numbering = o.numbering,
                             .progress = &progress,
                             .solver = o.solver,
                             .threads = o.threads});
    } catch (const AnalysisError& e) {
      // What the analysis found before it failed, beyond the model's own
      // warnings (printed above), often explains the failure.
      print_warnings(e.warnings, model.warnings.size());
      throw;
    }
  }();
  print_warnings(result.warnings, model.warnings.size());
  if (o.strict && !result.warnings.empty()) return refuse_warnings(result.warnings);
  // The files first, whole or not at all; then the report, written piece by
  // piece, so that neither needs memory for its whole text.
  write_outputs(o, model, result);
  if (!o.quiet) {
    write_report(std::cout, model, result, o.detail, o.timings);
    std::cout.flush();
    if (!std::cout) throw OutputError("standard output: cannot write the report");
  }
  return static_cast<int>(ExitStatus::success);
}

}  // namespace
}  // namespace zervola::frame::cli

int main(int argc, char** argv) {
  using namespace zervola::frame;
  using namespace zervola::frame::cli;
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
               printable_text(parsed.options.model_file));
    return static_cast<int>(ExitStatus::analysis);
  } catch (const UsageError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", printable_text(e.what(), true));
    return static_cast<int>(ExitStatus::usage);
  } catch (const InputError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", printable_text(e.what(), true));
    return static_cast<int>(ExitStatus::input);
  } catch (const AnalysisError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", printable_text(e.what(), true));
    return static_cast<int>(ExitStatus::analysis);
  } catch (const OutputError& e) {
    fmt::print(stderr, "zervola-frame: error: {}\n", printable_text(e.what(), true));
    return static_cast<int>(ExitStatus::output);
  } catch (const std::exception& e) {
    fmt::print(stderr, "zervola-frame: internal error: {}\n", printable_text(e.what(), true));
    return static_cast<int>(ExitStatus::analysis);
  }
}

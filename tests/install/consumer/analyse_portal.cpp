// Analyses a model through the installed C++ API and prints the report, as
// zervola-frame prints it; the install test compares the two.
#include <zervola/frame.hpp>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: analyse_portal MODEL\n");
    return 1;
  }
  try {
    const zervola::frame::Model model = zervola::frame::read_model(argv[1]);
    const zervola::frame::AnalysisResult result = zervola::frame::analyse(model);
    const std::string report =
        zervola::frame::format_report(model, result, zervola::frame::ReportDetail::full);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return 0;
  } catch (const zervola::frame::InputError& e) {
    std::fprintf(stderr, "input: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
  }
  return 2;
}

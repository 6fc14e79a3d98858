// Fuzz target: a model file's text through the JSON reader and the model
// check, and, for small models, through the analysis. Every outcome must be a
// model, an InputError or an AnalysisError: anything else (another exception,
// a crash, a sanitizer report) is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include <zervola/frame.hpp>

namespace {

// Larger models are only read: the analysis would cost more than it finds.
constexpr std::size_t k_largest_analysed_model = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zervola::frame;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    Model model = parse_json_model(text, "fuzz.json");
    validate_model(model);
    if (!model.dxf_file.empty() || model.members.size() > k_largest_analysed_model) return 0;
    if (model.connect_crossings) model = connect_crossings(model);
    static_cast<void>(analyse(model));
  } catch (const InputError&) {
  } catch (const AnalysisError&) {
  }
  return 0;
}

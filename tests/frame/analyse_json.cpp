#include "analyse_json.hpp"

#include "run_program.hpp"

namespace zervola::frame::test {

AnalysisResult analyse_json(const nlohmann::json& model, Model* read) {
  const ScratchDirectory dir;
  const Model m = read_model(dir.write("model.json", model.dump(2)));
  if (read != nullptr) *read = m;
  return analyse(m);
}

}  // namespace zervola::frame::test

#pragma once

// Analyses a model written in a test as JSON, through the same reader the
// program uses.

#include <nlohmann/json.hpp>

#include <zervola/frame.hpp>

namespace zervola::frame::test {

// Writes model to a scratch file, reads it with read_model and analyses
// it; the model as read goes to *read when read is not null. Throws what
// read_model and analyse throw.
[[nodiscard]] AnalysisResult analyse_json(const nlohmann::json& model, Model* read = nullptr);

}  // namespace zervola::frame::test

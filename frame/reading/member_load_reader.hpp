#pragma once

// Reads the member loads of a load case, and the combinations and envelopes
// of a model, from their JSON form (see docs/model-format.md). Faults name
// the file, the item and the field.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "zervola/frame/model.hpp"

namespace zervola::frame {

// list: the "member_loads" array of the load case named case_name.
[[nodiscard]] std::vector<MemberLoad> read_member_loads(const nlohmann::json& list,
                                                        const std::string& file,
                                                        const std::string& case_name);

// list: the model's "combinations" (or "envelopes") array.
[[nodiscard]] std::vector<Combination> read_combinations(const nlohmann::json& list,
                                                         const std::string& file);
[[nodiscard]] std::vector<Envelope> read_envelopes(const nlohmann::json& list,
                                                   const std::string& file);

}  // namespace zervola::frame

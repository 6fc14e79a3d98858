#pragma once

// Where an item of a model was read from, for messages.

#include <string>

namespace zervola::frame {

// "members[3]" of "model.json", or "frame.dxf, entity 7 (layer \"IPE300\")".
struct Origin {
  std::string file;
  std::string place;
};

}  // namespace zervola::frame

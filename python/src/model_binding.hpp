#pragma once

// A checked frame model as Python holds it: shared and never changed after
// it is made, so that Results can keep the model it came from and threads
// can analyse one model at once.

#include <memory>

#include "zervola/frame/model.hpp"

namespace zervola::python {

struct ModelHandle {
  std::shared_ptr<const frame::Model> model;
};

}  // namespace zervola::python

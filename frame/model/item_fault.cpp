#include "model/item_fault.hpp"

#include <fmt/format.h>

#include "zervola/frame/errors.hpp"

namespace zervola::frame {

void fail_item(const Origin& o, const std::string& field, const std::string& problem) {
  if (field.empty()) throw InputError(fmt::format("{}: {}: {}", o.file, o.place, problem));
  throw InputError(fmt::format("{}: {}: field \"{}\": {}", o.file, o.place, field, problem));
}

}  // namespace zervola::frame

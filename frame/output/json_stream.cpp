#include "output/json_stream.hpp"

#include <cassert>

namespace zervola::frame {

void JsonStream::indent(std::size_t depth) {
  out_.put('\n');
  for (std::size_t k = 0; k < depth; ++k) out_.put(' ');
}

void JsonStream::before_item() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.empty) out_.put(',');
  level.empty = false;
  indent(levels_.size());
}

void JsonStream::open(char bracket, bool object) {
  before_item();
  out_.put(bracket);
  levels_.push_back({object, true, {}});
}

void JsonStream::close(char bracket) {
  assert(!levels_.empty());
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) indent(levels_.size());
  out_.put(bracket);
}

void JsonStream::key(std::string_view name) {
  assert(!levels_.empty() && levels_.back().object);
  Level& level = levels_.back();
  assert(level.empty || level.last_key < name);
  level.last_key = name;
  if (!level.empty) out_.put(',');
  level.empty = false;
  indent(levels_.size());
  out_ << nlohmann::json(std::string(name)).dump() << ": ";
  after_key_ = true;
}

void JsonStream::value(const nlohmann::json& v) {
  before_item();
  const std::string text = v.dump(1);
  // Each line of the value sits one level deeper per open level.
  const std::size_t depth = levels_.size();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    out_.write(text.data() + start, static_cast<std::streamsize>((end == std::string::npos ? text.size() : end) - start));
    if (end == std::string::npos) break;
    indent(depth);
    start = end + 1;
  }
}

}  // namespace zervola::frame

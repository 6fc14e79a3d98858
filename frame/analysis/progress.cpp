#include "zervola/frame/progress.hpp"

namespace zervola::frame {

// Out of line, so that the class has one virtual table, in the library.
Progress::~Progress() = default;
void Progress::stage(const std::string&) {}
void Progress::step(std::size_t, std::size_t) {}
void Progress::finish() {}

}  // namespace zervola::frame

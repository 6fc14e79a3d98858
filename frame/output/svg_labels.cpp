#include "output/svg_labels.hpp"

#include <array>
#include <cmath>

namespace zervola::frame {
namespace {

constexpr double k_cell_px = 48.0;    // grid cell of the overlap search
constexpr double k_gap_px = 3.0;      // between an anchor and its text
constexpr double k_farther = 3.5;     // the second ring of places, times the first's gap

std::int64_t cell_of(double v) { return static_cast<std::int64_t>(std::floor(v / k_cell_px)); }

bool overlap(const TextBox& a, const TextBox& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TextBox text_box(double x, double y, std::size_t chars, double font_px) {
  const double width = k_char_width_share * font_px * static_cast<double>(chars);
  // The descent below the baseline is about a fifth of the size.
  const double below = 0.2 * font_px;
  return {x, y + below - k_text_height_share * font_px, x + width, y + below};
}

std::int64_t LabelPlacer::cell_key(std::int64_t cx, std::int64_t cy) {
  return cx * 1'000'003 + cy;
}

bool LabelPlacer::is_free(const TextBox& b) const {
  for (std::int64_t cx = cell_of(b.left); cx <= cell_of(b.right); ++cx)
    for (std::int64_t cy = cell_of(b.top); cy <= cell_of(b.bottom); ++cy) {
      const auto found = cells_.find(cell_key(cx, cy));
      if (found == cells_.end()) continue;
      for (const std::size_t k : found->second)
        if (overlap(boxes_[k], b)) return false;
    }
  return true;
}

void LabelPlacer::reserve(const TextBox& b) {
  const std::size_t k = boxes_.size();
  boxes_.push_back(b);
  for (std::int64_t cx = cell_of(b.left); cx <= cell_of(b.right); ++cx)
    for (std::int64_t cy = cell_of(b.top); cy <= cell_of(b.bottom); ++cy)
      cells_[cell_key(cx, cy)].push_back(k);
}

std::optional<TextPlace> LabelPlacer::place(double x, double y, std::size_t chars, double font_px) {
  const TextBox box = text_box(0.0, 0.0, chars, font_px);
  const double w = box.right - box.left, above = -box.top, below = box.bottom;
  for (const double gap : {k_gap_px, k_farther * k_gap_px + 0.5 * font_px}) {
    const std::array<TextPlace, 6> tries = {{{x + gap, y - gap - below},
                                             {x + gap, y + gap + above},
                                             {x - gap - w, y - gap - below},
                                             {x - gap - w, y + gap + above},
                                             {x - 0.5 * w, y - gap - below},
                                             {x - 0.5 * w, y + gap + above}}};
    for (const TextPlace& p : tries) {
      const TextBox b = text_box(p.x, p.y, chars, font_px);
      if (!is_free(b)) continue;
      reserve(b);
      return p;
    }
  }
  return std::nullopt;
}

}  // namespace zervola::frame

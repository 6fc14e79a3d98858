#pragma once

// The drawing's texts placed so that no two overlap: each label tries a few
// places around its anchor and takes the first that is free. A label that
// finds no free place is left out rather than drawn over another, since a
// number printed over a number reads as neither.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zervola::frame {

// A text's box on the drawing, in pixels (y down).
struct TextBox {
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};

// The widest a character of the drawing's sans-serif font runs, as a share
// of the font size (digits and lower-case letters stay below it).
inline constexpr double k_char_width_share = 0.62;
// The height of a text's box (ascent and descent) as a share of its size.
inline constexpr double k_text_height_share = 1.0;

// The box of a text of `chars` characters at font size font_px (pixels)
// whose baseline starts at (x, y).
[[nodiscard]] TextBox text_box(double x, double y, std::size_t chars, double font_px);

struct TextPlace {
  double x = 0.0;  // the baseline's start, pixels
  double y = 0.0;
};

class LabelPlacer {
 public:
  // Purpose: a place for a text of `chars` characters at font size font_px
  // near the anchor (x, y) (pixels, y down) that overlaps no label placed
  // and no box reserved so far; the place is then taken. The places tried
  // are right above, right below, left above, left below, centred above and
  // centred below the anchor, then the same farther out.
  // Returns: the baseline's start, or nothing when every place is taken.
  [[nodiscard]] std::optional<TextPlace> place(double x, double y, std::size_t chars,
                                               double font_px);

  // Marks box b as taken (a title, a legend, a scale) for the labels that
  // follow.
  void reserve(const TextBox& b);

 private:
  [[nodiscard]] bool is_free(const TextBox& b) const;
  [[nodiscard]] static std::int64_t cell_key(std::int64_t cx, std::int64_t cy);

  std::vector<TextBox> boxes_;
  // Boxes by the grid cells they touch, so that a drawing with thousands of
  // labels checks each against its neighbours only.
  std::unordered_map<std::int64_t, std::vector<std::size_t>> cells_;
};

}  // namespace zervola::frame

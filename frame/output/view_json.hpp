#pragma once

// The text of the 3D view's data (viewer/README.md): compact JSON written
// piece by piece, its numbers at the precision their use needs, the values
// at the stations quantized, and strings that cannot end the <script>
// element that holds them.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/text_out.hpp"

namespace zervola::frame {

// Station values are whole numbers of a unit: the largest magnitude of an
// array becomes k_quantized_top.
inline constexpr double k_quantized_top = 9999.0;
// A station's place along its member, in 1/k_station_steps of its length.
inline constexpr double k_station_steps = 10000.0;

// Significant digits: coordinates and units of quantized arrays; the local
// axes; results read as numbers (end forces, extremes, stresses, load
// values, mode shapes).
inline constexpr int k_place_digits = 9;
inline constexpr int k_axis_digits = 7;
inline constexpr int k_result_digits = 5;

// v (in) with `digits` significant digits, as C's %.*g writes it but with
// the exponent bare ("1e-5", "2.5e20"); 0 for zero of either sign; null
// when v is not finite. Throws nothing but std::bad_alloc.
[[nodiscard]] std::string view_number(double v, int digits);

// The unit of a quantized array (in): its largest magnitude over
// k_quantized_top, 1 for an array of zeros. Throws nothing.
[[nodiscard]] double quantized_unit(std::span<const double> values);

// value (in) as a whole number of unit (in, > 0): round(value / unit), ties
// to even. Throws nothing.
[[nodiscard]] std::int64_t quantized(double value, double unit);

class ViewJson {
 public:
  explicit ViewJson(std::ostream& out) : out_(out) {}

  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }
  // The next key of the open object.
  void key(std::string_view name);

  // Single values.
  void text(std::string_view s);
  void integer(std::int64_t v);
  void number(double v, int digits);

  // Whole arrays.
  void texts(const std::vector<std::string>& list);
  void numbers(std::span<const double> list, int digits);
  template <typename Integer>
  void integers(const std::vector<Integer>& list) {
    begin_array();
    for (Integer v : list) integer(static_cast<std::int64_t>(v));
    end_array();
  }
  // {"unit": u, "q": [integers]}: value = u * q.
  void quantized_array(std::span<const double> values);

  // Hands what is held to the stream; call at the end.
  void flush() { out_.flush(); }

 private:
  void before_value();
  void quoted(std::string_view s);  // s as a JSON string, no "<" as itself
  void open(char bracket);
  void close(char bracket);

  TextOut out_;
  std::vector<bool> empty_;  // per open level: nothing written in it yet
  bool after_key_ = false;
};

}  // namespace zervola::frame

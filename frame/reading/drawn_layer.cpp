#include "reading/drawn_layer.hpp"

#include <cctype>

namespace zervola::frame {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool is_results_layer(const std::string& layer) {
  return layer.size() >= k_results_layer_prefix.size() &&
         lower(layer.substr(0, k_results_layer_prefix.size())) == lower(k_results_layer_prefix);
}

DrawnLayer drawn_layer(const std::string& layer) {
  const std::size_t at = layer.rfind(k_release_separator);
  if (at == std::string::npos) return {layer, Release::none, {}};
  DrawnLayer d{layer.substr(0, at), std::nullopt, layer.substr(at + 1)};
  const std::string suffix = lower(d.suffix);
  if (suffix == "none") d.release = Release::none;
  if (suffix == "hinge_start") d.release = Release::hinge_start;
  if (suffix == "hinge_end") d.release = Release::hinge_end;
  if (suffix == "pinned") d.release = Release::pinned;
  return d;
}

}  // namespace zervola::frame

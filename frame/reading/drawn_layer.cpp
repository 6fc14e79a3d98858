#include "reading/drawn_layer.hpp"

namespace zervola::frame {

DrawnLayer drawn_layer(const std::string& layer) {
  const std::size_t at = layer.rfind(k_release_separator);
  if (at == std::string::npos) return {layer, Release::none, {}};
  DrawnLayer d{layer.substr(0, at), std::nullopt, layer.substr(at + 1)};
  if (d.suffix == "none") d.release = Release::none;
  if (d.suffix == "hinge_start") d.release = Release::hinge_start;
  if (d.suffix == "hinge_end") d.release = Release::hinge_end;
  if (d.suffix == "pinned") d.release = Release::pinned;
  return d;
}

}  // namespace zervola::frame

// The 3D view's data, window.ZERVOLA_VIEW (viewer/README.md, "The data"):
// the frame, its supports, the load sets (view_sets.cpp) and the modes, as
// one JSON object written piece by piece.

#include <filesystem>
#include <map>
#include <sstream>

#include "output/diagram_output.hpp"
#include "output/view_json.hpp"
#include "output/view_sets.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/placement.hpp"

namespace zervola::frame {
namespace {

// The layout's version: a reader refuses another.
constexpr int k_view_version = 1;

int release_code(Release r) {
  switch (r) {
    case Release::none: return 0;
    case Release::hinge_start: return 1;
    case Release::hinge_end: return 2;
    case Release::pinned: return 3;
  }
  return 0;
}

void write_units(ViewJson& view, const Model& model) {
  view.begin_object();
  view.key("force");
  view.text(model.units.force);
  view.key("length");
  view.text(model.units.length);
  view.key("stress");
  view.text(model.units.force + "/" + model.units.length + "^2");
  view.end_object();
}

void write_nodes(ViewJson& view, const AnalysisResult& r) {
  std::vector<double> xyz;
  xyz.reserve(3 * r.nodes.size());
  for (const Point3& p : r.nodes) xyz.insert(xyz.end(), {p.x, p.y, p.z});
  view.begin_object();
  view.key("xyz");
  view.numbers(xyz, k_place_digits);
  view.end_object();
}

void write_members(ViewJson& view, const Model& model, const AnalysisResult& r,
                   const DiagramBasis& basis, bool all_stations) {
  std::map<std::string, int> section_index;
  for (std::size_t k = 0; k < model.sections.size(); ++k)
    section_index.emplace(model.sections[k].name, static_cast<int>(k));
  std::vector<std::string> names;
  std::vector<std::int32_t> ends;
  std::vector<int> section, release;
  std::vector<double> axes;
  std::vector<std::size_t> station_start{0};
  std::vector<std::int64_t> station_xi;
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Member& m = model.members[e];
    const MemberGeometry& g = r.members[e];
    names.push_back(m.name);
    ends.insert(ends.end(), {g.start_node - 1, g.end_node - 1});
    const auto found = section_index.find(m.section);
    section.push_back(found == section_index.end() ? -1 : found->second);
    for (const Vector3& axis : g.axes) axes.insert(axes.end(), axis.begin(), axis.end());
    release.push_back(release_code(m.release));
    const std::vector<Station>& stations = basis.stations[e];
    for (std::size_t n : view_stations(stations.size(), all_stations))
      station_xi.push_back(quantized(stations[n].x / g.length * k_station_steps, 1.0));
    station_start.push_back(station_xi.size());
  }
  view.begin_object();
  view.key("names");
  view.texts(names);
  view.key("nodes");
  view.integers(ends);
  view.key("section");
  view.integers(section);
  view.key("axes");
  view.numbers(axes, k_axis_digits);
  view.key("release");
  view.integers(release);
  view.key("stationStart");
  view.integers(station_start);
  view.key("stationXi");
  view.integers(station_xi);
  view.end_object();
}

// The held directions as bits: 1 ux, 2 uy, 4 uz, 8 rx, 16 ry, 32 rz.
int restraint_mask(const Support& s) {
  int mask = 0;
  for (std::size_t d = 0; d < s.restrained.size(); ++d)
    if (s.restrained[d]) mask |= 1 << d;
  return mask;
}

void write_supports(ViewJson& view, const Model& model, const AnalysisResult& r) {
  const NodeLocator locator(r.nodes);
  std::vector<std::string> names;
  std::vector<int> node, restrain;
  for (const Support& s : model.supports) {
    const std::int32_t n = locator.find(s.at);
    if (n == 0) continue;  // analyse refuses such a model
    names.push_back(s.name);
    node.push_back(n - 1);
    restrain.push_back(restraint_mask(s));
  }
  view.begin_object();
  view.key("names");
  view.texts(names);
  view.key("node");
  view.integers(node);
  view.key("restrain");
  view.integers(restrain);
  view.end_object();
}

void write_shape(ViewJson& view, const std::vector<std::array<double, 6>>& shape) {
  std::vector<double> flat;
  flat.reserve(6 * shape.size());
  for (const auto& node : shape) flat.insert(flat.end(), node.begin(), node.end());
  view.key("shape");
  view.numbers(flat, k_result_digits);
}

// The natural modes, then every buckling set's modes; the shapes one at a
// time.
void write_modes(ViewJson& view, const AnalysisResult& r) {
  view.begin_array();
  if (r.modal)
    for (const Mode& m : r.modal->modes) {
      view.begin_object();
      view.key("kind");
      view.text("natural");
      view.key("number");
      view.integer(m.number);
      view.key("period");
      view.number(m.period, k_place_digits);  // null for a rigid-body mode
      view.key("frequency");
      view.number(m.frequency, k_place_digits);
      view.key("scale");
      view.number(m.drawing_scale, k_place_digits);
      write_shape(view, m.shape);
      view.end_object();
    }
  for (const BucklingSet& b : r.buckling)
    for (const BucklingMode& m : b.modes) {
      view.begin_object();
      view.key("kind");
      view.text("buckling");
      view.key("number");
      view.integer(m.number);
      view.key("set");
      view.text(b.set);
      view.key("factor");
      view.number(m.factor, k_place_digits);
      view.key("scale");
      view.number(m.drawing_scale, k_place_digits);
      write_shape(view, m.shape);
      view.end_object();
    }
  view.end_array();
}

}  // namespace

void write_view_data(std::ostream& out, const Model& model, const AnalysisResult& r,
                     const ResultDetail& detail) {
  const DiagramBasis basis = diagram_basis(model, r);
  ViewJson view(out);
  view.begin_object();
  view.key("format");
  view.text("zervola-view");
  view.key("version");
  view.integer(k_view_version);
  view.key("title");
  view.text(!model.title.empty() ? model.title
                                 : std::filesystem::path(model.source_file).filename().string());
  view.key("frame");
  view.text(model.frame == FrameKind::plane ? "plane" : "space");
  view.key("units");
  write_units(view, model);
  view.key("signConvention");
  view.text(sign_convention_text());
  view.key("nodes");
  write_nodes(view, r);
  view.key("sections");
  view.begin_object();
  view.key("names");
  view.begin_array();
  for (const Section& s : model.sections) view.text(s.name);
  view.end_array();
  view.end_object();
  view.key("members");
  write_members(view, model, r, basis, detail.stations);
  view.key("supports");
  write_supports(view, model, r);
  view.key("sets");
  write_view_sets(view, model, r, basis, detail.stations);
  view.key("modes");
  write_modes(view, r);
  view.end_object();
  view.flush();
}

std::string format_view_data(const Model& model, const AnalysisResult& r,
                             const ResultDetail& detail) {
  std::ostringstream out;
  write_view_data(out, model, r, detail);
  return std::move(out).str();
}

}  // namespace zervola::frame

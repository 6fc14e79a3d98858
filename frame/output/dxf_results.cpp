// The results drawn back into CAD: a DXF file with the frame, the member
// names, a legend and, per load set, layers for the deformed shape, the
// moment, shear and axial-force diagrams (their extremes as text) and the
// reactions.

#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <map>
#include <set>
#include <sstream>

#include "output/dxf_into_drawing.hpp"
#include "output/dxf_writer.hpp"
#include "reading/drawn_layer.hpp"
#include "output/text_out.hpp"

#include "zervola/frame/combinations.hpp"
#include "zervola/frame/errors.hpp"
#include "output/drawing_scales.hpp"
#include "zervola/frame/internal_forces.hpp"

namespace zervola::frame {
namespace {

constexpr double k_text_share = 0.012;       // text height / frame size
constexpr double k_diagram_share = 0.10;      // largest diagram ordinate / frame size, at most
constexpr double k_arrow_share = 0.08;        // largest reaction arrow / frame size
constexpr double k_smallest_arrow = 0.3;      // shortest arrow, share of the longest
constexpr double k_head_share = 0.2;          // arrow head / arrow length
constexpr int k_deformed_divisions = 16;      // stations of a drawn deformed member
constexpr double k_legend_spacing = 1.6;      // legend line pitch / text height

using Vector = std::array<double, 3>;

Vector at(const Point3& p) { return {p.x, p.y, p.z}; }
double norm(const Vector& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// 1, 2 or 5 times a power of ten, not below v: a diagram's quantity per
// drawn length, so that its largest ordinate stays within its share.
double nice_above(double v) {
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= v) return m * p;
  return 10.0 * p;
}

// What one diagram layer draws: its quantities and the local axis along
// which each is drawn (moments on the tension side).
struct DiagramKindDrawn {
  const char* layer;
  int colour;
  std::vector<std::pair<Quantity, int>> drawn;  // quantity, signed local axis (1 = +y, -1 = -y, 2 = +z)
  const char* unit;                              // "force" or "moment"
};

std::vector<DiagramKindDrawn> diagram_kinds(const Model& model) {
  const bool plane = model.frame == FrameKind::plane;
  std::vector<DiagramKindDrawn> kinds = {
      {"MOMENT", k_dxf_red, {{Quantity::Mz, -1}}, "moment"},
      {"SHEAR", k_dxf_green, {{Quantity::Vy, 1}}, "force"},
      {"AXIAL", k_dxf_magenta, {{Quantity::N, 1}}, "force"}};
  if (!plane) {
    kinds[0].drawn.push_back({Quantity::My, 2});
    kinds[1].drawn.push_back({Quantity::Vz, 2});
  }
  return kinds;
}

class DxfResults {
 public:
  DxfResults(const Model& model, const AnalysisResult& r, const DxfOptions& options)
      : model_(model), r_(r), options_(options), sets_(load_sets(model)) {
    if (!model.dxf_file.empty()) drawing_.emplace(model);
    for (std::size_t k = 0; k < sets_.size(); ++k)
      if (!options.load_set || sets_[k].name == *options.load_set) chosen_.push_back(k);
    if (options.load_set && chosen_.empty())
      throw InputError(fmt::format("--dxf-set: the model has no load case or combination \"{}\"",
                                   *options.load_set));
    lo_ = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    hi_ = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Point3& p : r.nodes)
      for (std::size_t i = 0; i < 3; ++i) {
        lo_[i] = std::min(lo_[i], at(p)[i]);
        hi_[i] = std::max(hi_[i], at(p)[i]);
      }
    if (r.nodes.empty()) lo_ = hi_ = {0.0, 0.0, 0.0};
    size_ = std::max({hi_[0] - lo_[0], hi_[1] - lo_[1], hi_[2] - lo_[2]});
    if (!(size_ > 0.0)) size_ = 1.0;
    text_height_ = k_text_share * size_;
    for (std::size_t e = 0; e < r.members.size(); ++e) {
      stations_.push_back(member_stations(r, e));
      beams_.push_back(beam_properties(model, e, r.members[e].length));
    }
    scale_ = deformation_scale();
    name_layers();
  }

  void write(TextOut& out) {
    if (!drawing_) {
      DxfWriter dxf(out);
      begin(dxf);
      entities(dxf);
      dxf.end();
      out.flush();
      return;
    }
    std::ostringstream layer_text, entity_text;
    TextOut layer_out(layer_text), entity_out(entity_text);
    DxfWriter layer_records(layer_out, drawing_->handles(), drawing_->scale(), drawing_->utf8());
    layer_records.layer_records(layers_);
    layer_out.flush();
    DxfWriter added(entity_out, drawing_->handles(), drawing_->scale(), drawing_->utf8());
    entities(added);
    entity_out.flush();
    drawing_->write(out, layer_text.str(), layers_.size(), entity_text.str());
  }

 private:
  void begin(DxfWriter& dxf) const {
    const double margin = 0.25 * size_;
    const double legend_bottom =
        legend_top() - k_legend_spacing * text_height_ * static_cast<double>(legend_lines());
    dxf.begin(dxf_insunits(model_.units.length),
              {lo_[0] - margin, std::min(lo_[1] - margin, legend_bottom), lo_[2]},
              {hi_[0] + margin, hi_[1] + margin, hi_[2]}, layers_);
  }

  void entities(DxfWriter& dxf) {
    for (const MemberGeometry& g : r_.members)
      dxf.line(fixed_layer_[0], node(g.start_node), node(g.end_node));
    for (std::size_t e = 0; e < r_.members.size(); ++e)
      dxf.text(fixed_layer_[1], point(e, 0.5 * r_.members[e].length, {0, 0, 0}), text_height_,
               model_.members[e].name);
    for (std::size_t k = 0; k < chosen_.size(); ++k) set_layers(dxf, k);
    // Last: it states the diagrams' scales, known once they are drawn.
    legend(dxf);
  }

  [[nodiscard]] Vector node(std::int32_t number) const {
    return at(r_.nodes[static_cast<std::size_t>(number - 1)]);
  }

  // A point of member e at x from its start, moved by offset along its
  // local axes.
  [[nodiscard]] Vector point(std::size_t e, double x, const Vector& offset) const {
    const MemberGeometry& g = r_.members[e];
    const Vector a = node(g.start_node), b = node(g.end_node);
    const double s = x / g.length;
    Vector p{};
    for (std::size_t i = 0; i < 3; ++i)
      p[i] = a[i] + s * (b[i] - a[i]) + g.axes[0][i] * offset[0] + g.axes[1][i] * offset[1] +
             g.axes[2][i] * offset[2];
    return p;
  }

  [[nodiscard]] std::vector<StationValues> values(std::size_t set, std::size_t e,
                                                  const std::vector<Station>& at_stations) const {
    return member_diagram(at_stations, member_state(r_, sets_[set], e), beams_[e]);
  }

  // The given scale, or the largest displacement of any point along the
  // members under the chosen sets drawn at k_deformation_share of the
  // frame's size.
  [[nodiscard]] double deformation_scale() const {
    if (options_.deformation_scale) return *options_.deformation_scale;
    double largest = 0.0;
    for (const std::size_t k : chosen_)
      for (std::size_t e = 0; e < r_.members.size(); ++e)
        for (const StationValues& v : values(k, e, stations_[e]))
          largest = std::max(largest, std::sqrt(v[6] * v[6] + v[7] * v[7] + v[8] * v[8]));
    return largest > 0.0 ? nice_below(k_deformation_share * size_ / largest) : 1.0;
  }

  void name_layers() {
    // Layer names ignore case; the drawing's own layers are not taken over.
    std::set<std::string> taken = drawing_ ? drawing_->layer_names() : std::set<std::string>();
    const auto upper = [](std::string s) {
      for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return s;
    };
    // A name free with every suffix it takes.
    const auto free_name = [&](const std::string& base, const std::vector<std::string>& suffixes) {
      std::string name = k_results_layer_prefix + base;
      const auto taken_with = [&](const std::string& n) {
        return std::any_of(suffixes.begin(), suffixes.end(),
                           [&](const std::string& s) { return taken.contains(upper(n + s)); });
      };
      for (int n = 2; taken_with(name); ++n)
        name = fmt::format("{}{}~{}", k_results_layer_prefix, base, n);
      return name;
    };
    const std::vector<std::pair<std::string, int>> set_kinds = {{"DEFORMED", k_dxf_blue},
                                                                {"MOMENT", k_dxf_red},
                                                                {"SHEAR", k_dxf_green},
                                                                {"AXIAL", k_dxf_magenta},
                                                                {"REACTIONS", k_dxf_yellow}};
    std::vector<std::string> set_suffixes;
    for (const auto& kind : set_kinds) set_suffixes.push_back("-" + kind.first);
    for (const char* fixed : {"FRAME", "MEMBER_NAMES", "LEGEND"}) {
      const std::string name = free_name(fixed, {""});
      fixed_layer_.push_back(name);
      taken.insert(upper(name));
    }
    layers_ = {{fixed_layer_[0], k_dxf_white},
               {fixed_layer_[1], k_dxf_cyan},
               {fixed_layer_[2], k_dxf_white}};
    for (const std::size_t k : chosen_) {
      // Two sets whose names differ only in characters a layer may not hold
      // still get layers of their own.
      const std::string name =
          free_name(dxf_layer_name(sets_[k].name, !drawing_ || drawing_->r12()), set_suffixes);
      set_layer_.push_back(name);
      for (const auto& [suffix, colour] : set_kinds) {
        layers_.push_back({name + "-" + suffix, colour});
        taken.insert(upper(name + "-" + suffix));
      }
    }
  }

  // Below the frame, clear of the arrows of upward reactions and their values.
  [[nodiscard]] double legend_top() const {
    return lo_[1] - k_arrow_share * size_ - 3.0 * text_height_;
  }
  [[nodiscard]] std::size_t legend_lines() const { return 5 + chosen_.size(); }

  void legend(DxfWriter& dxf) {
    const double h = text_height_;
    double y = legend_top();
    const auto line = [&](const std::string& text) {
      dxf.text(fixed_layer_[2], {lo_[0], y, lo_[2]}, h, text);
      y -= k_legend_spacing * h;
    };
    const std::string& f = model_.units.force;
    const std::string& l = model_.units.length;
    line(model_.title.empty() ? model_.source_file : model_.title);
    line(fmt::format("Units: force {0}, length {1}, moment {0} {1}", f, l));
    if (drawing_ && drawing_->unit() != l)
      line(fmt::format("The drawing is in {}: the results' lengths are in {}, as the model's",
                       drawing_->unit(), l));
    line(fmt::format("Deformed shapes drawn {:g} times their size", scale_));
    line("Moments drawn on the tension side; N (compression positive) and Vy towards local +y, "
         "Vz towards local +z");
    for (std::size_t k = 0; k < chosen_.size(); ++k) {
      std::string scales;
      for (const auto& [kind, per_length] : ordinates_[k])
        scales += fmt::format("; {}: {:g} {} per {}", kind, per_length,
                              kind == "MOMENT" ? f + " " + l : f, l);
      line(fmt::format("Layers {}-*: {}{}", set_layer_[k], sets_[chosen_[k]].name, scales));
    }
  }

  void set_layers(DxfWriter& dxf, std::size_t k) {
    const std::size_t set = chosen_[k];
    const std::string& name = set_layer_[k];
    std::vector<std::vector<StationValues>> at_stations;
    for (std::size_t e = 0; e < r_.members.size(); ++e) {
      at_stations.push_back(values(set, e, stations_[e]));
      const std::vector<Station> dense = member_stations(r_, e, k_deformed_divisions);
      const std::vector<StationValues> v = values(set, e, dense);
      std::vector<DxfPoint> points;
      for (std::size_t n = 0; n < dense.size(); ++n)
        points.push_back(point(e, dense[n].x, {scale_ * v[n][6], scale_ * v[n][7], scale_ * v[n][8]}));
      dxf.polyline(name + "-DEFORMED", points);
    }
    std::map<std::string, double> ordinates;
    std::vector<std::array<Extreme, k_quantities>> extremes;  // per member, once
    for (const DiagramKindDrawn& kind : diagram_kinds(model_)) {
      double largest = 0.0;
      for (const auto& member : at_stations)
        for (const StationValues& v : member)
          for (const auto& [q, axis] : kind.drawn)
            largest = std::max(largest, std::abs(v[static_cast<std::size_t>(q)]));
      if (!(largest > 0.0)) continue;
      // The scale stated in the legend is the one drawn: a round quantity
      // per unit of drawn length.
      const double per_length = nice_above(largest / (k_diagram_share * size_));
      ordinates[kind.layer] = per_length;
      if (extremes.empty())
        for (std::size_t e = 0; e < r_.members.size(); ++e)
          extremes.push_back(member_set_extremes(model_, r_, sets_[set], e));
      diagram(dxf, name + "-" + kind.layer, kind, at_stations, extremes, 1.0 / per_length);
    }
    ordinates_.push_back(ordinates);
    reactions(dxf, name + "-REACTIONS", set);
  }

  void diagram(DxfWriter& dxf, const std::string& layer, const DiagramKindDrawn& kind,
               const std::vector<std::vector<StationValues>>& v,
               const std::vector<std::array<Extreme, k_quantities>>& extremes, double ordinate) {
    for (std::size_t e = 0; e < r_.members.size(); ++e) {
      for (const auto& [q, axis] : kind.drawn) {
        const auto i = static_cast<std::size_t>(q);
        const auto offset = [&, signed_axis = axis](double value) {
          Vector o{};
          o[signed_axis == 2 ? 2 : 1] = (signed_axis == -1 ? -1.0 : 1.0) * value * ordinate;
          return o;
        };
        const Extreme& x = extremes[e][i];
        if (x.max == 0.0 && x.min == 0.0) continue;
        std::vector<DxfPoint> points = {point(e, 0.0, {0, 0, 0})};
        for (std::size_t n = 0; n < stations_[e].size(); ++n)
          points.push_back(point(e, stations_[e][n].x, offset(v[e][n][i])));
        points.push_back(point(e, r_.members[e].length, {0, 0, 0}));
        dxf.polyline(layer, points);
        dxf.text(layer, point(e, x.x_max, offset(x.max)), text_height_,
                 fmt::format("{} {:.5g}", k_quantity_names[i], x.max));
        if (x.min != x.max)
          dxf.text(layer, point(e, x.x_min, offset(x.min)), text_height_,
                   fmt::format("{} {:.5g}", k_quantity_names[i], x.min));
      }
    }
  }

  void reactions(DxfWriter& dxf, const std::string& layer, std::size_t set) {
    const CaseResult& c = set_result(r_, set);
    double largest = 0.0;
    for (const Reaction& reaction : c.reactions)
      largest = std::max(largest, norm({reaction.value[0], reaction.value[1], reaction.value[2]}));
    static constexpr std::array<const char*, 6> k_names = {"Rx", "Ry", "Rz", "Mx", "My", "Mz"};
    for (const Reaction& reaction : c.reactions) {
      const Vector p = node(reaction.node);
      const Vector f = {reaction.value[0], reaction.value[1], reaction.value[2]};
      const double size = norm(f);
      if (size > 0.0 && largest > 0.0) {
        const double length =
            k_arrow_share * size_ * std::max(k_smallest_arrow, size / largest);
        Vector tail{}, side{};
        for (std::size_t i = 0; i < 3; ++i) tail[i] = p[i] - f[i] / size * length;
        // The head's two strokes in a plane that holds the arrow.
        const Vector across = std::abs(f[2]) < 0.9 * size ? Vector{0, 0, 1} : Vector{1, 0, 0};
        side = {f[1] * across[2] - f[2] * across[1], f[2] * across[0] - f[0] * across[2],
                f[0] * across[1] - f[1] * across[0]};
        const double sn = norm(side);
        dxf.line(layer, tail, p);
        for (const double sign : {1.0, -1.0}) {
          Vector head{};
          for (std::size_t i = 0; i < 3; ++i)
            head[i] = p[i] - k_head_share * length * (f[i] / size - 0.5 * sign * side[i] / sn);
          dxf.line(layer, head, p);
        }
      }
      std::string text;
      for (std::size_t d = 0; d < 6; ++d)
        if (reaction.value[d] != 0.0)
          text += fmt::format("{}{} {:.5g}", text.empty() ? "" : "  ", k_names[d], reaction.value[d]);
      if (!text.empty())
        dxf.text(layer, {p[0] + 0.5 * text_height_, p[1] - 2.0 * text_height_, p[2]}, text_height_,
                 fmt::format("node {}: {}", reaction.node, text));
    }
  }

  const Model& model_;
  const AnalysisResult& r_;
  const DxfOptions& options_;
  std::vector<LoadSet> sets_;
  std::vector<std::size_t> chosen_;
  std::optional<DrawingToExtend> drawing_;  // the model's drawing, when it came from one
  std::vector<std::string> fixed_layer_;    // FRAME, MEMBER_NAMES, LEGEND (renamed if taken)
  std::vector<std::string> set_layer_;
  std::vector<DxfLayer> layers_;
  std::vector<std::map<std::string, double>> ordinates_;  // per set: quantity per drawn length, by layer
  std::vector<std::vector<Station>> stations_;
  std::vector<BeamProperties> beams_;
  Vector lo_{}, hi_{};
  double size_ = 1.0;
  double text_height_ = 0.0;
  double scale_ = 1.0;
};

}  // namespace

void write_dxf(std::ostream& out, const Model& model, const AnalysisResult& result,
               const DxfOptions& options) {
  DxfResults results(model, result, options);
  TextOut text(out);
  results.write(text);
}

std::string format_dxf(const Model& model, const AnalysisResult& result,
                       const DxfOptions& options) {
  std::ostringstream out;
  write_dxf(out, model, result, options);
  return std::move(out).str();
}

}  // namespace zervola::frame

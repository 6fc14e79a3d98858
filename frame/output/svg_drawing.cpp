#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>

#include "output/drawing_scales.hpp"
#include "output/svg_labels.hpp"
#include "output/text_out.hpp"

#include "zervola/frame/combinations.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/internal_forces.hpp"

namespace zervola::frame {
namespace {

constexpr double k_panel_width = 960.0;    // px
constexpr double k_margin = 70.0;          // px around the frame
constexpr double k_title_height = 56.0;    // px above each panel's frame
constexpr double k_max_panel_height = 900.0;
constexpr double k_moment_share = 0.10;       // largest moment ordinate / frame size
constexpr double k_arrow_length = 46.0;       // px, largest force
constexpr int k_curve_points = 16;
constexpr double k_labelled_moment_share = 0.3;  // moments written out: at least this share
constexpr double k_tripod_length = 28.0;          // px, the axes symbol
constexpr double k_mode_share = k_deformation_share;  // largest translation of a mode / frame size
constexpr double k_header_height = 92.0;   // px: the drawing's title, units and sign convention
constexpr double k_hinge_offset = 7.0;     // px from the node to a released end's circle
constexpr double k_hinge_radius = 3.5;     // px
constexpr double k_load_arrow_length = 30.0;  // px, the largest member load of a case
constexpr int k_load_arrows = 5;              // arrows along a distributed load
constexpr double k_scale_bar_px = 80.0;       // px, the longest a scale bar is drawn
// Font sizes of the labels (pixels), as the style sets them.
constexpr double k_value_font = 9.0;
constexpr double k_load_font = 10.0;
constexpr double k_node_font = 10.0;
constexpr double k_member_font = 9.0;
constexpr double k_scale_font = 10.0;

struct Screen {
  double x = 0.0;
  double y = 0.0;  // upwards
};

// A parallel projection onto the drawing plane.
struct Projection {
  Vector3 right{};
  Vector3 up{};
  [[nodiscard]] Screen operator()(const Vector3& p) const {
    return {p[0] * right[0] + p[1] * right[1] + p[2] * right[2],
            p[0] * up[0] + p[1] * up[1] + p[2] * up[2]};
  }
};

Vector3 normalised(const Vector3& v) {
  const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / n, v[1] / n, v[2] / n};
}
Vector3 cross(const Vector3& a, const Vector3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Projection projection_for(View view) {
  switch (view) {
    case View::xy: return {{1, 0, 0}, {0, 1, 0}};
    case View::xz: return {{1, 0, 0}, {0, 0, 1}};
    case View::yz: return {{0, 1, 0}, {0, 0, 1}};
    case View::automatic:
    case View::axonometric: {
      // Seen from the front right, above: x to the right, y receding, z up.
      const Vector3 eye = normalised({0.8, -1.4, 0.6});
      const Vector3 forward{-eye[0], -eye[1], -eye[2]};
      const Vector3 right = normalised(cross(forward, {0, 0, 1}));
      return {right, cross(right, forward)};
    }
  }
  return {{1, 0, 0}, {0, 1, 0}};
}

const char* view_name(View v) {
  switch (v) {
    case View::xy: return "plan / x-y plane";
    case View::xz: return "elevation / x-z plane";
    case View::yz: return "side elevation / y-z plane";
    case View::automatic:
    case View::axonometric: return "axonometric view";
  }
  return "";
}

// XML text: its markup characters escaped, and the control characters that
// XML allows in no form (a model built in code may hold them; a model read
// refuses them) shown as U+FFFD, so that the drawing stays well-formed.
std::string escape(const std::string& s) {
  constexpr const char* k_replacement_character = "\xEF\xBF\xBD";
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
          out += k_replacement_character;
        else
          out += c;
    }
  }
  return out;
}

Vector3 pos(const Point3& p) { return {p.x, p.y, p.z}; }

// Characters as drawn: UTF-8 continuation bytes add none.
std::size_t text_length(const std::string& s) {
  std::size_t n = 0;
  for (const char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

double magnitude(const Vector3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

class Panel {
 public:
  Panel(const Model& model, const AnalysisResult& result, const DrawingOptions& options,
        View view)
      : model_(model), result_(result), options_(options), project_(projection_for(view)),
        sets_(load_sets(model)) {
    double lo_x = HUGE_VAL, hi_x = -HUGE_VAL, lo_y = HUGE_VAL, hi_y = -HUGE_VAL;
    Vector3 lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Point3& p : result.nodes) {
      const Screen s = project_(pos(p));
      lo_x = std::min(lo_x, s.x);
      hi_x = std::max(hi_x, s.x);
      lo_y = std::min(lo_y, s.y);
      hi_y = std::max(hi_y, s.y);
      const Vector3 v = pos(p);
      for (std::size_t k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], v[k]);
        hi[k] = std::max(hi[k], v[k]);
      }
    }
    size_ = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
    if (!(size_ > 0.0)) size_ = 1.0;
    if (options.diagram != DiagramKind::none) {
      // Room for the diagrams' largest ordinates beside the frame.
      const double pad = k_moment_share * size_;
      lo_x -= pad;
      hi_x += pad;
      lo_y -= pad;
      hi_y += pad;
    }
    const double w = std::max(hi_x - lo_x, 1e-9 * size_), h = std::max(hi_y - lo_y, 1e-9 * size_);
    const double inner_w = k_panel_width - 2 * k_margin;
    px_per_unit_ = std::min(inner_w / w, (k_max_panel_height - 2 * k_margin) / h);
    if (h * px_per_unit_ < 0.25 * inner_w) px_per_unit_ = std::min(px_per_unit_, inner_w / w);
    frame_height_ = h * px_per_unit_;
    origin_x_ = k_margin + 0.5 * (inner_w - w * px_per_unit_) - lo_x * px_per_unit_;
    top_y_ = hi_y;
  }

  [[nodiscard]] double height() const { return frame_height_ + 2 * k_margin + k_title_height; }

  // set: the load set's index in load_sets (cases, then combinations).
  void draw(TextOut& svg, std::size_t set, double y0, double scale) {
    Out out(svg);
    const LoadSet& s = sets_[set];
    const bool is_case = set < model_.load_cases.size();
    const std::vector<MemberCurve> curves = member_curves(s);
    y0_ = y0 + k_title_height + k_margin;
    fmt::format_to(out, "<g id=\"{}-{}\">\n", is_case ? "case" : "combination",
                   is_case ? set + 1 : set - model_.load_cases.size() + 1);
    fmt::format_to(out, "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"title\">{} {}: {}</text>\n",
                   k_margin * 0.5, y0 + 26.0, is_case ? "Load case" : "Combination",
                   is_case ? set + 1 : set - model_.load_cases.size() + 1, escape(s.name));
    fmt::format_to(out,
                   "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"note\">{}; grey: undeformed, blue: "
                   "deformed shape, displacements drawn {} times their size{}</text>\n",
                   k_margin * 0.5, y0 + 46.0, view_name(resolved_view(model_, options_.view)),
                   fmt::format("{:g}", scale), diagram_note(options_.diagram));
    start_labels(y0);
    undeformed(out);
    hinges(out);
    const double ordinate = options_.diagram != DiagramKind::none ? diagrams(out, curves) : 0.0;
    deformed(out, curves, scale);
    supports(out);
    if (is_case) {
      loads(out, model_.load_cases[set]);
      member_loads(out, set);
    }
    if (options_.labels) labels(out);
    tripod(out, y0 + height() - 18.0);
    scale_bars(out, y0 + height() - 14.0, scale, ordinate);
    fmt::format_to(out, "</g>\n");
  }

  // The largest displacement of any point along the members under load
  // set `set` (not only at the nodes: a beam between fixed nodes moves
  // along its span only).
  [[nodiscard]] double largest_deflection(std::size_t set) const {
    double largest = 0.0;
    for (const MemberCurve& c : member_curves(sets_[set]))
      for (const StationValues& v : c.values)
        largest = std::max(largest, std::sqrt(v[6] * v[6] + v[7] * v[7] + v[8] * v[8]));
    return largest;
  }

  // Mode k (index into ModalResult::modes): the frame undeformed and the
  // mode's shape, its largest translation drawn at k_mode_share of the
  // frame's size.
  void draw_mode(TextOut& svg, std::size_t k, double y0) {
    Out out(svg);
    const Mode& mode = result_.modal->modes[k];
    y0_ = y0 + k_title_height + k_margin;
    fmt::format_to(out, "<g id=\"mode-{}\">\n", mode.number);
    fmt::format_to(out, "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"title\">Mode {}: f = {:.4g} Hz, "
                        "T = {}</text>\n",
                   k_margin * 0.5, y0 + 26.0, mode.number, mode.frequency,
                   std::isfinite(mode.period) ? fmt::format("{:.4g} s", mode.period)
                                              : std::string("rigid body"));
    fmt::format_to(out,
                   "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"note\">{}; {}; grey: undeformed, "
                   "blue: mode shape, largest translation {:g} % of the frame's size</text>\n",
                   k_margin * 0.5, y0 + 46.0, view_name(resolved_view(model_, options_.view)),
                   largest_ratio_note(mode), 100.0 * k_mode_share);
    shape_panel(out, mode.shape, mode.drawing_scale, y0);
  }

  // Buckling mode k of set b (indices into AnalysisResult::buckling and
  // its modes), drawn like a natural mode.
  void draw_buckling_mode(TextOut& svg, std::size_t b, std::size_t k, double y0) {
    Out out(svg);
    const BucklingSet& set = result_.buckling[b];
    const BucklingMode& mode = set.modes[k];
    y0_ = y0 + k_title_height + k_margin;
    fmt::format_to(out, "<g id=\"buckling-{}-{}\">\n", b + 1, mode.number);
    fmt::format_to(out,
                   "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"title\">Buckling mode {} of {} \"{}\": "
                   "alpha_cr = {:.4g}</text>\n",
                   k_margin * 0.5, y0 + 26.0, mode.number, set.combination ? "combination" : "load case",
                   escape(set.set), mode.factor);
    fmt::format_to(out,
                   "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"note\">{}; the loads of the set times "
                   "alpha_cr buckle the frame; grey: undeformed, blue: buckled shape, largest "
                   "translation {:g} % of the frame's size</text>\n",
                   k_margin * 0.5, y0 + 46.0, view_name(resolved_view(model_, options_.view)),
                   100.0 * k_mode_share);
    shape_panel(out, mode.shape, mode.drawing_scale, y0);
  }

  [[nodiscard]] double size() const { return size_; }

 private:
  using Out = TextOutIterator;

  // A mode's or buckled shape's panel below its title: the frame grey, the
  // shape (drawing_scale takes it to a largest translation of 1) drawn at
  // k_mode_share of the frame's size, supports, labels and axes.
  void shape_panel(Out out, const std::vector<std::array<double, 6>>& shape, double drawing_scale,
                   double y0) {
    start_labels(y0);
    undeformed(out);
    hinges(out);
    mode_shape(out, shape, k_mode_share * size_ * drawing_scale);
    supports(out);
    if (options_.labels) labels(out);
    tripod(out, y0 + height() - 18.0);
    scale_bars(out, y0 + height() - 14.0, 0.0, 0.0);
    fmt::format_to(out, "</g>\n");
  }

  // A new panel's labels: none placed yet, its title and its bottom row
  // (axes, scales) kept free.
  void start_labels(double y0) const {
    placer_ = LabelPlacer{};
    placer_.reserve({0.0, y0, k_panel_width, y0 + k_title_height});
    placer_.reserve({0.0, y0 + height() - 40.0, k_panel_width, y0 + height()});
  }

  // Writes text of class cls (font size font px) near the anchor (x, y),
  // where it overlaps no other label; left out when there is no such place.
  void label(Out out, const char* cls, double font, double x, double y,
             const std::string& text) const {
    const std::optional<TextPlace> at = placer_.place(x, y, text_length(text), font);
    if (!at) return;
    fmt::format_to(out, "<text class=\"{}\" x=\"{:.1f}\" y=\"{:.1f}\">{}</text>\n", cls, at->x,
                   at->y, escape(text));
  }

  // A released end as an open circle on the member just off its node.
  void hinges(Out out) const {
    for (std::size_t e = 0; e < result_.members.size(); ++e) {
      const Release release = model_.members[e].release;
      if (release == Release::none) continue;
      const MemberGeometry& g = result_.members[e];
      const Screen a = px(pos(result_.nodes[static_cast<std::size_t>(g.start_node - 1)]));
      const Screen b = px(pos(result_.nodes[static_cast<std::size_t>(g.end_node - 1)]));
      const double length = std::hypot(b.x - a.x, b.y - a.y);
      const double t = length > 0.0 ? std::min(0.5, k_hinge_offset / length) : 0.0;
      const auto ring = [&](const Screen& from, const Screen& to) {
        fmt::format_to(out, "<circle class=\"hinge\" cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"{}\"/>\n",
                       from.x + t * (to.x - from.x), from.y + t * (to.y - from.y), k_hinge_radius);
      };
      if (release == Release::hinge_start || release == Release::pinned) ring(a, b);
      if (release == Release::hinge_end || release == Release::pinned) ring(b, a);
    }
  }

  // The direction whose movable mass the mode carries most of.
  [[nodiscard]] std::string largest_ratio_note(const Mode& mode) const {
    std::size_t best = 0;
    for (std::size_t d = 1; d < mode.effective_mass_ratio.size(); ++d)
      if (mode.effective_mass_ratio[d] > mode.effective_mass_ratio[best]) best = d;
    if (!(mode.effective_mass_ratio[best] > 0.0)) return "no effective mass";
    return fmt::format("largest effective mass ratio {:.1f} % in {}",
                       100.0 * mode.effective_mass_ratio[best], k_participation_directions[best]);
  }

  // Each member between its displaced nodes, bent as an unloaded member
  // bends under its end translations and rotations: a cubic through both
  // ends, whose slope at a hinged end is free (no moment there).
  void mode_shape(Out out, const std::vector<std::array<double, 6>>& shape, double scale) const {
    fmt::format_to(out, "<g class=\"deformed\">\n");
    for (std::size_t e = 0; e < result_.members.size(); ++e) {
      const MemberGeometry& g = result_.members[e];
      const auto& a = shape[static_cast<std::size_t>(g.start_node - 1)];
      const auto& b = shape[static_cast<std::size_t>(g.end_node - 1)];
      // In the member's local axes: translations, and the slopes v' = rz
      // and w' = -ry.
      const auto local = [&](const std::array<double, 6>& d, std::size_t from) {
        Vector3 l{};
        for (std::size_t i = 0; i < 3; ++i)
          l[i] = g.axes[i][0] * d[from] + g.axes[i][1] * d[from + 1] + g.axes[i][2] * d[from + 2];
        return l;
      };
      const Vector3 ua = local(a, 0), ub = local(b, 0), ra = local(a, 3), rb = local(b, 3);
      const Release release = model_.members[e].release;
      const bool free_start = release == Release::hinge_start || release == Release::pinned;
      const bool free_end = release == Release::hinge_end || release == Release::pinned;
      const double L = g.length;
      std::string points;
      for (int n = 0; n <= k_curve_points; ++n) {
        const double s = static_cast<double>(n) / k_curve_points;
        const auto bent = [&](double v0, double slope0, double v1, double slope1) {
          return cubic(s, v0, slope0 * L, v1, slope1 * L, free_start, free_end);
        };
        const Vector3 offset{ua[0] + s * (ub[0] - ua[0]), bent(ua[1], ra[2], ub[1], rb[2]),
                             bent(ua[2], -ra[1], ub[2], -rb[1])};
        const Screen sp = px(along(e, s * L, {scale * offset[0], scale * offset[1],
                                              scale * offset[2]}));
        points += fmt::format("{:.2f},{:.2f} ", sp.x, sp.y);
      }
      fmt::format_to(out, "<polyline points=\"{}\"/>\n", points);
    }
    fmt::format_to(out, "</g>\n");
  }

  // At s in [0, 1]: the cubic with values v0, v1 and slopes (per unit s)
  // d0, d1 at its ends; an end left free has no curvature there instead of
  // its slope, both free: the straight line.
  static double cubic(double s, double v0, double d0, double v1, double d1, bool free0,
                      bool free1) {
    if (free0 && free1) return v0 + s * (v1 - v0);
    if (free1) {  // v''(1) = 0
      const double c = -0.5 * (v1 - v0 - d0);
      return v0 + d0 * s - 3.0 * c * s * s + c * s * s * s;
    }
    if (free0) return cubic(1.0 - s, v1, -d1, v0, -d0, false, true);
    const double s2 = s * s, s3 = s2 * s;
    return (1 - 3 * s2 + 2 * s3) * v0 + (s - 2 * s2 + s3) * d0 + (3 * s2 - 2 * s3) * v1 +
           (s3 - s2) * d1;
  }

  [[nodiscard]] Screen px(const Vector3& p) const {
    const Screen s = project_(p);
    return {origin_x_ + s.x * px_per_unit_, y0_ + (top_y_ - s.y) * px_per_unit_};
  }
  // A direction on screen (pixels, y down) for a model vector.
  [[nodiscard]] Screen dir(const Vector3& v) const {
    const Screen s = project_(v);
    return {s.x, -s.y};
  }

  void undeformed(Out out) const {
    fmt::format_to(out, "<g class=\"undeformed\">\n");
    for (const MemberGeometry& g : result_.members) {
      const Screen a = px(pos(result_.nodes[static_cast<std::size_t>(g.start_node - 1)]));
      const Screen b = px(pos(result_.nodes[static_cast<std::size_t>(g.end_node - 1)]));
      fmt::format_to(out, "<line x1=\"{:.2f}\" y1=\"{:.2f}\" x2=\"{:.2f}\" y2=\"{:.2f}\"/>\n", a.x,
                     a.y, b.x, b.y);
    }
    fmt::format_to(out, "</g>\n");
  }

  // Each member's diagram at dense stations, for drawing.
  struct MemberCurve {
    std::vector<Station> stations;
    std::vector<StationValues> values;
  };

  [[nodiscard]] std::vector<MemberCurve> member_curves(const LoadSet& s) const {
    std::vector<MemberCurve> curves(result_.members.size());
    for (std::size_t e = 0; e < curves.size(); ++e) {
      curves[e].stations = member_stations(result_, e, k_curve_points);
      curves[e].values = member_diagram(curves[e].stations, member_state(result_, s, e),
                                        beam_properties(model_, e, result_.members[e].length));
    }
    return curves;
  }

  // A point of member e at x, moved by offset along its local axes.
  [[nodiscard]] Vector3 along(std::size_t e, double x, const Vector3& offset) const {
    const MemberGeometry& g = result_.members[e];
    const Vector3 p = pos(result_.nodes[static_cast<std::size_t>(g.start_node - 1)]);
    const Vector3 q = pos(result_.nodes[static_cast<std::size_t>(g.end_node - 1)]);
    const double s = x / g.length;
    Vector3 at{};
    for (std::size_t i = 0; i < 3; ++i)
      at[i] = p[i] + s * (q[i] - p[i]) + g.axes[0][i] * offset[0] + g.axes[1][i] * offset[1] +
              g.axes[2][i] * offset[2];
    return at;
  }

  void deformed(Out out, const std::vector<MemberCurve>& curves, double scale) const {
    fmt::format_to(out, "<g class=\"deformed\">\n");
    for (std::size_t e = 0; e < curves.size(); ++e) {
      std::string points;
      for (std::size_t n = 0; n < curves[e].stations.size(); ++n) {
        const StationValues& v = curves[e].values[n];
        const Screen sp = px(along(e, curves[e].stations[n].x,
                                   {scale * v[6], scale * v[7], scale * v[8]}));
        points += fmt::format("{:.2f},{:.2f} ", sp.x, sp.y);
      }
      fmt::format_to(out, "<polyline points=\"{}\"/>\n", points);
    }
    fmt::format_to(out, "</g>\n");
  }

  static const char* diagram_note(DiagramKind k) {
    switch (k) {
      case DiagramKind::none: return "";
      case DiagramKind::moment: return "; red: Mz, green: My (bending moments)";
      case DiagramKind::shear: return "; red: Vy, green: Vz (shear forces)";
      case DiagramKind::axial: return "; red: N (axial force, compression positive)";
    }
    return "";
  }

  // The quantities drawn and the local axis each is drawn along: Mz and Vy
  // along y, My and Vz along z, N along y. Moments lie on the tension side:
  // a positive Mz stretches the -y face, a positive My the +z face.
  [[nodiscard]] std::vector<std::pair<Quantity, std::size_t>> drawn() const {
    switch (options_.diagram) {
      case DiagramKind::moment: return {{Quantity::Mz, 1}, {Quantity::My, 2}};
      case DiagramKind::shear: return {{Quantity::Vy, 1}, {Quantity::Vz, 2}};
      case DiagramKind::axial: return {{Quantity::N, 1}};
      case DiagramKind::none: break;
    }
    return {};
  }

  // Returns the drawn length (model units) per unit of the quantities, 0
  // when nothing is drawn.
  double diagrams(Out out, const std::vector<MemberCurve>& curves) const {
    std::vector<std::pair<Quantity, std::size_t>> kinds = drawn();
    if (model_.frame == FrameKind::plane)
      std::erase_if(kinds, [](const auto& k) { return k.second == 2; });
    double largest = 0.0;
    for (const MemberCurve& c : curves)
      for (const StationValues& v : c.values)
        for (const auto& [q, axis] : kinds)
          largest = std::max(largest, std::abs(v[static_cast<std::size_t>(q)]));
    if (!(largest > 0.0)) return 0.0;
    const double ordinate = k_moment_share * size_ / largest;
    for (std::size_t e = 0; e < curves.size(); ++e)
      for (const auto& [q, binding_axis] : kinds) {
        // A lambda may not capture a structured binding before C++20's later
        // revisions (clang 14 refuses it).
        const auto axis = binding_axis;
        const std::size_t k = static_cast<std::size_t>(q);
        const double side = q == Quantity::Mz ? -ordinate : ordinate;
        const MemberCurve& c = curves[e];
        const Extreme extreme = extremes_of(c, k);
        if (extreme.max == 0.0 && extreme.min == 0.0) continue;
        std::string points;
        const auto point = [&](double x, double value) {
          Vector3 offset{};
          offset[axis] = value * side;
          const Screen sp = px(along(e, x, offset));
          points += fmt::format("{:.2f},{:.2f} ", sp.x, sp.y);
        };
        point(0.0, 0.0);
        for (std::size_t n = 0; n < c.stations.size(); ++n) point(c.stations[n].x, c.values[n][k]);
        point(result_.members[e].length, 0.0);
        fmt::format_to(out, "<polygon class=\"{}\" points=\"{}\"/>\n", axis == 1 ? "mz" : "my",
                       points);
        // Only the larger extremes are written, so that the drawing stays legible.
        for (const auto& [x, value] : {std::pair{extreme.x_max, extreme.max},
                                       std::pair{extreme.x_min, extreme.min}}) {
          if (std::abs(value) < k_labelled_moment_share * largest) continue;
          Vector3 offset{};
          offset[axis] = value * side;
          const Screen sp = px(along(e, x, offset));
          label(out, "value", k_value_font, sp.x, sp.y, fmt::format("{:.3g}", value));
          if (extreme.max == extreme.min) break;
        }
      }
    return ordinate;
  }

  static Extreme extremes_of(const MemberCurve& c, std::size_t k) {
    Extreme e{c.values.front()[k], c.stations.front().x, c.values.front()[k], c.stations.front().x};
    for (std::size_t n = 0; n < c.stations.size(); ++n) {
      if (c.values[n][k] > e.max) { e.max = c.values[n][k]; e.x_max = c.stations[n].x; }
      if (c.values[n][k] < e.min) { e.min = c.values[n][k]; e.x_min = c.stations[n].x; }
    }
    return e;
  }

  void supports(Out out) const {
    for (const Support& s : model_.supports) {
      const Screen n = px(pos(s.at));
      if (s.kind == "fixed") {
        fmt::format_to(out, "<rect class=\"support\" x=\"{:.1f}\" y=\"{:.1f}\" width=\"16\" "
                            "height=\"16\"/>\n", n.x - 8, n.y - 8);
      } else if (s.kind == "pinned" || s.kind == "roller") {
        fmt::format_to(out,
                       "<polygon class=\"support\" points=\"{:.1f},{:.1f} {:.1f},{:.1f} "
                       "{:.1f},{:.1f}\"/>\n",
                       n.x, n.y, n.x - 10, n.y + 16, n.x + 10, n.y + 16);
        if (s.kind == "roller")
          fmt::format_to(out, "<circle class=\"support\" cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"4\"/>\n",
                         n.x, n.y + 21);
      } else {
        fmt::format_to(out,
                       "<polygon class=\"support\" points=\"{0:.1f},{1:.1f} {2:.1f},{3:.1f} "
                       "{0:.1f},{4:.1f} {5:.1f},{3:.1f}\"/>\n",
                       n.x, n.y - 10, n.x + 10, n.y, n.y + 10, n.x - 10);
      }
    }
    for (const Spring& s : model_.springs) {
      const Screen n = px(pos(s.at));
      fmt::format_to(out,
                     "<polyline class=\"spring\" points=\"{0:.1f},{1:.1f} {2:.1f},{3:.1f} "
                     "{4:.1f},{5:.1f} {2:.1f},{6:.1f} {4:.1f},{7:.1f} {0:.1f},{8:.1f}\"/>\n",
                     n.x, n.y, n.x - 6, n.y + 5, n.x + 6, n.y + 10, n.y + 15, n.y + 20, n.y + 25);
    }
  }

  void loads(Out out, const LoadCase& c) const {
    double largest = 0.0;
    for (const NodalLoad& l : c.loads) largest = std::max(largest, magnitude(l.force));
    for (const NodalLoad& l : c.loads) {
      const Screen n = px(pos(l.at));
      // A force seen end on is a dot.
      if (!force_arrow(out, n, l.force, largest) && magnitude(l.force) > 0.0)
        fmt::format_to(out, "<circle class=\"load\" cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"5\"/>\n", n.x, n.y);
      if (l.moment != Vector3{}) moment_arc(out, n, 14.0);
    }
  }

  // Force f (global components) as an arrow onto point at, its length
  // growing with |f| / largest, its size written at its tail. Returns
  // whether it was drawn: not when it is zero or seen end on.
  bool force_arrow(Out out, const Screen& at, const Vector3& f, double largest) const {
    const double size = magnitude(f);
    if (!(size > 0.0) || !(largest > 0.0)) return false;
    const Screen d = dir(f);
    const double dn = std::hypot(d.x, d.y);
    if (dn <= 1e-9 * size) return false;
    const double len = std::max(14.0, k_arrow_length * size / largest);
    const Screen tail{at.x - d.x / dn * len, at.y - d.y / dn * len};
    fmt::format_to(out,
                   "<line class=\"load\" x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" "
                   "y2=\"{:.1f}\" marker-end=\"url(#arrow)\"/>\n",
                   tail.x, tail.y, at.x, at.y);
    label(out, "loadvalue", k_load_font, tail.x, tail.y, fmt::format("{:.3g}", size));
    return true;
  }

  // A moment as an arc with an arrow head around point at (radius in px).
  static void moment_arc(Out out, const Screen& at, double radius) {
    fmt::format_to(out,
                   "<path class=\"load\" d=\"M {0:.1f} {1:.1f} A {2:g} {2:g} 0 1 1 {3:.1f} {4:.1f}\" "
                   "marker-end=\"url(#arrow)\"/>\n",
                   at.x + radius, at.y, radius, at.x, at.y - radius);
  }

  // Load case c's member loads as the analysis placed them on each member:
  // a distributed load as arrows onto the member from a line through their
  // tails, its intensity written at its start (and end, when it varies); a
  // concentrated force as an arrow onto its point, a moment as an arc.
  // Each kind is drawn to its own largest.
  void member_loads(Out out, std::size_t c) const {
    if (c >= result_.member_loads.size()) return;
    const std::vector<LocalMemberLoads>& on = result_.member_loads[c];
    double largest_q = 0.0, largest_f = 0.0;
    for (const LocalMemberLoads& l : on) {
      for (const LinearLoad& d : l.distributed)
        largest_q = std::max({largest_q, magnitude(d.intensity_start), magnitude(d.intensity_end)});
      for (const PointAction& p : l.concentrated) largest_f = std::max(largest_f, magnitude(p.force));
    }
    for (std::size_t e = 0; e < on.size() && e < result_.members.size(); ++e) {
      for (const LinearLoad& d : on[e].distributed) distributed_load(out, e, d, largest_q);
      for (const PointAction& p : on[e].concentrated) {
        const Screen at = px(along(e, p.position, {}));
        static_cast<void>(force_arrow(out, at, global(e, p.force), largest_f));
        if (magnitude(p.moment) > 0.0) moment_arc(out, at, 12.0);
      }
    }
  }

  void distributed_load(Out out, std::size_t e, const LinearLoad& d, double largest) const {
    if (!(largest > 0.0)) return;
    std::string tails;
    std::optional<Screen> first_tail;
    for (int k = 0; k < k_load_arrows; ++k) {
      const double s = static_cast<double>(k) / (k_load_arrows - 1);
      Vector3 q{};
      for (std::size_t i = 0; i < 3; ++i)
        q[i] = d.intensity_start[i] + s * (d.intensity_end[i] - d.intensity_start[i]);
      const Screen tip = px(along(e, d.start + s * (d.end - d.start), {}));
      const Screen dq = dir(global(e, q));
      const double dn = std::hypot(dq.x, dq.y), size = magnitude(q);
      Screen tail = tip;
      // Seen end on (a load across a plane drawing's view) it has no arrow.
      if (size > 0.0 && dn > 1e-9 * size) {
        const double len = k_load_arrow_length * size / largest;
        tail = {tip.x - dq.x / dn * len, tip.y - dq.y / dn * len};
        if (len >= 4.0)
          fmt::format_to(out,
                         "<line class=\"memberload\" x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" "
                         "y2=\"{:.1f}\" marker-end=\"url(#loadarrow)\"/>\n",
                         tail.x, tail.y, tip.x, tip.y);
      }
      if (!first_tail) first_tail = tail;
      tails += fmt::format("{:.1f},{:.1f} ", tail.x, tail.y);
    }
    fmt::format_to(out, "<polyline class=\"memberload\" points=\"{}\"/>\n", tails);
    const double q0 = magnitude(d.intensity_start), q1 = magnitude(d.intensity_end);
    const std::string text = fmt::format("{:.3g}", q0) == fmt::format("{:.3g}", q1)
                                 ? fmt::format("{:.3g}/{}", q0, model_.units.length)
                                 : fmt::format("{:.3g} to {:.3g}/{}", q0, q1, model_.units.length);
    label(out, "loadvalue", k_load_font, first_tail->x, first_tail->y, text);
  }

  // Member e's local vector v in global components.
  [[nodiscard]] Vector3 global(std::size_t e, const Vector3& v) const {
    const MemberGeometry& g = result_.members[e];
    Vector3 out{};
    for (std::size_t i = 0; i < 3; ++i)
      out[i] = g.axes[0][i] * v[0] + g.axes[1][i] * v[1] + g.axes[2][i] * v[2];
    return out;
  }

  // Scale bars along the panel's bottom row, after the axes: lengths, and
  // when drawn the displacements (deformation scale) and the diagrams
  // (drawn length per unit of the quantity, ordinate).
  void scale_bars(Out out, double base_y, double deformation_scale, double ordinate) const {
    double x = k_margin * 0.5 + 2.0 * k_tripod_length + 40.0;
    const auto bar = [&](double model_length_per_unit, const std::string& what,
                         const std::string& unit) {
      const double px_per = model_length_per_unit * px_per_unit_;
      if (!(px_per > 0.0) || !std::isfinite(px_per)) return;
      const double value = nice_below(k_scale_bar_px / px_per);
      const double w = value * px_per;
      fmt::format_to(out,
                     "<path class=\"scalebar\" d=\"M {0:.1f} {1:.1f} v -4 v 4 H {2:.1f} v -4\"/>\n"
                     "<text class=\"scale\" x=\"{0:.1f}\" y=\"{3:.1f}\">{4} {5:g} {6}</text>\n",
                     x, base_y, x + w, base_y - 7.0, what, value, escape(unit));
      const std::string text = fmt::format("{} {:g} {}", what, value, unit);
      x += std::max(w, k_char_width_share * k_scale_font * static_cast<double>(text_length(text))) +
           24.0;
    };
    const std::string& length = model_.units.length;
    bar(1.0, "length", length);
    if (deformation_scale > 0.0) bar(deformation_scale, "displacement", length);
    if (ordinate > 0.0) {
      const std::string moment = model_.units.force + "\u00b7" + length;
      switch (options_.diagram) {
        case DiagramKind::moment: bar(ordinate, "Mz, My", moment); break;
        case DiagramKind::shear: bar(ordinate, "Vy, Vz", model_.units.force); break;
        case DiagramKind::axial: bar(ordinate, "N", model_.units.force); break;
        case DiagramKind::none: break;
      }
    }
  }

  // The global axes as three short arrows in the panel's lower left corner.
  void tripod(Out out, double base_y) const {
    const double x0 = k_margin * 0.5 + k_tripod_length;
    const double y0 = base_y - k_tripod_length;
    const std::array<const char*, 3> names = {"x", "y", "z"};
    for (std::size_t k = 0; k < 3; ++k) {
      Vector3 axis{};
      axis[k] = 1.0;
      const Screen d = dir(axis);
      if (std::hypot(d.x, d.y) < 0.05) continue;  // seen end-on
      const double x1 = x0 + d.x * k_tripod_length, y1 = y0 + d.y * k_tripod_length;
      fmt::format_to(out,
                     "<line class=\"axis\" x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" "
                     "marker-end=\"url(#axisarrow)\"/>\n<text class=\"axislabel\" x=\"{:.1f}\" "
                     "y=\"{:.1f}\">{}</text>\n",
                     x0, y0, x1, y1, x1 + 3, y1 - 3, names[k]);
    }
  }

  void labels(Out out) const {
    for (std::size_t k = 0; k < result_.nodes.size(); ++k) {
      const Screen n = px(pos(result_.nodes[k]));
      fmt::format_to(out, "<circle class=\"node\" cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"2.5\"/>\n", n.x, n.y);
      label(out, "nodelabel", k_node_font, n.x, n.y, std::to_string(k + 1));
    }
    for (std::size_t e = 0; e < result_.members.size(); ++e) {
      const MemberGeometry& g = result_.members[e];
      const Screen a = px(pos(result_.nodes[static_cast<std::size_t>(g.start_node - 1)]));
      const Screen b = px(pos(result_.nodes[static_cast<std::size_t>(g.end_node - 1)]));
      label(out, "memberlabel", k_member_font, 0.5 * (a.x + b.x), 0.5 * (a.y + b.y),
            model_.members[e].name);
    }
  }

  const Model& model_;
  const AnalysisResult& result_;
  const DrawingOptions& options_;
  Projection project_;
  std::vector<LoadSet> sets_;
  double size_ = 1.0;
  double px_per_unit_ = 1.0;
  double frame_height_ = 0.0;
  double origin_x_ = 0.0;
  double top_y_ = 0.0;
  double y0_ = 0.0;
  // The labels of the panel being drawn.
  mutable LabelPlacer placer_;
};

constexpr const char* k_style =
    "<style>\n"
    ".undeformed line{stroke:#9a9a9a;stroke-width:2;stroke-dasharray:6 3}\n"
    ".deformed polyline{fill:none;stroke:#1f5fbf;stroke-width:2.4}\n"
    ".mz{fill:#d0302f;fill-opacity:0.25;stroke:#d0302f;stroke-width:1}\n"
    ".my{fill:#2f9a3a;fill-opacity:0.25;stroke:#2f9a3a;stroke-width:1}\n"
    ".support{fill:#3a3a3a;stroke:#000;stroke-width:1}\n"
    ".spring{fill:none;stroke:#7a3fbf;stroke-width:1.6}\n"
    ".load{fill:none;stroke:#d07a00;stroke-width:2}\n"
    ".memberload{fill:none;stroke:#d07a00;stroke-width:1.2}\n"
    ".hinge{fill:#fff;stroke:#000;stroke-width:1.2}\n"
    ".scalebar{fill:none;stroke:#000;stroke-width:1.2}\n"
    ".scale{font-size:10px}\n"
    ".node{fill:#000}\n"
    "text{font-family:DejaVu Sans,Helvetica,Arial,sans-serif}\n"
    ".title{font-size:17px;font-weight:bold}\n"
    ".note{font-size:12px;fill:#444}\n"
    ".nodelabel{font-size:10px;fill:#000}\n"
    ".memberlabel{font-size:9px;fill:#555}\n"
    ".value{font-size:9px;fill:#600}\n"
    ".loadvalue{font-size:10px;fill:#a05a00}\n"
    ".axis{stroke:#000;stroke-width:1.2}\n"
    ".axislabel{font-size:11px;font-style:italic}\n"
    "</style>\n"
    "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\" "
    "markerHeight=\"7\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\"#d07a00\"/>"
    "</marker><marker id=\"axisarrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" "
    "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" "
    "fill=\"#000\"/></marker><marker id=\"loadarrow\" viewBox=\"0 0 10 10\" refX=\"9\" "
    "refY=\"5\" markerWidth=\"5\" markerHeight=\"5\" orient=\"auto\"><path d=\"M0,0 L10,5 "
    "L0,10 z\" fill=\"#d07a00\"/></marker></defs>\n";

}  // namespace

// The drawing's title, units and sign convention, above its panels.
void svg_header(TextOut& svg, const Model& model) {
  const Units& u = model.units;
  svg.print("<g id=\"header\">\n<text x=\"{0:.1f}\" y=\"24\" class=\"title\">{1}</text>\n"
            "<text x=\"{0:.1f}\" y=\"44\" class=\"note\">Units: force {2}, length {3}, moment "
            "{2}\u00b7{3}, stress {2}/{3}\u00b2; model {4}</text>\n"
            "<text x=\"{0:.1f}\" y=\"62\" class=\"note\">Sign convention: moments drawn on the "
            "tension side; N (compression positive) and Vy drawn towards local +y, Vz towards "
            "local +z;</text>\n"
            "<text x=\"{0:.1f}\" y=\"78\" class=\"note\">local x runs from a member's first "
            "point to its second; a small circle on a member: a hinged end</text>\n</g>\n",
            k_margin * 0.5, escape(model.title.empty() ? model.source_file : model.title),
            escape(u.force), escape(u.length), escape(model.source_file));
}

View resolved_view(const Model& model, View view) {
  if (view != View::automatic) return view;
  return model.frame == FrameKind::plane ? View::xy : View::axonometric;
}

void write_svg(std::ostream& stream, const Model& model, const AnalysisResult& result,
               const DrawingOptions& options) {
  const std::vector<LoadSet> all = load_sets(model);
  std::vector<std::size_t> sets;
  for (std::size_t k = 0; k < all.size(); ++k)
    if (!options.load_case || all[k].name == *options.load_case) sets.push_back(k);
  std::size_t n_modes = result.modal ? result.modal->modes.size() : 0;
  for (const BucklingSet& b : result.buckling) n_modes += b.modes.size();
  // A model with modes and no load set draws its modes alone.
  if (sets.empty() && (options.load_case || n_modes == 0))
    throw InputError(fmt::format("--svg-case: the model has no load case or combination \"{}\"",
                                 options.load_case.value_or("")));
  Panel panel(model, result, options, resolved_view(model, options.view));
  double scale = 1.0;
  if (options.deformation_scale) {
    scale = *options.deformation_scale;
  } else {
    double largest = 0.0;
    for (std::size_t k : sets) largest = std::max(largest, panel.largest_deflection(k));
    if (largest > 0.0) scale = nice_below(k_deformation_share * panel.size() / largest);
  }
  const double height =
      k_header_height + panel.height() * static_cast<double>(sets.size() + n_modes);
  TextOut svg(stream);
  svg.print(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0:.0f}\" height=\"{1:.0f}\" "
      "viewBox=\"0 0 {0:.0f} {1:.0f}\">\n"
      "<title>{2}</title>\n{3}<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n",
      k_panel_width, height, escape(model.title.empty() ? model.source_file : model.title), k_style);
  svg_header(svg, model);
  double y = k_header_height;
  for (std::size_t k : sets) {
    panel.draw(svg, k, y, scale);
    y += panel.height();
  }
  for (std::size_t k = 0; result.modal && k < result.modal->modes.size(); ++k) {
    panel.draw_mode(svg, k, y);
    y += panel.height();
  }
  for (std::size_t b = 0; b < result.buckling.size(); ++b)
    for (std::size_t k = 0; k < result.buckling[b].modes.size(); ++k) {
      panel.draw_buckling_mode(svg, b, k, y);
      y += panel.height();
    }
  svg.write("</svg>\n");
  svg.flush();
}

std::string draw_svg(const Model& model, const AnalysisResult& result,
                     const DrawingOptions& options) {
  std::ostringstream out;
  write_svg(out, model, result, options);
  return std::move(out).str();
}

}  // namespace zervola::frame

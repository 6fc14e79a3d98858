#include "zervola/frame.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "reading/drawn_layer.hpp"
#include "reading/dxf_pairs.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

constexpr int k_entity_code = 0;
constexpr int k_name_code = 2;
constexpr int k_handle_code = 5;
constexpr int k_layer_code = 8;
constexpr int k_variable_code = 9;
constexpr int k_header_integer_code = 70;
constexpr int k_flags_code = 70;
constexpr int k_vertex_count_code = 90;
constexpr int k_lwpolyline_elevation_code = 38;
constexpr int k_bulge_code = 42;
constexpr int k_extrusion_x_code = 210;
constexpr int k_extrusion_y_code = 220;
constexpr int k_extrusion_z_code = 230;

constexpr std::int64_t k_polyline_closed_flag = 1;
constexpr std::int64_t k_polyline_3d_flag = 8;
// Polygon meshes and polyface meshes are surfaces, not chains of bars.
constexpr std::int64_t k_polyline_mesh_flags = 16 | 64;

const std::string k_default_layer = "0";

// The pairs of one entity: its "0 TYPE" pair and what follows up to the next
// group code 0.
struct Entity {
  const DxfPair* start = nullptr;
  const DxfPair* end = nullptr;  // one past the last pair

  [[nodiscard]] std::string_view type() const { return start->value; }
};

class DrawingReader {
 public:
  DrawingReader(const std::vector<DxfPair>& pairs, std::string file)
      : pairs_(pairs), file_(std::move(file)) {}

  DxfDrawing read() {
    std::size_t k = 0;
    for (;;) {
      if (k >= pairs_.size()) fail_end("the drawing ends without its \"0 EOF\" record");
      const DxfPair& p = pairs_[k];
      if (p.code != k_entity_code)
        fail_at(p, file_, "expected \"0 SECTION\" or \"0 EOF\" between sections");
      if (p.value == "EOF") break;
      if (p.value != "SECTION")
        fail_at(p, file_, fmt::format("expected \"0 SECTION\" or \"0 EOF\", found \"{}\"", p.value));
      k = read_section(k + 1);
    }
    finish_polyline(nullptr);
    return {std::move(members_), std::move(ignored_), insunits_, insunits_line_};
  }

 private:
  [[noreturn]] void fail_end(const std::string& problem) const {
    const std::size_t line = pairs_.empty() ? 1 : pairs_.back().line + 1;
    throw InputError(fmt::format("{}:{}: {} (the drawing is cut short)", file_, line, problem));
  }

  // Reads from the pair after "0 SECTION" to the pair after "0 ENDSEC".
  std::size_t read_section(std::size_t k) {
    if (k >= pairs_.size()) fail_end("a section is not terminated by \"0 ENDSEC\"");
    if (pairs_[k].code != k_name_code)
      fail_at(pairs_[k], file_, "expected the section's name (group code 2)");
    const bool entities = pairs_[k].value == "ENTITIES";
    const bool blocks = pairs_[k].value == "BLOCKS";
    if (pairs_[k].value == "HEADER") header(k + 1);
    ++k;
    while (k < pairs_.size() && pairs_[k].code != k_entity_code) ++k;
    for (;;) {
      if (k >= pairs_.size()) fail_end("a section is not terminated by \"0 ENDSEC\"");
      const DxfPair& p = pairs_[k];
      if (p.value == "ENDSEC") break;
      if (p.value == "SECTION" || p.value == "EOF")
        fail_at(p, file_, "the section before this record is not terminated by \"0 ENDSEC\"");
      std::size_t next = k + 1;
      while (next < pairs_.size() && pairs_[next].code != k_entity_code) ++next;
      if (entities) entity({&pairs_[k], pairs_.data() + next});
      if (blocks) block_entity({&pairs_[k], pairs_.data() + next});
      k = next;
    }
    if (results_polyline_) fail_at(pairs_[k], file_, "a POLYLINE is not closed by SEQEND");
    finish_polyline(&pairs_[k]);
    return k + 1;
  }

  // The header's variables, each "9 $NAME" and its values, up to the
  // section's end: only the drawing's unit is read.
  void header(std::size_t k) {
    for (; k < pairs_.size() && pairs_[k].code != k_entity_code; ++k) {
      if (pairs_[k].code != k_variable_code || pairs_[k].value != "$INSUNITS") continue;
      if (k + 1 >= pairs_.size() || pairs_[k + 1].code != k_header_integer_code)
        fail_at(pairs_[k], file_, "$INSUNITS without its value (group code 70)");
      insunits_ = static_cast<int>(std::clamp<std::int64_t>(dxf_integer(pairs_[k + 1]), -1, 1000));
      insunits_line_ = pairs_[k].line;
    }
  }

  void entity(const Entity& e) {
    const std::string_view type = e.type();
    if (results_polyline_) {
      // The vertices of a polyline on a results layer, to its SEQEND.
      if (type == "VERTEX") return;
      if (type == "SEQEND") {
        results_polyline_ = false;
        return;
      }
      fail_at(*e.start, file_, "a POLYLINE is not closed by SEQEND");
    }
    if (type == "VERTEX") return vertex(e);
    if (type == "SEQEND") return finish_polyline(nullptr, true, e.start);
    finish_polyline(e.start);
    // The results a drawing holds from an earlier analysis are not members.
    if (is_results_layer(layer(e))) {
      results_polyline_ = type == "POLYLINE";
      return;
    }
    if (type == "LINE") return line(e);
    if (type == "POLYLINE") return polyline(e);
    if (type == "LWPOLYLINE") return lwpolyline(e);
    // Anything else, a block reference (INSERT) too, is no member: counted.
    ignore(e, false);
  }

  // A block's definition is drawn only where an INSERT places it, which is
  // refused: what it holds is not read.
  void block_entity(const Entity& e) {
    const std::string_view type = e.type();
    if (type == "BLOCK" || type == "ENDBLK") return;
    ignore(e, true);
  }

  void ignore(const Entity& e, bool in_block) {
    count_ignored(std::string(e.type()), layer(e), in_block, e.start->line);
  }

  void count_ignored(const std::string& type, const std::string& on_layer, bool in_block,
                     std::size_t line) {
    for (IgnoredEntities& i : ignored_)
      if (i.type == type && i.layer == on_layer && i.in_block == in_block) {
        ++i.count;
        return;
      }
    ignored_.push_back({type, on_layer, in_block, 1, line});
  }

  // The one value of group code `code` in the entity, or nothing.
  std::optional<const DxfPair*> find(const Entity& e, int code) const {
    std::optional<const DxfPair*> found;
    for (const DxfPair* p = e.start + 1; p != e.end; ++p) {
      if (p->code != code) continue;
      if (found) fail_at(*p, file_, fmt::format("{} repeats this group code", e.type()));
      found = p;
    }
    return found;
  }

  double real(const Entity& e, int code) const {
    const auto p = find(e, code);
    if (!p)
      fail_at(*e.start, file_, fmt::format("{} lacks group code {} (the entity is incomplete)",
                                           e.type(), code));
    return dxf_real(**p);
  }

  double real_or(const Entity& e, int code, double fallback) const {
    const auto p = find(e, code);
    return p ? dxf_real(**p) : fallback;
  }

  std::string layer(const Entity& e) const {
    const auto p = find(e, k_layer_code);
    return p ? std::string((*p)->value) : k_default_layer;
  }

  // The entity's handle, or empty when it has none.
  std::string handle(const Entity& e) const {
    const auto p = find(e, k_handle_code);
    return p ? std::string((*p)->value) : std::string();
  }

  // A plane polyline in another object coordinate system would need the
  // arbitrary-axis transformation, which is not applied: refuse it.
  void check_extrusion(const Entity& e) const {
    const double x = real_or(e, k_extrusion_x_code, 0.0);
    const double y = real_or(e, k_extrusion_y_code, 0.0);
    const double z = real_or(e, k_extrusion_z_code, 1.0);
    if (x != 0.0 || y != 0.0 || z != 1.0)
      fail_at(*e.start, file_,
              fmt::format("{} has the extrusion direction [{}, {}, {}]; only polylines drawn in "
                          "the world x-y plane, direction [0, 0, 1], are read",
                          e.type(), x, y, z));
  }

  void line(const Entity& e) {
    ++entity_;
    const Point3 a{real(e, 10), real(e, 20), real_or(e, 30, 0.0)};
    const Point3 b{real(e, 11), real(e, 21), real_or(e, 31, 0.0)};
    const std::string h = handle(e);
    add(a, b, fmt::format("LINE {} at line {}", entity_, e.start->line), layer(e),
        h.empty() ? h : k_handle_prefix + h, e.start->line);
  }

  std::int64_t flags(const Entity& e) const {
    const auto p = find(e, k_flags_code);
    const std::int64_t f = p ? dxf_integer(**p) : 0;
    if ((f & k_polyline_mesh_flags) != 0)
      fail_at(p ? **p : *e.start, file_, fmt::format("{} is a mesh, not a chain of bars", e.type()));
    return f;
  }

  void polyline(const Entity& e) {
    ++entity_;
    const std::int64_t f = flags(e);
    Polyline p;
    p.closed = (f & k_polyline_closed_flag) != 0;
    p.three_d = (f & k_polyline_3d_flag) != 0;
    if (!p.three_d) check_extrusion(e);
    p.elevation = real_or(e, 30, 0.0);
    p.layer = layer(e);
    p.handle = handle(e);
    p.entity = entity_;
    p.start = e.start;
    polyline_ = std::move(p);
  }

  void vertex(const Entity& e) {
    if (!polyline_) fail_at(*e.start, file_, "a VERTEX outside a POLYLINE");
    const double z = polyline_->three_d ? real_or(e, 30, 0.0) : polyline_->elevation;
    add_vertex({real(e, 10), real(e, 20), z}, real_or(e, k_bulge_code, 0.0), e.start);
  }

  void lwpolyline(const Entity& e) {
    ++entity_;
    const std::int64_t f = flags(e);
    check_extrusion(e);
    Polyline p;
    p.closed = (f & k_polyline_closed_flag) != 0;
    p.elevation = real_or(e, k_lwpolyline_elevation_code, 0.0);
    p.layer = layer(e);
    p.handle = handle(e);
    p.entity = entity_;
    p.start = e.start;
    polyline_ = std::move(p);
    const auto count = find(e, k_vertex_count_code);
    // The x of a vertex whose y (group code 20) has not come yet.
    bool pending_x = false;
    double x = 0.0;
    for (const DxfPair* q = e.start + 1; q != e.end; ++q) {
      if (q->code == 10) {
        if (pending_x) fail_at(*q, file_, "LWPOLYLINE vertex without its y (group code 20)");
        x = dxf_real(*q);
        pending_x = true;
      } else if (q->code == 20) {
        if (!pending_x)
          fail_at(*q, file_, "LWPOLYLINE y (group code 20) without its x (group code 10)");
        add_vertex({x, dxf_real(*q), polyline_->elevation}, 0.0, q);
        pending_x = false;
      } else if (q->code == k_bulge_code) {
        if (polyline_->points.empty() || pending_x)
          fail_at(*q, file_, "LWPOLYLINE bulge (group code 42) before its vertex");
        polyline_->previous_bulge = dxf_real(*q);
      }
    }
    if (pending_x)
      fail_at(*e.start, file_, "LWPOLYLINE ends with a vertex without its y (group code 20)");
    const auto n = static_cast<std::int64_t>(polyline_->points.size());
    if (count && dxf_integer(**count) != n)
      fail_at(**count, file_,
              fmt::format("LWPOLYLINE announces {} vertices and holds {}", (*count)->value, n));
    finish_polyline(nullptr);
  }

  void add(const Point3& a, const Point3& b, const std::string& what, const std::string& on_layer,
           const std::string& name, std::size_t line) {
    // A line whose two points merge into one node is no member: counted
    // with what the drawing holds besides.
    if (std::abs(a.x - b.x) < k_node_tolerance && std::abs(a.y - b.y) < k_node_tolerance &&
        std::abs(a.z - b.z) < k_node_tolerance) {
      count_ignored("zero-length line", on_layer, false, line);
      return;
    }
    Member m;
    m.name = name.empty() ? fmt::format("{}{}", k_drawn_member_prefix, members_.size() + 1) : name;
    m.from = a;
    m.to = b;
    const DrawnLayer drawn = drawn_layer(on_layer);
    if (!drawn.release)
      throw InputError(fmt::format(
          "{}:{}: {} is on layer \"{}\", whose suffix \"{}\" after '@' is not a release "
          "(none, hinge_start, hinge_end, pinned)",
          file_, line, what, on_layer, drawn.suffix));
    m.section = drawn.section;
    m.release = *drawn.release;
    m.origin = {file_, fmt::format("{} (layer \"{}\"), member {}", what, on_layer, m.name)};
    members_.push_back(std::move(m));
  }

  struct Polyline {
    std::vector<Point3> points;
    bool closed = false;
    bool three_d = false;
    double elevation = 0.0;
    std::string layer;
    std::string handle;
    double previous_bulge = 0.0;
    int entity = 0;
    const DxfPair* start = nullptr;
  };

  void add_vertex(const Point3& point, double bulge, const DxfPair* at) {
    if (!polyline_->points.empty() && polyline_->previous_bulge != 0.0) arc(*at);
    polyline_->points.push_back(point);
    polyline_->previous_bulge = bulge;
  }

  [[noreturn]] void arc(const DxfPair& at) const {
    fail_at(at, file_, fmt::format("polyline {} (layer \"{}\"): an arc segment is not a bar",
                                   polyline_->entity, polyline_->layer));
  }

  // Ends the open polyline. A POLYLINE's vertices must be closed by SEQEND:
  // anything else (`interrupted_by`) means the entity was cut.
  void finish_polyline(const DxfPair* interrupted_by, bool sequence_end = false,
                       const DxfPair* seqend = nullptr) {
    if (sequence_end && !polyline_) fail_at(*seqend, file_, "a SEQEND outside a POLYLINE");
    if (!polyline_) return;
    if (!sequence_end && polyline_->start->value == "POLYLINE") {
      if (interrupted_by)
        fail_at(*interrupted_by, file_,
                fmt::format("polyline {} (line {}) is not closed by SEQEND", polyline_->entity,
                            polyline_->start->line));
      fail_end("a POLYLINE is not closed by SEQEND");
    }
    Polyline p = std::move(*polyline_);
    if (p.closed && p.previous_bulge != 0.0 && p.points.size() > 1) arc(*p.start);
    polyline_.reset();
    const std::size_t n = p.points.size();
    const std::string label = fmt::format("polyline {} at line {}", p.entity, p.start->line);
    const auto segment_name = [&p](std::size_t k) {
      return p.handle.empty() ? std::string()
                              : fmt::format("{}{}.{}", k_handle_prefix, p.handle, k);
    };
    for (std::size_t k = 0; k + 1 < n; ++k)
      add(p.points[k], p.points[k + 1], fmt::format("{} segment {}", label, k + 1), p.layer,
          segment_name(k + 1), p.start->line);
    if (p.closed && n > 2)
      add(p.points[n - 1], p.points[0], fmt::format("{} segment {}", label, n), p.layer,
          segment_name(n), p.start->line);
  }

  const std::vector<DxfPair>& pairs_;
  std::string file_;
  int entity_ = 0;
  int insunits_ = 0;
  std::size_t insunits_line_ = 0;
  bool results_polyline_ = false;  // within a POLYLINE on a results layer
  std::optional<Polyline> polyline_;
  std::vector<Member> members_;
  std::vector<IgnoredEntities> ignored_;
};

}  // namespace

DxfDrawing parse_dxf_drawing(const std::string& text, const std::string& file_name) {
  const std::vector<DxfPair> pairs = read_dxf_pairs(text, file_name);
  DxfDrawing drawing = DrawingReader(pairs, file_name).read();
  if (drawing.members.empty())
    throw InputError(fmt::format("{}: the drawing holds no LINE or polyline", file_name));
  return drawing;
}

std::vector<Member> parse_dxf_members(const std::string& text, const std::string& file_name) {
  return parse_dxf_drawing(text, file_name).members;
}

std::vector<Member> read_dxf_members(const std::string& path) {
  return read_dxf_drawing(path).members;
}

DxfDrawing read_dxf_drawing(const std::string& path) {
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) throw InputError(fmt::format("{}: cannot open the DXF drawing", path));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad() || text.bad()) throw InputError(fmt::format("{}: cannot read the DXF drawing", path));
  return parse_dxf_drawing(text.str(), path);
}

}  // namespace zervola::frame

#include "dxf_reader.hpp"

#include <dl_creationadapter.h>
#include <dl_dxf.h>
#include <fmt/format.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "errors.hpp"

namespace zervola::host {
namespace {

constexpr int k_polyline_closed_flag = 1;
constexpr int k_polyline_3d_flag = 8;

// Collects line segments as dxflib reports the entities.
class SegmentCollector : public DL_CreationAdapter {
 public:
  explicit SegmentCollector(std::string file) : file_(std::move(file)) {}

  void addLine(const DL_LineData& d) override {
    finish_polyline();
    ++entity_;
    add({d.x1, d.y1, d.z1}, {d.x2, d.y2, d.z2}, fmt::format("LINE {}", entity_));
  }

  void addPolyline(const DL_PolylineData& d) override {
    finish_polyline();
    ++entity_;
    polyline_ = Polyline{{}, (d.flags & k_polyline_closed_flag) != 0,
                         (d.flags & k_polyline_3d_flag) != 0, d.elevation, layer(), {}, entity_};
  }

  void addVertex(const DL_VertexData& d) override {
    if (!polyline_) return;
    const double z = polyline_->three_d ? d.z : polyline_->elevation;
    if (!polyline_->points.empty() && polyline_->previous_bulge != 0.0)
      throw InputError(fmt::format("{}: polyline {} (layer \"{}\"): an arc segment is not a bar",
                                   file_, polyline_->entity, polyline_->layer));
    polyline_->points.push_back({d.x, d.y, z});
    polyline_->previous_bulge = d.bulge;
  }

  void endSequence() override { finish_polyline(); }

  void finish() { finish_polyline(); }

  std::vector<Member> members;

 private:
  struct Polyline {
    std::vector<Point3> points;
    bool closed = false;
    bool three_d = false;
    double elevation = 0.0;
    std::string layer;
    double previous_bulge = 0.0;
    int entity = 0;
  };

  std::string layer() { return getAttributes().getLayer(); }

  void add(const Point3& a, const Point3& b, const std::string& what, std::string on_layer = {}) {
    Member m;
    m.name = fmt::format("D{}", members.size() + 1);
    m.from = a;
    m.to = b;
    m.section = on_layer.empty() ? layer() : std::move(on_layer);
    m.origin = {file_, fmt::format("{} (layer \"{}\"), member {}", what, m.section, m.name)};
    members.push_back(std::move(m));
  }

  void finish_polyline() {
    if (!polyline_) return;
    Polyline p = std::move(*polyline_);
    polyline_.reset();
    if (p.closed && p.previous_bulge != 0.0 && p.points.size() > 1)
      throw InputError(fmt::format("{}: polyline {} (layer \"{}\"): an arc segment is not a bar",
                                   file_, p.entity, p.layer));
    const std::size_t n = p.points.size();
    for (std::size_t k = 0; k + 1 < n; ++k)
      add(p.points[k], p.points[k + 1],
          fmt::format("polyline {} segment {}", p.entity, k + 1), p.layer);
    if (p.closed && n > 2)
      add(p.points[n - 1], p.points[0], fmt::format("polyline {} segment {}", p.entity, n), p.layer);
  }

  std::string file_;
  int entity_ = 0;
  std::optional<Polyline> polyline_;
};

}  // namespace

std::vector<Member> read_dxf_members(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw InputError(fmt::format("{}: cannot open the DXF drawing", path));
  SegmentCollector collector(path);
  auto dxf = std::make_unique<DL_Dxf>();
  if (!dxf->in(path, &collector))
    throw InputError(fmt::format("{}: cannot read the DXF drawing", path));
  collector.finish();
  if (collector.members.empty())
    throw InputError(fmt::format("{}: the drawing holds no LINE or polyline", path));
  return std::move(collector.members);
}

}  // namespace zervola::host

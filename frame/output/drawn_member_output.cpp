#include "output/drawn_member_output.hpp"

#include <fmt/format.h>

#include <vector>

#include "output/csv_field.hpp"
#include "output/diagram_output.hpp"
#include "zervola/frame/drawn_members.hpp"

namespace zervola::frame {
namespace {

using nlohmann::json;

std::string member_number(double v) { return fmt::format("{:.6g}", v); }

json extreme_json(const Extreme& x) {
  return {{"max", x.max}, {"x_max", x.x_max}, {"min", x.min}, {"x_min", x.x_min}};
}

}  // namespace

json drawn_members_json(const Model& model) {
  if (model.drawn_members.empty()) return nullptr;
  json out = json::array();
  for (const DrawnMember& d : model.drawn_members) {
    json pieces = json::array();
    for (std::size_t p = 0; p < d.pieces.size(); ++p)
      pieces.push_back({{"member", model.members[d.pieces[p]].name}, {"start", d.piece_starts[p]}});
    out.push_back({{"name", d.name},
                   {"from", {d.from.x, d.from.y, d.from.z}},
                   {"to", {d.to.x, d.to.y, d.to.z}},
                   {"length", d.length},
                   {"pieces", pieces}});
  }
  return out;
}

json drawn_member_results_json(const Model& model, const AnalysisResult& r, std::size_t set) {
  if (model.drawn_members.empty()) return nullptr;
  const std::vector<DrawnMemberResult> results = drawn_member_results(model, r, set);
  json out = json::array();
  for (std::size_t k = 0; k < results.size(); ++k) {
    const DrawnMemberResult& w = results[k];
    json extremes = json::object();
    for (std::size_t q = 0; q < k_quantities; ++q) extremes[k_quantity_names[q]] = extreme_json(w.extremes[q]);
    out.push_back({{"member", model.drawn_members[k].name},
                   {"end_forces", w.end_forces},
                   {"stress", extreme_json(w.stress)},
                   {"extremes", extremes}});
  }
  return out;
}

json drawn_member_envelope_json(const Model& model, const EnvelopeResult& e) {
  if (model.drawn_members.empty()) return nullptr;
  const std::vector<DrawnMemberBounds> bounds = drawn_member_envelope(model, e);
  json out = json::array();
  for (std::size_t k = 0; k < bounds.size(); ++k) {
    const DrawnMemberBounds& b = bounds[k];
    json m{{"member", model.drawn_members[k].name},
           {"stress_max", {{"max", b.stress_max.max}, {"x", b.stress_max.x_max}, {"by", e.sets[b.stress_max.max_by]}}},
           {"stress_min", {{"min", b.stress_min.min}, {"x", b.stress_min.x_min}, {"by", e.sets[b.stress_min.min_by]}}}};
    for (std::size_t q = 0; q < k_quantities; ++q) m[k_quantity_names[q]] = bound_json(b.diagram[q], e);
    out.push_back(m);
  }
  return out;
}

void write_drawn_members_csv(TextOut& t, const Model& model, const AnalysisResult& r) {
  t.write("load_set,member,quantity,max,x_max,min,x_min\n");
  const std::vector<LoadSet> sets = load_sets(model);
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const std::vector<DrawnMemberResult> results = drawn_member_results(model, r, k);
    for (std::size_t m = 0; m < results.size(); ++m) {
      const auto row = [&](const char* quantity, const Extreme& x) {
        t.print("{},{},{},{},{},{},{}\n", csv_field(sets[k].name), csv_field(model.drawn_members[m].name),
                quantity, x.max, x.x_max, x.min, x.x_min);
      };
      row("stress", results[m].stress);
      for (std::size_t q = 0; q < k_quantities; ++q) row(k_quantity_names[q], results[m].extremes[q]);
    }
  }
}

void write_drawn_members_report(TextOut& t, const Model& model) {
  if (model.drawn_members.empty()) return;
  t.write("Members cut where other members cross or end on them (pieces, from x)\n");
  for (const DrawnMember& d : model.drawn_members) {
    std::string pieces;
    for (std::size_t p = 0; p < d.pieces.size(); ++p)
      pieces += fmt::format("{}{} ({})", p == 0 ? "" : ", ", model.members[d.pieces[p]].name,
                            member_number(d.piece_starts[p]));
    t.print("  {:<10} length {}: {}\n", d.name, member_number(d.length), pieces);
  }
  t.write("\n");
}

void write_drawn_member_results_report(TextOut& t, const Model& model, const AnalysisResult& r,
                                       std::size_t set) {
  if (model.drawn_members.empty()) return;
  const std::vector<DrawnMemberResult> results = drawn_member_results(model, r, set);
  t.write("  Members as drawn, along their whole length (x from their \"from\" point): "
          "largest (at x) and smallest (at x)\n");
  const std::vector<std::size_t> shown = shown_quantities(model);
  for (std::size_t m = 0; m < results.size(); ++m) {
    const auto line = [&](bool first, const char* quantity, const Extreme& x) {
      t.print("  {:<10} {:<6} {:>13} ({:>8}) {:>13} ({:>8})\n", first ? model.drawn_members[m].name : "",
              quantity, member_number(x.max), member_number(x.x_max), member_number(x.min), member_number(x.x_min));
    };
    line(true, "stress", results[m].stress);
    for (std::size_t q : shown) line(false, k_quantity_names[q], results[m].extremes[q]);
  }
  t.write("\n");
}

void write_drawn_member_envelope_report(TextOut& t, const Model& model, const EnvelopeResult& e) {
  if (model.drawn_members.empty()) return;
  const std::vector<DrawnMemberBounds> bounds = drawn_member_envelope(model, e);
  t.write("  Members as drawn, along their whole length: largest (at x, by) and smallest (at x, by)\n");
  const std::vector<std::size_t> shown = shown_quantities(model);
  for (std::size_t m = 0; m < bounds.size(); ++m) {
    const auto line = [&](bool first, const char* quantity, const Bound& b) {
      t.print("  {:<10} {:<6} {:>13} ({:>8}, {}) {:>13} ({:>8}, {})\n",
              first ? model.drawn_members[m].name : "", quantity, member_number(b.max), member_number(b.x_max),
              e.sets[b.max_by], member_number(b.min), member_number(b.x_min), e.sets[b.min_by]);
    };
    line(true, "stress", largest_and_smallest(bounds[m].stress_max, bounds[m].stress_min));
    for (std::size_t q : shown) line(false, k_quantity_names[q], bounds[m].diagram[q]);
  }
}

}  // namespace zervola::frame

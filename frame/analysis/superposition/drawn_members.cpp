#include "zervola/frame/drawn_members.hpp"

namespace zervola::frame {
namespace {

// Keeps the larger maximum and the smaller minimum of a piece that begins
// at offset along the drawn member.
void merge(Extreme& whole, bool first, const Extreme& piece, double offset) {
  if (first || piece.max > whole.max) {
    whole.max = piece.max;
    whole.x_max = piece.x_max + offset;
  }
  if (first || piece.min < whole.min) {
    whole.min = piece.min;
    whole.x_min = piece.x_min + offset;
  }
}

void merge(Bound& whole, bool first, const Bound& piece, double offset) {
  if (first || piece.max > whole.max) {
    whole.max = piece.max;
    whole.x_max = piece.x_max + offset;
    whole.max_by = piece.max_by;
  }
  if (first || piece.min < whole.min) {
    whole.min = piece.min;
    whole.x_min = piece.x_min + offset;
    whole.min_by = piece.min_by;
  }
}

}  // namespace

std::vector<DrawnMemberResult> drawn_member_results(const Model& model, const AnalysisResult& r,
                                                    std::size_t k) {
  const LoadSet set = load_sets(model)[k];
  const CaseResult& c = set_result(r, k);
  std::vector<DrawnMemberResult> out;
  for (const DrawnMember& d : model.drawn_members) {
    DrawnMemberResult w;
    const std::array<double, 12>& first = c.end_forces[d.pieces.front()];
    const std::array<double, 12>& last = c.end_forces[d.pieces.back()];
    for (std::size_t i = 0; i < 6; ++i) {
      w.end_forces[i] = first[i];
      w.end_forces[i + 6] = last[i + 6];
    }
    for (std::size_t p = 0; p < d.pieces.size(); ++p) {
      const std::size_t e = d.pieces[p];
      const double offset = d.piece_starts[p];
      merge(w.stress, p == 0,
            {c.stress_max[e], c.stress_max_x[e], c.stress_min[e], c.stress_min_x[e]}, offset);
      const std::array<Extreme, k_quantities> x = member_set_extremes(model, r, set, e);
      for (std::size_t q = 0; q < k_quantities; ++q) merge(w.extremes[q], p == 0, x[q], offset);
    }
    out.push_back(w);
  }
  return out;
}

std::vector<DrawnMemberBounds> drawn_member_envelope(const Model& model, const EnvelopeResult& e) {
  std::vector<DrawnMemberBounds> out;
  for (const DrawnMember& d : model.drawn_members) {
    DrawnMemberBounds w;
    for (std::size_t p = 0; p < d.pieces.size(); ++p) {
      const std::size_t m = d.pieces[p];
      const double offset = d.piece_starts[p];
      merge(w.stress_max, p == 0, e.stress_max[m], offset);
      merge(w.stress_min, p == 0, e.stress_min[m], offset);
      for (std::size_t q = 0; q < k_quantities; ++q) merge(w.diagram[q], p == 0, e.diagram[m][q], offset);
    }
    out.push_back(w);
  }
  return out;
}

}  // namespace zervola::frame

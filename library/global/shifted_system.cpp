#include "global/shifted_system.hpp"

#include <algorithm>
#include <cmath>
#include <span>

#include "element/geometric_stiffness.hpp"
#include "element/global_matrix.hpp"
#include "global/block_kernels.hpp"
#include "global/case_eliminations.hpp"
#include "global/case_substitution.hpp"
#include "global/dense_symmetric_eigen.hpp"
#include "global/free_vibration.hpp"
#include "global/ldlt_solver.hpp"
#include "global/linear_buckling.hpp"
#include "global/shifted_stiffness.hpp"
#include "global/supernodal/node_block_matrix.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/supernodal/supernodal_substitution.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global {

namespace {

using Size = std::size_t;
constexpr Index k_dofs = k_node_dofs;

// The skyline store, as the eigensolvers have always used it: one store
// serves the second matrix first, then K + factor E and its factors.
class SkylineSystem final : public ShiftedSystem {
 public:
  SkylineSystem(const FrameAnalysis& frame, const SymmetricEntries& E)
      : frame_(frame),
        store_(static_cast<Size>(frame.profile_length)),
        A_(SkylineProfile(frame.diag), Vector1<double>(store_.data(), frame.profile_length)),
        shifted_(frame, A_, E) {}

  const std::vector<Prescription>& prescribed() const override { return shifted_.prescribed(); }
  void build(double factor, std::vector<bool>* without_stiffness) override {
    shifted_.build(factor, without_stiffness);
  }
  SymmetricEntries mass_entries(const MassModel& mass, const std::vector<bool>& without) override {
    clear_store();
    assemble_mass(frame_, mass, A_);
    clear(without);
    return nonzero_entries(A_);
  }
  SymmetricEntries geometric_entries(Vector1<const double> axial_force,
                                     const std::vector<bool>& without) override {
    clear_store();
    assemble_geometric(frame_, axial_force, A_);
    clear(without);
    return nonzero_entries(A_);
  }
  SymmetricEntries entries() const override { return nonzero_entries(A_); }
  std::vector<double> diagonal() const override { return diagonal_of(A_); }
  void factorise() override { global::factorise(A_); }
  bool has_small_pivot(const std::vector<double>& diagonal, double share) const override {
    return global::has_small_pivot(A_, diagonal, share);
  }
  Index negative_pivots() const override { return global::negative_pivots(A_); }
  void solve_block(const double* X, double* Y, Index k) override {
    global::solve_block(A_, X, Y, k, rows_);
  }
  void report_pivots(const std::vector<double>& diagonal, const std::vector<bool>& without,
                     double small_share, std::size_t most_shapes, EquationPivots& p) override {
    global::report_pivots(A_, diagonal, without, shifted_.prescribed(), small_share, most_shapes, p);
  }

 private:
  void clear_store() { std::fill(store_.data(), store_.data() + frame_.profile_length, 0.0); }
  void clear(const std::vector<bool>& without) {
    for (const Prescription& q : shifted_.prescribed())
      clear_equation(A_, q.equation, frame_.supports.max_column_height);
    for (Index j = 1; j <= frame_.n_equations; ++j)
      if (without[static_cast<Size>(j - 1)]) clear_equation(A_, j, frame_.supports.max_column_height);
  }

  const FrameAnalysis& frame_;
  ZeroedStore store_;
  SkylineMatrix A_;
  ShiftedStiffness shifted_;
  std::vector<double> rows_;
};

// Node blocks and their supernodal factors: the same steps, the matrix
// built afresh from the elements for each factorisation as the skyline's is.
class SupernodalSystem final : public ShiftedSystem {
 public:
  SupernodalSystem(const FrameAnalysis& frame, const SymmetricEntries& E,
                   const supernodal::SupernodalSetup& setup)
      : frame_(frame),
        E_(E),
        setup_(setup),
        graph_(supernodal::node_graph(
            frame.n_nodes,
            std::span<const HostInt>(frame.model.element_nodes.data(),
                                     static_cast<Size>(2 * frame.model.element_nodes.cols())))),
        partition_(supernodal::partition_supernodes(graph_, setup.order)),
        A_(graph_, partition_),
        factor_(partition_),
        prescribed_(prescriptions(frame.supports, frame.n_equations)),
        springs_(springs_of(frame.supports.records)) {}

  const std::vector<Prescription>& prescribed() const override { return prescribed_; }

  void build(double factor, std::vector<bool>* without_stiffness) override {
    A_.clear();
    const Index elements = frame_.model.element_nodes.cols();
    for (Index e = 1; e <= elements; ++e)
      A_.add_element(element::element_matrix(frame_.model, e, frame_.element_frame, frame_.end_codes(e)),
                     frame_.model.element_nodes(1, e), frame_.model.element_nodes(2, e));
    const Index n = frame_.n_equations;
    if (without_stiffness != nullptr) {
      without_stiffness->assign(static_cast<Size>(n), false);
      for (Index j = 1; j <= n; ++j) (*without_stiffness)[static_cast<Size>(j - 1)] = A_(j, j) == 0.0;
    }
    for (Index j = 1; j <= n; ++j)
      if (A_(j, j) == 0.0) A_(j, j) = 1.0;
    for (const NodeRecord& r : springs_) add_spring_terms(A_, r);
    for (const Prescription& q : prescribed_) A_.clear_couplings(q.equation);
    if (factor != 0.0)
      for (Size t = 0; t < E_.value.size(); ++t) A_(E_.row[t], E_.col[t]) += factor * E_.value[t];
  }

  SymmetricEntries mass_entries(const MassModel& mass, const std::vector<bool>& without) override {
    A_.clear();
    for (Index e = 1; e <= frame_.model.element_nodes.cols(); ++e) {
      const element::BarMass bar{mass.bar_mass(e), mass.bar_polar(e)};
      if (bar.translational == 0.0 && bar.polar == 0.0) continue;
      A_.add_element(element::element_mass_matrix(frame_.model, e, frame_.end_codes(e), bar, mass.form),
                     frame_.model.element_nodes(1, e), frame_.model.element_nodes(2, e));
    }
    for (const EquationMass& p : mass.point_masses) A_(p.equation, p.equation) += p.mass;
    clear(without);
    return entries();
  }

  SymmetricEntries geometric_entries(Vector1<const double> axial_force,
                                     const std::vector<bool>& without) override {
    A_.clear();
    for (Index e = 1; e <= frame_.model.element_nodes.cols(); ++e) {
      const double N = axial_force(e);
      if (N == 0.0) continue;
      A_.add_element(element::element_geometric_matrix(frame_.model, e, frame_.end_codes(e), N),
                     frame_.model.element_nodes(1, e), frame_.model.element_nodes(2, e));
    }
    clear(without);
    return entries();
  }

  SymmetricEntries entries() const override {
    SymmetricEntries s;
    s.n = frame_.n_equations;
    A_.for_each_entry([&](Index i, Index j, double v) {
      if (v == 0.0) return;
      s.row.push_back(i);
      s.col.push_back(j);
      s.value.push_back(v);
    });
    return s;
  }

  std::vector<double> diagonal() const override {
    std::vector<double> d(static_cast<Size>(frame_.n_equations));
    for (Index j = 1; j <= frame_.n_equations; ++j) d[static_cast<Size>(j - 1)] = A_(j, j);
    return d;
  }

  void factorise() override {
    const supernodal::SequentialRunner alone;
    factor_.factorise(A_, setup_.path, setup_.runner != nullptr ? *setup_.runner : alone);
  }

  bool has_small_pivot(const std::vector<double>& diagonal, double share) const override {
    for (Index j = 1; j <= frame_.n_equations; ++j)
      if (!(factor_.pivot_at(place(j)) > share * diagonal[static_cast<Size>(j - 1)])) return true;
    return false;
  }

  Index negative_pivots() const override { return factor_.negative_pivots(); }

  void solve_block(const double* X, double* Y, Index k) override {
    const Index n = frame_.n_equations;
    for (Index first = 0; first < k; first += k_cases_per_pass) {
      const Index count = std::min(k_cases_per_pass, k - first);
      const Index width = (count + k_block_width - 1) / k_block_width * k_block_width;
      rows_.assign(static_cast<Size>(n * width), 0.0);
      for (Index c = 0; c < count; ++c)
        for (Index i = 1; i <= n; ++i)
          rows_[static_cast<Size>(place(i) * width + c)] = X[static_cast<Size>((first + c) * n + i - 1)];
      supernodal::substitute(factor_, rows_.data(), width, setup_.path);
      for (Index c = 0; c < count; ++c)
        for (Index i = 1; i <= n; ++i)
          Y[static_cast<Size>((first + c) * n + i - 1)] = rows_[static_cast<Size>(place(i) * width + c)];
    }
  }

  void report_pivots(const std::vector<double>& diagonal, const std::vector<bool>& without,
                     double small_share, std::size_t most_shapes, EquationPivots& p) override {
    const Index n = frame_.n_equations;
    p.small_share = small_share;
    p.most_shapes = most_shapes;
    p.without_stiffness = without;
    p.prescribed.assign(static_cast<Size>(n), false);
    for (const Prescription& q : prescribed_) p.prescribed[static_cast<Size>(q.equation - 1)] = true;
    p.diagonal = diagonal;
    p.pivot.resize(static_cast<Size>(n));
    for (Index j = 1; j <= n; ++j) p.pivot[static_cast<Size>(j - 1)] = factor_.pivot_at(place(j));
    supernodal::strain_free_shapes(factor_, setup_.path, p);
  }

 private:
  [[nodiscard]] Index place(Index j) const { return partition_.place_of(j); }
  void clear(const std::vector<bool>& without) {
    const auto clear_equation = [&](Index k) {
      A_.clear_couplings(k);
      A_(k, k) = 0.0;
    };
    for (const Prescription& q : prescribed_) clear_equation(q.equation);
    for (Index j = 1; j <= frame_.n_equations; ++j)
      if (without[static_cast<Size>(j - 1)]) clear_equation(j);
  }

  const FrameAnalysis& frame_;
  const SymmetricEntries& E_;
  supernodal::SupernodalSetup setup_;
  supernodal::NodeGraph graph_;
  supernodal::SupernodePartition partition_;
  supernodal::NodeBlockMatrix A_;
  supernodal::SupernodalFactor factor_;
  std::vector<Prescription> prescribed_;
  std::vector<NodeRecord> springs_;
  std::vector<double> rows_;
};

}  // namespace

std::unique_ptr<ShiftedSystem> skyline_system(const FrameAnalysis& frame, const SymmetricEntries& E) {
  return std::make_unique<SkylineSystem>(frame, E);
}

std::unique_ptr<ShiftedSystem> supernodal_system(const FrameAnalysis& frame, const SymmetricEntries& E,
                                                 const supernodal::SupernodalSetup& setup) {
  return std::make_unique<SupernodalSystem>(frame, E, setup);
}

Index directions_with_mass(const SymmetricEntries& M) {
  // The node blocks' upper triangles, column-major, node by node.
  const Index nodes = M.n / k_dofs;
  std::vector<std::vector<double>> blocks(static_cast<Size>(nodes));
  for (Size t = 0; t < M.value.size(); ++t) {
    const Index i = M.row[t] - 1, j = M.col[t] - 1;
    if (i / k_dofs != j / k_dofs || j / k_dofs >= nodes) continue;
    std::vector<double>& b = blocks[static_cast<Size>(j / k_dofs)];
    if (b.empty()) b.assign(36, 0.0);
    b[static_cast<Size>(6 * (j % k_dofs) + i % k_dofs)] = M.value[t];
  }
  Index count = 0;
  for (const std::vector<double>& b : blocks) {
    if (b.empty()) continue;
    double largest = 0.0;
    for (const double v : b) largest = std::max(largest, std::fabs(v));
    if (largest == 0.0) continue;
    const SymmetricEigen e = symmetric_eigen(b, 6);
    for (double v : e.values) count += v > k_mass_rank_share * e.values.back() ? 1 : 0;
  }
  return count;
}

}  // namespace zervola::global

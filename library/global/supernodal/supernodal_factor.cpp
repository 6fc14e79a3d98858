#include "global/supernodal/supernodal_factor.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <atomic>
#include <numeric>

#include "global/supernodal/frontal_factorisation.hpp"
#include "global/supernodal/work_buffer.hpp"
#include "global/zeroed_store.hpp"

namespace zervola::global::supernodal {

namespace {

constexpr Index k_dofs = k_node_dofs;
constexpr Index k_none = -1;
// Subtrees handed to the runner per worker: more than one each, so that
// uneven subtrees still share the work out.
constexpr Index k_subtrees_per_worker = 4;
// A front's rows are cleared in tasks of about this many entries (large
// fronts only: below it one task clears them).
constexpr Index k_cleared_per_task = Index{1} << 20;

// The rest of a front once its columns are eliminated, its update matrix,
// kept until the parent takes it in: (m x update_stride(m)) by rows, m = 6
// x its row nodes, lower part. Within one task the supernodes go in
// postorder, so a supernode's children's update matrices are the last ones
// made and not yet taken: they live on the task's stack, and the
// supernode's own is made above them and then moved down in their place.
// Those that pass between tasks (a subtree's root to a supernode above the
// subtrees) are kept apart. The front's columns are the factor's block
// itself: nothing else is obtained per front.
struct Workspace {
  std::vector<Index> local;  // position -> node index within the current front
  WorkBuffer stack;
  std::vector<std::size_t> stack_top;  // where each update matrix on the stack begins
};

std::unique_ptr<Workspace> new_workspace(std::size_t stack) {
  auto w = std::make_unique<Workspace>();
  w->stack.reserve(stack);
  return w;
}

[[nodiscard]] std::size_t update_entries(Index m) { return static_cast<std::size_t>(m * update_stride(m)); }

class Multifrontal {
 public:
  Multifrontal(const NodeBlockMatrix& K, SupernodalFactor& factor, BlockProducts products,
               std::vector<WorkBuffer>& passed, std::vector<Index>& negative,
               const std::vector<std::vector<Index>>& children, const std::vector<bool>& passes)
      : K_(K), factor_(factor), products_(products), passed_(passed), negative_(negative),
        children_(children), passes_(passes) {}

  void supernode(Index s, Workspace& w, const TaskRunner& runner) const {
    const SupernodePartition& p = factor_.partition();
    const Index first = p.first_node[static_cast<std::size_t>(s)];
    const Index own = p.column_nodes(s);
    const Index below = p.row_nodes(s);
    const Index* rows = p.rows.data() + p.first_row[static_cast<std::size_t>(s)];
    const Index columns = k_dofs * own;
    const Index m = k_dofs * below;
    const Index size = columns + m;
    if (w.local.empty()) w.local.assign(static_cast<std::size_t>(p.n_nodes), k_none);
    for (Index t = 0; t < own; ++t) w.local[static_cast<std::size_t>(first + t)] = t;
    for (Index t = 0; t < below; ++t) w.local[static_cast<std::size_t>(rows[t])] = own + t;

    // The children's update matrices on the stack are its last ones, in the
    // children's order; this front's update matrix goes above them.
    const std::vector<Index>& kids = children_[static_cast<std::size_t>(s)];
    std::size_t on_stack = 0;
    for (const Index c : kids)
      if (!passes(c)) ++on_stack;
    const std::size_t release = on_stack > 0 ? w.stack_top[w.stack_top.size() - on_stack] : w.stack.size();
    const std::size_t u_at = w.stack.size();
    const Index u_stride = update_stride(m);
    // An update matrix that passes to a front above the subtrees is made
    // where it is kept, not on the stack and then copied.
    const bool handed_on = passes(s);
    if (handed_on) {
      passed_[static_cast<std::size_t>(s)].resize(update_entries(m));
    } else {
      w.stack.resize(u_at + update_entries(m));
    }

    FrontView f;
    f.L = factor_.block(s);
    f.U = handed_on ? passed_[static_cast<std::size_t>(s)].data() : w.stack.data() + u_at;
    f.size = size;
    f.columns = columns;
    f.u_stride = u_stride;
    // Whole rows of U: the kernels also update the places above the
    // diagonal and past the last column, which nothing reads but which must
    // hold values. A large front's rows are cleared by the runner's tasks.
    const auto clear_rows = [](double* first_row, Index count, Index width, const TaskRunner& tasks) {
      const Index per_task = std::max<Index>(1, k_cleared_per_task / std::max<Index>(width, 1));
      const Index n_tasks = (count + per_task - 1) / per_task;
      const auto clear = [&](Index t) {
        const Index begin = t * per_task;
        std::fill_n(first_row + begin * width, std::min(per_task, count - begin) * width, 0.0);
      };
      if (n_tasks > 1 && tasks.workers() > 1) {
        tasks.run(n_tasks, clear);
      } else {
        for (Index t = 0; t < n_tasks; ++t) clear(t);
      }
    };
    clear_rows(f.L, size, columns, runner);
    clear_rows(f.U, m, u_stride, runner);

    // K's columns of the supernode: all within the factor's block.
    for (Index j = first; j < first + own; ++j) {
      const Index lj = k_dofs * (j - first);
      for (Index b = K_.first_block(j); b < K_.first_block(j + 1); ++b) {
        const Index li = k_dofs * w.local[static_cast<std::size_t>(K_.block_row(b))];
        const double* x = K_.block(b);
        const bool diagonal = b == K_.first_block(j);
        for (Index r = 0; r < k_dofs; ++r) {
          double* out = f.L + (li + r) * columns + lj;
          const Index last = diagonal ? r + 1 : k_dofs;
          for (Index c = 0; c < last; ++c) out[c] += x[r * k_dofs + c];
        }
      }
    }
    std::size_t stacked = w.stack_top.size() - on_stack;
    for (const Index c : kids) {
      const double* u = passes(c) ? passed_[static_cast<std::size_t>(c)].data()
                                  : w.stack.data() + w.stack_top[stacked++];
      extend_add(p, c, u, w, f);
      if (passes(c)) passed_[static_cast<std::size_t>(c)] = WorkBuffer();
    }

    negative_[static_cast<std::size_t>(s)] = factorise_front(f, products_, runner);
    // Above the diagonal of the factor's block: zero, whatever the kernels
    // left there.
    for (Index i = 0; i + 1 < columns; ++i) std::fill_n(f.L + i * columns + i + 1, columns - i - 1, 0.0);

    // The update matrix in its children's place, or handed on.
    w.stack_top.resize(w.stack_top.size() - on_stack);
    const bool kept = p.parent[static_cast<std::size_t>(s)] != k_root && m > 0;
    if (handed_on) {
      w.stack.resize(release);
    } else if (kept) {
      if (release != u_at)
        std::memmove(w.stack.data() + release, w.stack.data() + u_at, update_entries(m) * sizeof(double));
      w.stack.resize(release + update_entries(m));
      w.stack_top.push_back(release);
    } else {
      w.stack.resize(release);
    }
    for (Index t = 0; t < own; ++t) w.local[static_cast<std::size_t>(first + t)] = k_none;
    for (Index t = 0; t < below; ++t) w.local[static_cast<std::size_t>(rows[t])] = k_none;
  }

 private:
  [[nodiscard]] bool passes(Index s) const { return passes_[static_cast<std::size_t>(s)]; }

  // Child c's update matrix u added into the front: a node pair's block
  // goes to the factor's block when its column node is the supernode's own,
  // else to the update matrix.
  static void extend_add(const SupernodePartition& p, Index c, const double* u, const Workspace& w,
                         const FrontView& f) {
    const Index* child_rows = p.rows.data() + p.first_row[static_cast<std::size_t>(c)];
    const Index nodes = p.row_nodes(c);
    const Index stride = update_stride(k_dofs * nodes);
    for (Index a = 0; a < nodes; ++a) {
      const Index la = k_dofs * w.local[static_cast<std::size_t>(child_rows[a])];
      for (Index b = 0; b <= a; ++b) {
        const Index lb = k_dofs * w.local[static_cast<std::size_t>(child_rows[b])];
        const bool in_factor = lb < f.columns;
        for (Index r = 0; r < k_dofs; ++r) {
          const double* in = u + (k_dofs * a + r) * stride + k_dofs * b;
          double* out = in_factor ? f.L + (la + r) * f.columns + lb
                                  : f.U + (la + r - f.columns) * f.u_stride + (lb - f.columns);
          const Index last = a == b ? r + 1 : k_dofs;
          for (Index q = 0; q < last; ++q) out[q] += in[q];
        }
      }
    }
  }

  const NodeBlockMatrix& K_;
  SupernodalFactor& factor_;
  BlockProducts products_;
  std::vector<WorkBuffer>& passed_;
  std::vector<Index>& negative_;
  const std::vector<std::vector<Index>>& children_;
  const std::vector<bool>& passes_;
};

// The most that one workspace's stack holds at once for `sequence`, the
// supernodes it takes in postorder: obtained once, whole, since freshly
// mapped memory costs far more on its first touch than the factorisation's
// passes over it, and a buffer that grows would be fresh memory at every
// step. Out of line: inlined into factorise(), GCC 12 takes its vectors for
// pointers into another object (a false -Wfree-nonheap-object).
[[gnu::noinline]] std::size_t stack_size(const SupernodePartition& p,
                                         const std::vector<Index>& sequence,
                                         const std::vector<bool>& passes) {
  std::size_t need = 0;
  std::vector<std::size_t> held;  // update matrices on the stack, in order
  std::size_t total = 0;
  std::vector<Index> stacked_children(static_cast<std::size_t>(p.n_supernodes()), 0);
  for (const Index s : sequence) {
    const Index m = k_dofs * p.row_nodes(s);
    // This front's update matrix above its children's.
    need = std::max(need, total + update_entries(m));
    for (Index c = 0; c < stacked_children[static_cast<std::size_t>(s)]; ++c) {
      total -= held.back();
      held.pop_back();
    }
    const Index q = p.parent[static_cast<std::size_t>(s)];
    if (q != k_root && m > 0 && !passes[static_cast<std::size_t>(s)]) {
      held.push_back(update_entries(m));
      total += held.back();
      ++stacked_children[static_cast<std::size_t>(q)];
    }
  }
  return need;
}

// The work of each supernode's subtree, in flops.
std::vector<double> subtree_work(const SupernodePartition& p) {
  std::vector<double> work(static_cast<std::size_t>(p.n_supernodes()), 0.0);
  for (Index s = 0; s < p.n_supernodes(); ++s) {
    work[static_cast<std::size_t>(s)] += supernode_flops(p, s);
    const Index q = p.parent[static_cast<std::size_t>(s)];
    if (q != k_root) work[static_cast<std::size_t>(q)] += work[static_cast<std::size_t>(s)];
  }
  return work;
}

}  // namespace

SupernodalFactor::SupernodalFactor(const SupernodePartition& partition) : partition_(&partition) {
  const Index count = partition.n_supernodes();
  offset_.resize(static_cast<std::size_t>(count + 1));
  std::size_t at = 0;
  for (Index s = 0; s < count; ++s) {
    offset_[static_cast<std::size_t>(s)] = at;
    at += static_cast<std::size_t>(columns(s) * front(s));
  }
  offset_[static_cast<std::size_t>(count)] = at;
  // Not zeroed: factorise() writes every entry. Mapped in at once: mapping
  // it on several threads measured slower (two threads that fault pages in
  // at once contend in the kernel).
  values_.reset(new double[at]);
  map_in_pages(values_.get(), at * sizeof(double), k_work_map_in_bytes);
  supernode_of_.resize(static_cast<std::size_t>(partition.n_nodes));
  for (Index s = 0; s < count; ++s)
    for (Index k = partition.first_node[static_cast<std::size_t>(s)]; k < partition.first_node[static_cast<std::size_t>(s + 1)]; ++k)
      supernode_of_[static_cast<std::size_t>(k)] = s;
}

double SupernodalFactor::pivot_at(Index q) const {
  const Index k = q / k_dofs;
  const Index s = supernode_of_[static_cast<std::size_t>(k)];
  const Index c = q - k_dofs * partition_->first_node[static_cast<std::size_t>(s)];
  return block(s)[c * columns(s) + c];
}

namespace {

// How the supernodes are shared out among `workers` workers: the subtrees
// that are tasks, the supernodes above them, which update matrices pass
// between tasks, and the working stacks that each needs.
struct Schedule {
  std::vector<std::vector<Index>> children;
  std::vector<Index> subtrees;          // roots, heaviest first
  std::vector<Index> first_in_subtree;  // by supernode
  std::vector<bool> passes;             // its update matrix goes from a task to the top
  std::vector<Index> top;               // the supernodes above the subtrees, in postorder
  std::size_t largest = 0;              // the stack of the largest subtree
  std::size_t above = 0;                // the stack of the supernodes above
  std::size_t passed = 0;               // the update matrices that pass, all together
};

Schedule schedule(const SupernodePartition& p, Index workers) {
  Schedule h;
  const Index count = p.n_supernodes();
  h.children.resize(static_cast<std::size_t>(count));
  for (Index s = 0; s < count; ++s)
    if (p.parent[static_cast<std::size_t>(s)] != k_root)
      h.children[static_cast<std::size_t>(p.parent[static_cast<std::size_t>(s)])].push_back(s);

  // Subtrees for the runner: split the heaviest until each is a small share
  // of the whole; the supernodes split off stay for afterwards.
  std::vector<bool> on_top(static_cast<std::size_t>(count), false);
  if (workers > 1) {
    const std::vector<double> work = subtree_work(p);
    double total = 0.0;
    for (Index s = 0; s < count; ++s)
      if (p.parent[static_cast<std::size_t>(s)] == k_root) {
        h.subtrees.push_back(s);
        total += work[static_cast<std::size_t>(s)];
      }
    const double share = total / static_cast<double>(workers * k_subtrees_per_worker);
    while (!h.subtrees.empty()) {
      const auto heaviest = std::max_element(h.subtrees.begin(), h.subtrees.end(), [&](Index a, Index b) {
        return work[static_cast<std::size_t>(a)] < work[static_cast<std::size_t>(b)];
      });
      const Index s = *heaviest;
      if (work[static_cast<std::size_t>(s)] <= share || h.children[static_cast<std::size_t>(s)].empty()) break;
      h.subtrees.erase(heaviest);
      on_top[static_cast<std::size_t>(s)] = true;
      for (const Index c : h.children[static_cast<std::size_t>(s)]) h.subtrees.push_back(c);
    }
    std::sort(h.subtrees.begin(), h.subtrees.end(), [&](Index a, Index b) {
      return work[static_cast<std::size_t>(a)] > work[static_cast<std::size_t>(b)];
    });
  } else {
    for (Index s = 0; s < count; ++s)
      if (p.parent[static_cast<std::size_t>(s)] == k_root) h.subtrees.push_back(s);
  }
  // A subtree in postorder is the run of supernodes that ends at its root.
  h.first_in_subtree.resize(static_cast<std::size_t>(count));
  std::iota(h.first_in_subtree.begin(), h.first_in_subtree.end(), Index{0});
  for (Index s = 0; s < count; ++s) {
    const Index q = p.parent[static_cast<std::size_t>(s)];
    if (q != k_root)
      h.first_in_subtree[static_cast<std::size_t>(q)] =
          std::min(h.first_in_subtree[static_cast<std::size_t>(q)], h.first_in_subtree[static_cast<std::size_t>(s)]);
  }
  // An update matrix passes from one task to another when its supernode is
  // a subtree's root below a supernode above the subtrees. Those above go
  // one after the other in postorder, on one stack.
  h.passes.assign(static_cast<std::size_t>(count), false);
  for (Index s = 0; s < count; ++s) {
    const Index q = p.parent[static_cast<std::size_t>(s)];
    h.passes[static_cast<std::size_t>(s)] =
        !on_top[static_cast<std::size_t>(s)] && q != k_root && on_top[static_cast<std::size_t>(q)];
    if (on_top[static_cast<std::size_t>(s)]) h.top.push_back(s);
    if (h.passes[static_cast<std::size_t>(s)]) h.passed += update_entries(k_dofs * p.row_nodes(s));
  }
  // The subtrees' workspaces are sized for the subtrees; the one that then
  // takes the supernodes above them grows for those.
  h.above = stack_size(p, h.top, h.passes);
  std::vector<Index> sequence;
  for (const Index root : h.subtrees) {
    sequence.clear();
    for (Index s = h.first_in_subtree[static_cast<std::size_t>(root)]; s <= root; ++s) sequence.push_back(s);
    h.largest = std::max(h.largest, stack_size(p, sequence, h.passes));
  }
  return h;
}

}  // namespace

std::size_t working_entries(const SupernodePartition& partition, Index workers) {
  const Schedule h = schedule(partition, workers);
  const auto slots = static_cast<std::size_t>(std::max<Index>(1, workers));
  // The first worker's stack grows for the supernodes above, by half again
  // at least, and the old one goes only when the new one holds its values.
  const std::size_t grown = h.above > h.largest ? std::max(h.above, h.largest + h.largest / 2) : 0;
  return slots * h.largest + grown + h.passed;
}

void SupernodalFactor::factorise(const NodeBlockMatrix& K, VectorPath path, const TaskRunner& runner) {
  const SupernodePartition& p = *partition_;
  const Index count = p.n_supernodes();
  const Schedule h = schedule(p, runner.workers());
  std::vector<WorkBuffer> passed(static_cast<std::size_t>(count));
  std::vector<Index> negative(static_cast<std::size_t>(count), 0);
  const SequentialRunner alone;
  const Multifrontal m(K, *this, block_products_for(path), passed, negative, h.children, h.passes);
  // One workspace per task that runs at once, each large enough for any
  // task and taken from a shared pool, so that the tasks of one worker
  // reuse the memory it has already touched. No more tasks than workers
  // (nor than subtrees) run at once, so a task always finds a free slot
  // among the first of them (claimed by an atomic exchange; the library
  // takes no lock of the host's). Every workspace, and the update matrices
  // that pass between tasks, are obtained here, on this thread, before the
  // tasks start: where pages are mapped in by several threads at once they
  // contend, and the two threads of the 30 x 30 x 30 building took longer
  // than one.
  const auto slots = static_cast<std::size_t>(std::max<Index>(1, runner.workers()));
  std::vector<std::unique_ptr<Workspace>> pool(slots);
  for (std::size_t k = 0; k < std::min(slots, h.subtrees.size()); ++k) pool[k] = new_workspace(h.largest);
  for (Index s = 0; s < count; ++s)
    if (h.passes[static_cast<std::size_t>(s)])
      passed[static_cast<std::size_t>(s)].reserve(update_entries(k_dofs * p.row_nodes(s)));
  std::unique_ptr<std::atomic<bool>[]> taken(new std::atomic<bool>[slots]);
  for (std::size_t k = 0; k < slots; ++k) taken[k] = false;
  runner.run(static_cast<Index>(h.subtrees.size()), [&](Index t) {
    const Index root = h.subtrees[static_cast<std::size_t>(t)];
    std::size_t slot = 0;
    while (taken[slot].exchange(true)) slot = (slot + 1) % slots;
    // Given back however the task ends (a failing one too).
    struct Release {
      std::atomic<bool>& flag;
      ~Release() { flag = false; }
    } release{taken[slot]};
    for (Index s = h.first_in_subtree[static_cast<std::size_t>(root)]; s <= root; ++s)
      m.supernode(s, *pool[slot], alone);
  });
  if (!pool[0]) pool[0] = new_workspace(0);
  Workspace* w = pool[0].get();
  w->stack.reserve(h.above);
  for (const Index s : h.top) m.supernode(s, *w, runner);
  negative_ = std::accumulate(negative.begin(), negative.end(), Index{0});
}

}  // namespace zervola::global::supernodal

// The skyline factorisation on building-like frames, by the library's
// blocked solver on each vector path this processor runs (forced in turn),
// and by the plain column algorithm. The block kernel of each path on a
// dense product gives the machine's practical peak for that path. After the
// runs a summary prints each model's rates side by side, their ratios, and
// the share that MATRIXG spends outside the factorisation.
//
// Where the build found CHOLMOD, a second table sets the library's solver
// beside CHOLMOD in its own default ordering and in the skyline's node order
// (the same profile), on one and on two BLAS threads: the bench runs itself
// once per thread count with OPENBLAS_NUM_THREADS set (and CHOLMOD's own
// OpenMP threads held to one by OMP_THREAD_LIMIT), since OpenBLAS and
// OpenMP read them only when they start. Each row gives the factorisation's flops (the
// skyline's sum of h^2 over its columns, CHOLMOD's own count of its
// analysis), its wall time and its processor time summed over all threads.
//
// The 30 x 30 x 30 frames take minutes (the column algorithm and CHOLMOD in
// the skyline's order are not run on them); --benchmark_filter selects the
// skyline cases by name, --cholmod=0 leaves CHOLMOD out and
// --cholmod_largest=NX runs it only on frames of at most NX nodes a side.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "global/block_kernels.hpp"
#include "global/case_substitution.hpp"
#include "global/ldlt_solver.hpp"
#include "global/skyline_matrix.hpp"
#include "global/vector_path.hpp"
#include "global/supernodal/supernodal_factor.hpp"
#include "global/supernodal/supernodal_substitution.hpp"
#include "analysis/ordering/nested_dissection.hpp"
#include "analysis/ordering/thread_runner.hpp"
#include "grid_frame.hpp"
#include "processor_name.hpp"

#if ZERVOLA_BENCH_CHOLMOD
#include "cholmod_reference.hpp"
#endif

namespace {

namespace zg = zervola::global;
using bench::GridFrame;
using bench::Numbering;
using bench::Profile;

// A symmetric, diagonally dominant matrix in the frame's profile: the
// factorisation's work depends on the profile alone.
std::vector<double> dominant_store(const Profile& p) {
  std::vector<double> store(static_cast<std::size_t>(p.profile_length));
  std::vector<double> row_sum(p.diag.size(), 0.0);
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  int32_t previous = 0;
  for (std::size_t j = 0; j < p.diag.size(); ++j) {
    const int32_t height = p.diag[j] - previous;
    for (int32_t k = 0; k + 1 < height; ++k) {
      const double v = value(rng);
      store[static_cast<std::size_t>(previous + k)] = v;
      row_sum[j] += std::fabs(v);
      row_sum[j + 1 - static_cast<std::size_t>(height - k)] += std::fabs(v);
    }
    previous = p.diag[j];
  }
  for (std::size_t j = 0; j < p.diag.size(); ++j)
    store[static_cast<std::size_t>(p.diag[j] - 1)] = row_sum[j] + 1.0;
  return store;
}

enum class Method { blocked, columns };

constexpr zg::VectorPath k_paths[] = {zg::VectorPath::portable, zg::VectorPath::avx2,
                                      zg::VectorPath::avx512};

// "blocked-<path>", "columns".
std::string method_name(Method m, zg::VectorPath path) {
  switch (m) {
    case Method::blocked: return std::string("blocked-") + zg::path_name(path);
    case Method::columns: return "columns";
  }
  return "?";
}

struct Model {
  std::string name;
  int nx, ny, nz;
  Numbering numbering;
};

void set_rate(benchmark::State& state, const GridFrame& g, const Profile& p) {
  state.counters["equations"] = g.n_equations;
  state.counters["max_height"] = p.max_column_height;
  state.counters["sum_h2"] = p.sum_h2;
  state.counters["entries"] = p.profile_length;
  state.counters["GFLOP/s"] =
      benchmark::Counter(p.sum_h2 * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
}

void factorise_skyline(benchmark::State& state, const Model& m, Method method,
                       zg::VectorPath path, zervola::Index panel_width = zg::k_panel_width) {
  GridFrame g(m.nx, m.ny, m.nz, m.numbering);
  const Profile p = bench::profile(g);
  const std::vector<double> original = dominant_store(p);
  std::vector<double> store;
  const zg::SkylineProfile sp(
      zervola::Vector1<const int32_t>(p.diag.data(), static_cast<zervola::Index>(p.diag.size())));
  for (auto _ : state) {
    state.PauseTiming();
    store = original;
    const zg::SkylineMatrix K(sp, zervola::Vector1<double>(store.data(), p.profile_length));
    state.ResumeTiming();
    if (method == Method::blocked)
      zg::factorise_blocked(K, path, panel_width);
    else
      zg::factorise_columns(K);
    benchmark::DoNotOptimize(store.data());
  }
  set_rate(state, g, p);
}

void factorise(benchmark::State& state, const Model& m, Method method, zg::VectorPath path) {
  factorise_skyline(state, m, method, path);
}

// The whole analysis through MATRIXG: assembly, supports, factorisation
// and substitution of the frame's real stiffness.
void analyse(benchmark::State& state, const Model& m) {
  GridFrame g(m.nx, m.ny, m.nz, m.numbering);
  const Profile p = bench::profile(g);
  std::vector<double> u;
  for (auto _ : state) {
    u.assign(static_cast<std::size_t>(g.n_equations), 0.0);
    MATRIXG(u.data(), g.records.data(), g.x.data(), g.y.data(), g.z.data(), g.ox.data(),
            g.oy.data(), g.oz.data(), g.pairs.data(), g.sections.data(), p.diag.data(),
            g.codes.data(), &g.space_frame, g.table.data(), &g.n_nodes, &g.n_elements,
            &p.profile_length, &g.n_equations, &g.n_records, &p.max_column_height,
            &g.element_frame);
    benchmark::DoNotOptimize(u.data());
  }
  set_rate(state, g, p);
}

// The supernodal factorisation of the frame's pattern (random, diagonally
// dominant values) in the nested dissection's order or the skyline's, on
// `threads` of the host's threads. Ordering and partition outside the
// timing, as the analysis makes them once per model. As CHOLMOD is timed:
// on the large frames one factorisation that obtains its factor, on the
// small ones repeated factorisations into the same factor (CHOLMOD keeps
// the fastest of five).
void factorise_supernodal(benchmark::State& state, const Model& m, bool dissected,
                          zervola::Index threads) {
  namespace zs = zg::supernodal;
  GridFrame g(m.nx, m.ny, m.nz, m.numbering);
  const zs::NodeGraph graph = zs::node_graph(g.n_nodes, g.pairs);
  std::vector<zervola::Index> order(static_cast<std::size_t>(g.n_nodes));
  for (zervola::Index k = 0; k < g.n_nodes; ++k) order[static_cast<std::size_t>(k)] = k;
  if (dissected) order = zervola::frame::nested_dissection(graph);
  const zs::SupernodePartition p = zs::partition_supernodes(graph, order);
  zs::NodeBlockMatrix K(graph, p);
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (zervola::Index v = 0; v < graph.n_nodes; ++v)
    for (zervola::Index t = graph.first[static_cast<std::size_t>(v)]; t < graph.first[static_cast<std::size_t>(v + 1)]; ++t)
      if (graph.neighbour[static_cast<std::size_t>(t)] > v)
        for (zervola::Index a = 1; a <= 6; ++a)
          for (zervola::Index b = 1; b <= 6; ++b)
            K(6 * v + a, 6 * graph.neighbour[static_cast<std::size_t>(t)] + b) = value(rng);
  for (zervola::Index e = 1; e <= K.n_equations(); ++e) K(e, e) = 1000.0;
  const zs::FactorCost cost = zs::factor_cost(p);
  const zervola::frame::ThreadRunner runner(threads);
  const bool once = m.nx >= 20;
  std::optional<zs::SupernodalFactor> kept;
  if (!once) kept.emplace(p);
  for (auto _ : state) {
    std::optional<zs::SupernodalFactor> fresh;
    zs::SupernodalFactor& f = once ? fresh.emplace(p) : *kept;
    f.factorise(K, zg::best_vector_path(), runner);
    benchmark::DoNotOptimize(f.block(0));
  }
  state.counters["sum_h2"] = cost.flops;
  state.counters["entries"] = static_cast<double>(cost.entries);
  state.counters["GFLOP/s"] =
      benchmark::Counter(cost.flops * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate);
}

// Twenty load cases on one factorisation: substituted together, in passes
// of up to 32 cases on `path`, or one after the other by the single
// substitution. The factorisation is made once, outside the timing.
void substitute_cases_bench(benchmark::State& state, const Model& m, zervola::Index cases,
                            bool together, zg::VectorPath path) {
  GridFrame g(m.nx, m.ny, m.nz, m.numbering);
  const Profile p = bench::profile(g);
  std::vector<double> store = dominant_store(p);
  const zg::SkylineProfile sp(
      zervola::Vector1<const int32_t>(p.diag.data(), static_cast<zervola::Index>(p.diag.size())));
  const zg::SkylineMatrix K(sp, zervola::Vector1<double>(store.data(), p.profile_length));
  zg::factorise(K);
  const auto n = static_cast<zervola::Index>(p.diag.size());
  const zervola::Index width = (cases + zg::k_block_width - 1) / zg::k_block_width * zg::k_block_width;
  std::vector<double> rows(static_cast<std::size_t>(n * width), 1.0);
  std::vector<double> f(static_cast<std::size_t>(n), 1.0);
  for (auto _ : state) {
    if (together) {
      zg::substitute_cases(K, rows.data(), width, path);
      benchmark::DoNotOptimize(rows.data());
    } else {
      for (zervola::Index c = 0; c < cases; ++c) {
        zg::substitute(K, zervola::Vector1<double>(f.data(), n));
        benchmark::DoNotOptimize(f.data());
      }
    }
  }
  state.counters["cases"] = static_cast<double>(cases);
}

// One and twenty load cases substituted on the supernodal factors of a
// frame (the factorisation made once, outside the timing): twenty go in
// one pass of 24 columns.
void substitute_supernodal(benchmark::State& state, const Model& m, zervola::Index cases) {
  namespace zs = zg::supernodal;
  GridFrame g(m.nx, m.ny, m.nz, m.numbering);
  const zs::NodeGraph graph = zs::node_graph(g.n_nodes, g.pairs);
  const zs::SupernodePartition p = zs::partition_supernodes(graph, zervola::frame::nested_dissection(graph));
  zs::NodeBlockMatrix K(graph, p);
  for (zervola::Index e = 1; e <= K.n_equations(); ++e) K(e, e) = 1000.0;
  zs::SupernodalFactor f(p);
  f.factorise(K, zg::best_vector_path(), zs::SequentialRunner());
  const zervola::Index width = (cases + zg::k_block_width - 1) / zg::k_block_width * zg::k_block_width;
  std::vector<double> rows(static_cast<std::size_t>(K.n_equations() * width), 1.0);
  for (auto _ : state) {
    zs::substitute(f, rows.data(), width, zg::best_vector_path());
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["cases"] = static_cast<double>(cases);
}

// A path's practical peak, on the shape of the factorisation's main update:
// C -= A W for `rows` rows of A (each a contiguous stretch of `depth`
// multipliers, as in the store's columns) against a row-major W of depth
// rows by 32 columns (four groups of the kernel side by side, in cache), C
// by rows of 32.
void panel_product(benchmark::State& state, zg::VectorPath path, zervola::Index rows,
                   zervola::Index depth) {
  constexpr zervola::Index k_columns = 32;
  std::vector<double> a(static_cast<std::size_t>(rows * depth), 0.5);
  std::vector<double> w(static_cast<std::size_t>(depth * k_columns), 0.25);
  std::vector<double> c(static_cast<std::size_t>(rows * k_columns), 0.0);
  const zg::BlockProducts products = zg::block_products_for(path);
  for (auto _ : state) {
    for (zervola::Index i = 0; i + zg::k_block_rows <= rows; i += zg::k_block_rows) {
      std::array<const double*, zg::k_block_rows> row{};
      for (zervola::Index r = 0; r < zg::k_block_rows; ++r)
        row[static_cast<std::size_t>(r)] = a.data() + (i + r) * depth;
      zg::BlockUpdate update;
      update.row = row.data();
      update.rows = zg::k_block_rows;
      update.panel = w.data();
      update.panel_step = k_columns;
      update.panel_group_step = zg::k_block_width;
      update.groups = k_columns / zg::k_block_width;
      update.length = depth;
      update.out = c.data() + i * k_columns;
      update.out_step = k_columns;
      update.out_group_step = zg::k_block_width;
      products(update);
    }
    benchmark::DoNotOptimize(c.data());
  }
  const double blocks = static_cast<double>(rows / zg::k_block_rows * zg::k_block_rows);
  state.counters["GFLOP/s"] = benchmark::Counter(
      2.0 * blocks * static_cast<double>(k_columns) * static_cast<double>(depth) * 1.0e-9,
      benchmark::Counter::kIsIterationInvariantRate);
}

// Processor seconds per iteration and GFLOP/s of every run, by name. Both
// count the process's own processor time, as Google Benchmark's rates do:
// on a machine shared with other work the elapsed time says little.
struct Figures {
  double seconds = 0.0, gflops = 0.0;
  double wall = 0.0, flops = 0.0;  // elapsed seconds per iteration; sum of h^2
  double entries = 0.0;            // doubles of the factor (0: not reported)
};

// One CHOLMOD factorisation as a run of the bench on `threads` threads
// reports it: the model, "default" or "skyline" order, and the figures.
struct CholmodRow {
  std::string model, order, ordering;
  int threads = 0;
  double wall = 0.0, processor = 0.0, flops = 0.0, entries = 0.0;
};

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      Figures f;
      f.seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      f.wall = run.real_accumulated_time / static_cast<double>(run.iterations);
      if (const auto it = run.counters.find("GFLOP/s"); it != run.counters.end())
        f.gflops = it->second.value;
      if (const auto it = run.counters.find("sum_h2"); it != run.counters.end())
        f.flops = it->second.value;
      if (const auto it = run.counters.find("entries"); it != run.counters.end())
        f.entries = it->second.value;
      figures_[run.run_name.function_name] = f;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nkernel peak (dense product, best of its sizes), GFLOP/s:");
    for (zg::VectorPath path : k_paths)
      if (const double peak = peak_of(path); peak > 0.0)
        std::printf("  %s %.1f", zg::path_name(path), peak);
    std::printf("\nseconds and rates of processor time; rates count the sum of h^2\n");
    std::printf("\n%-20s", "model");
    for (zg::VectorPath path : k_paths)
      std::printf(" %9s s %7s", zg::path_name(path), "GFLOP/s");
    std::printf(" %12s %8s %8s %8s\n", "avx512/avx2", "of peak", "columns", "best/col");
    for (const std::string& model : models_) {
      // The widest path run on this model is the library's own choice.
      const Figures* best = nullptr;
      double best_peak = 0.0;
      std::printf("%-20s", model.c_str());
      for (zg::VectorPath path : k_paths) {
        const Figures* f = find("factorise/" + model + "/blocked-" + zg::path_name(path));
        std::printf(" %11s %7s", f ? fixed(f->seconds, 4).c_str() : "-",
                    f ? fixed(f->gflops, 1).c_str() : "-");
        if (f != nullptr) {
          best = f;
          best_peak = peak_of(path);
        }
      }
      const Figures* avx2 = find("factorise/" + model + "/blocked-avx2");
      const Figures* avx512 = find("factorise/" + model + "/blocked-avx512");
      const Figures* c = find("factorise/" + model + "/columns");
      std::printf(" %12s %8s %8s %8s\n",
                  avx2 && avx512 ? fixed(avx512->gflops / avx2->gflops, 2).c_str() : "-",
                  best && best_peak > 0.0 ? fixed(best->gflops / best_peak, 2).c_str() : "-",
                  c ? fixed(c->gflops, 2).c_str() : "-",
                  best && c ? fixed(best->gflops / c->gflops, 1).c_str() : "-");
      if (const Figures* a = find("analysis/" + model); a && best)
        std::printf("%-20s MATRIXG %.4f s: %.1f %% beyond the factorisation\n", "",
                    a->seconds, 100.0 * (a->seconds - best->seconds) / best->seconds);
    }
    if (!cholmod_.empty()) print_against_cholmod();
  }

  void add_model(const std::string& name) { models_.push_back(name); }
  void add_cholmod(const std::vector<CholmodRow>& rows) {
    cholmod_.insert(cholmod_.end(), rows.begin(), rows.end());
  }

 private:
  double peak_of(zg::VectorPath path) const {
    const std::string prefix = std::string("dense_product/") + zg::path_name(path) + "/";
    double peak = 0.0;
    for (const auto& [name, f] : figures_)
      if (name.rfind(prefix, 0) == 0) peak = std::max(peak, f.gflops);
    return peak;
  }
  const Figures* find(const std::string& name) const {
    const auto it = figures_.find(name);
    return it == figures_.end() ? nullptr : &it->second;
  }
  static std::string fixed(double v, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, v);
    return text;
  }

  // The library's widest path on each model, its supernodal solver on one
  // and two threads, beside CHOLMOD in its default ordering and in the
  // skyline's, each on one and two threads. Rates by the wall clock; the
  // factor's memory in MB of doubles (the skyline's store, the supernodal
  // factors' blocks, CHOLMOD's L->xsize).
  void print_against_cholmod() const {
    std::printf("\nagainst CHOLMOD, %s\n", bench::processor_name().c_str());
    std::printf("flops: the skyline's sum of h^2, the supernodal factor's sum of c^2 + c, "
                "CHOLMOD's count of its analysis; seconds: wall, and processor time summed over all threads;\n"
                "CHOLMOD's BLAS threads pinned by OPENBLAS_NUM_THREADS (its OpenMP by OMP_THREAD_LIMIT=1), "
                "the supernodal solver's by its runner; GFLOP/s by the wall clock\n\n");
    std::printf("%-20s %-16s %-10s %9s %9s | %-26s | %-26s\n", "", "", "", "", "", "1 thread",
                "2 threads");
    std::printf("%-20s %-16s %-10s %9s %9s | %8s %8s %7s | %8s %8s %7s\n", "model", "solver",
                "ordering", "flops", "factor MB", "wall s", "cpu s", "GFLOP/s", "wall s", "cpu s",
                "GFLOP/s");
    const auto cells = [](const Figures* f) {
      if (f == nullptr)
        std::printf(" %8s %8s %7s |", "-", "-", "-");
      else
        std::printf(" %8.4f %8.4f %7.1f |", f->wall, f->seconds, f->flops * 1.0e-9 / f->wall);
    };
    for (const std::string& model : models_) {
      const Figures* best = nullptr;
      std::string best_name;
      for (zg::VectorPath path : k_paths)
        if (const Figures* f = find("factorise/" + model + "/blocked-" + zg::path_name(path))) {
          best = f;
          best_name = std::string("skyline-") + zg::path_name(path);
        }
      const char* name = model.c_str();
      if (best != nullptr) {
        std::printf("%-20s %-16s %-10s %9.3g %9.1f |", name, best_name.c_str(), "skyline",
                    best->flops, best->entries * 8.0e-6);
        cells(best);
        std::printf(" %8s %8s %7s |\n", "-", "-", "-");
        name = "";
      }
      for (const char* order : {"dissection", "skyline"}) {
        const Figures* one = find("supernodal/" + model + "/" + order + "/1");
        const Figures* two = find("supernodal/" + model + "/" + order + "/2");
        const Figures* any = one ? one : two;
        if (any == nullptr) continue;
        std::printf("%-20s %-16s %-10s %9.3g %9.1f |", name, "supernodal",
                    std::string(order) == "dissection" ? "metis" : "skyline", any->flops,
                    any->entries * 8.0e-6);
        cells(one);
        cells(two);
        std::printf("\n");
        name = "";
      }
      for (const char* order : {"default", "skyline"}) {
        const CholmodRow* one = find_cholmod(model, order, 1);
        const CholmodRow* two = find_cholmod(model, order, 2);
        const CholmodRow* any = one ? one : two;
        if (any == nullptr) continue;
        std::printf("%-20s %-16s %-10s %9.3g %9.1f |", name, "cholmod", any->ordering.c_str(),
                    any->flops, any->entries * 8.0e-6);
        for (const CholmodRow* r : {one, two}) {
          if (r == nullptr)
            std::printf(" %8s %8s %7s |", "-", "-", "-");
          else
            std::printf(" %8.4f %8.4f %7.1f |", r->wall, r->processor,
                        r->flops * 1.0e-9 / r->wall);
        }
        std::printf("\n");
        name = "";
      }
    }
  }
  const CholmodRow* find_cholmod(const std::string& model, const std::string& order,
                                 int threads) const {
    for (const CholmodRow& r : cholmod_)
      if (r.model == model && r.order == order && r.threads == threads) return &r;
    return nullptr;
  }

  std::map<std::string, Figures> figures_;
  std::vector<std::string> models_;
  std::vector<CholmodRow> cholmod_;
};

// The building frames of the summary, small to large.
std::vector<Model> bench_models() {
  return {
      {"floors/10x10x10", 10, 10, 10, Numbering::floors},
      {"diagonal/10x10x10", 10, 10, 10, Numbering::diagonal},
      {"floors/3x3x1000", 3, 3, 1000, Numbering::floors},
      {"floors/20x20x20", 20, 20, 20, Numbering::floors},
      {"diagonal/20x20x20", 20, 20, 20, Numbering::diagonal},
      {"floors/30x30x30", 30, 30, 30, Numbering::floors},
      {"diagonal/30x30x30", 30, 30, 30, Numbering::diagonal},
      {"floors/40x40x40", 40, 40, 40, Numbering::floors},
  };
}

// Takes FLAG=VALUE out of the arguments; `otherwise` when absent.
int take_flag(int& argc, char** argv, const char* flag, int otherwise) {
  int value = otherwise;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
      value = std::atoi(argv[i] + std::strlen(flag));
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return value;
}

// The run that the bench starts per thread count, and the largest frame
// side (nx) that CHOLMOD runs on.
constexpr const char* k_child_flag = "--cholmod_child=";
constexpr const char* k_largest_flag = "--cholmod_largest=";
constexpr int k_largest_side = 30;

#if ZERVOLA_BENCH_CHOLMOD
constexpr const char* k_row_tag = "cholmod-row";
constexpr int k_bench_thread_counts[] = {1, 2};

// Fastest of a few factorisations on the small frames, one on the large.
int cholmod_repetitions(const Model& m) { return m.nx >= 20 ? 1 : 5; }

// In the run that the bench started with OPENBLAS_NUM_THREADS set: CHOLMOD
// on every model, one line each on standard output.
int run_cholmod_child(int largest) {
  for (const Model& m : bench_models()) {
    if (m.nx > largest) continue;
    GridFrame g(m.nx, m.ny, m.nz, m.numbering);
    for (const auto ordering : {bench::CholmodOrdering::own_default,
                                bench::CholmodOrdering::skyline}) {
      // The skyline's order on the largest frames takes minutes.
      if (ordering == bench::CholmodOrdering::skyline && m.nx >= 30) continue;
      const bench::CholmodFigures f =
          bench::factorise_with_cholmod(g.pairs, g.n_nodes, ordering, cholmod_repetitions(m));
      std::printf("%s %s %s %s %.9g %.9g %.9g %.9g\n", k_row_tag, m.name.c_str(),
                  ordering == bench::CholmodOrdering::skyline ? "skyline" : "default",
                  bench::cholmod_ordering_name(f.ordering), f.wall, f.processor, f.flops,
                  f.factor_entries);
      std::fflush(stdout);
    }
  }
  return 0;
}

// Runs this program again on `threads` BLAS threads and reads back its
// lines. OpenBLAS reads OPENBLAS_NUM_THREADS once, when it starts.
// CHOLMOD's supernodal factorisation also asks OpenMP for threads of its own
// (four in Debian's build, whatever OMP_NUM_THREADS says), each of which
// calls the threaded BLAS: OMP_THREAD_LIMIT=1 holds them to one, so that the
// count is the BLAS's alone and two cores are not oversubscribed.
std::vector<CholmodRow> run_cholmod_on_threads(int threads, int largest) {
  std::vector<CholmodRow> rows;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string count = std::to_string(threads);
  const std::string command = "OPENBLAS_NUM_THREADS=" + count + " OMP_NUM_THREADS=1" +
                              " OMP_THREAD_LIMIT=1 '" + self + "' " + k_child_flag +
                              count + " " + k_largest_flag + std::to_string(largest);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return rows;
  char line[512];
  while (std::fgets(line, sizeof line, child) != nullptr) {
    char tag[32], model[64], order[16], ordering[16];
    CholmodRow r;
    if (std::sscanf(line, "%31s %63s %15s %15s %lf %lf %lf %lf", tag, model, order, ordering,
                    &r.wall, &r.processor, &r.flops, &r.entries) != 8 ||
        std::strcmp(tag, k_row_tag) != 0)
      continue;
    r.model = model;
    r.order = order;
    r.ordering = ordering;
    r.threads = threads;
    rows.push_back(r);
  }
  if (pclose(child) != 0)
    std::fprintf(stderr, "the CHOLMOD run on %d threads failed\n", threads);
  return rows;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const int child_threads = take_flag(argc, argv, k_child_flag, 0);
  const bool with_cholmod = take_flag(argc, argv, "--cholmod=", 1) != 0;
  const int largest = take_flag(argc, argv, k_largest_flag, k_largest_side);
#if ZERVOLA_BENCH_CHOLMOD
  if (child_threads > 0) return run_cholmod_child(largest);
#else
  static_cast<void>(child_threads);
  static_cast<void>(with_cholmod);
  static_cast<void>(largest);
#endif
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  // Everything in the second-level cache, then rows streaming from memory.
  std::vector<zg::VectorPath> paths;
  for (zg::VectorPath path : k_paths)
    if (zg::path_available(path)) paths.push_back(path);
  for (zg::VectorPath path : paths)
    for (const auto& [rows, depth] : {std::pair<zervola::Index, zervola::Index>{12, 64},
                                      {12, 128}, {96, 256}, {1200, 1024}})
      benchmark::RegisterBenchmark((std::string("dense_product/") + zg::path_name(path) + "/" +
                                    std::to_string(rows) + "x" + std::to_string(depth))
                                       .c_str(),
                                   [path, rows = rows, depth = depth](benchmark::State& s) {
                                     panel_product(s, path, rows, depth);
                                   })
          ->Unit(benchmark::kMillisecond);

  const std::vector<Model> models = bench_models();
  for (const Model& m : models) {
    reporter.add_model(m.name);
    const bool large = m.nx >= 20;
    const bool huge = m.nx >= 30;
    // The skyline store of the 40 x 40 x 40 frame would take 29 GB.
    const bool beyond_skyline = m.nx >= 40;
    // Each path forced in turn (the portable one not on the huge frames),
    // then the references.
    std::vector<std::pair<Method, zg::VectorPath>> methods;
    for (zg::VectorPath path : paths)
      if ((!huge || path != zg::VectorPath::portable || paths.size() == 1) && !beyond_skyline)
        methods.emplace_back(Method::blocked, path);
    if (!huge) methods.emplace_back(Method::columns, zg::VectorPath::portable);
    for (const auto& [method, path] : methods) {
      auto* b = benchmark::RegisterBenchmark(
          ("factorise/" + m.name + "/" + method_name(method, path)).c_str(),
          [m, method = method, path = path](benchmark::State& s) { factorise(s, m, method, path); });
      b->Unit(large ? benchmark::kSecond : benchmark::kMillisecond);
      if (large) b->Iterations(1);
    }
    for (const zervola::Index threads : {1, 2})
      for (const bool dissected : {true, false}) {
        // In the skyline's order the large frames' fronts are the skyline.
        if (!dissected && huge) continue;
        auto* b = benchmark::RegisterBenchmark(
            ("supernodal/" + m.name + "/" + (dissected ? "dissection" : "skyline") + "/" +
             std::to_string(threads))
                .c_str(),
            [m, dissected, threads](benchmark::State& s) { factorise_supernodal(s, m, dissected, threads); });
        b->Unit(large ? benchmark::kSecond : benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
        if (large) b->Iterations(1);
      }
    if (m.nx == 20 || m.nx == 10) {
      auto* a = benchmark::RegisterBenchmark(("analysis/" + m.name).c_str(),
                                             [m](benchmark::State& s) { analyse(s, m); });
      a->Unit(large ? benchmark::kSecond : benchmark::kMillisecond);
      if (large) a->Iterations(1);
    }
  }
  // Twenty right-hand sides on the factors of the 20 x 20 x 20 frames.
  for (const Model& m : models) {
    if (m.nx != 20) continue;
    constexpr zervola::Index k_cases = 20;
    benchmark::RegisterBenchmark(("substitution/" + m.name + "/20-one-at-a-time").c_str(),
                                 [m](benchmark::State& s) {
                                   substitute_cases_bench(s, m, k_cases, false,
                                                          zg::VectorPath::portable);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    for (zg::VectorPath path : paths)
      benchmark::RegisterBenchmark(
          ("substitution/" + m.name + "/20-together-" + zg::path_name(path)).c_str(),
          [m, path](benchmark::State& s) { substitute_cases_bench(s, m, k_cases, true, path); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(3);
  }
  for (const Model& m : models) {
    if (m.nx != 20) continue;
    for (const zervola::Index cases : {1, 20})
      benchmark::RegisterBenchmark(
          ("substitution/" + m.name + "/supernodal-" + std::to_string(cases)).c_str(),
          [m, cases](benchmark::State& s) { substitute_supernodal(s, m, cases); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(3);
  }
  // Panel widths on the small frame, widest path (not in the summary).
  for (zervola::Index width : {8, 16, 32, 64, 128}) {
    const Model m = models.front();
    benchmark::RegisterBenchmark(("panel_width/" + m.name + "/" + std::to_string(width)).c_str(),
                                 [m, width](benchmark::State& s) {
                                   factorise_skyline(s, m, Method::blocked,
                                                     zg::best_vector_path(), width);
                                 })
        ->Unit(benchmark::kMillisecond);
  }
#if ZERVOLA_BENCH_CHOLMOD
  if (with_cholmod)
    for (const int threads : k_bench_thread_counts)
      reporter.add_cholmod(run_cholmod_on_threads(threads, largest));
#endif
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// zervola-frame's outputs at sizes that once broke them: a portal with many
// load cases, combinations and an envelope (every output: report, JSON, CSV,
// drawing), and a long beam of many members with the JSON results. Prints
// wall time per stage and the process's peak memory; it decides nothing.
//
//   host_outputs_bench [cases [members]]     (default 10000 100000)

#include <fmt/format.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>

#include <zervola/frame.hpp>

namespace {

using namespace zervola::frame;
using Clock = std::chrono::steady_clock;

// Counts what is written and keeps nothing: the size of an output without
// the disk in the figures.
class CountingBuffer : public std::streambuf {
 public:
  [[nodiscard]] std::size_t count() const { return count_; }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) ++count_;
    return c;
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count_ += static_cast<std::size_t>(n);
    return n;
  }

 private:
  std::size_t count_ = 0;
};

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double peak_gib() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / (1024.0 * 1024.0);
}

constexpr const char* k_section = "S";

Section steel() {
  Section s;
  s.name = std::string(k_section);
  s.elastic_modulus = 2.1e8;
  s.shear_modulus = 8.1e7;
  s.area = 5.38e-3;
  s.torsion_constant = 2.01e-7;
  s.inertia_y = 6.04e-6;
  s.inertia_z = 8.356e-5;
  s.extent_z = 0.15;
  s.extent_y = 0.3;
  return s;
}

Member member(std::string name, Point3 a, Point3 b) {
  Member m;
  m.name = std::move(name);
  m.from = a;
  m.to = b;
  m.section = std::string(k_section);
  return m;
}

Support fixed(Point3 at, const std::string& name) {
  Support s;
  s.name = name;
  s.at = at;
  s.restrained.fill(true);
  s.kind = "fixed";
  return s;
}

// A portal with n cases, n / 5 combinations of 50 cases each and one
// envelope over the combinations.
Model many_sets(int n) {
  Model m;
  m.source_file = "many_sets";
  m.frame = FrameKind::plane;
  m.sections = {steel()};
  m.members = {member("C1", {0, 0, 0}, {0, 4, 0}), member("B1", {0, 4, 0}, {6, 4, 0}),
               member("C2", {6, 0, 0}, {6, 4, 0})};
  m.supports = {fixed({0, 0, 0}, "S1"), fixed({6, 0, 0}, "S2")};
  for (int i = 0; i < n; ++i) {
    LoadCase c;
    c.name = fmt::format("LC{}", i);
    NodalLoad l;
    l.at = {0, 4, 0};
    l.force = {0.001 * i, 0, 0};
    c.loads.push_back(l);
    m.load_cases.push_back(c);
  }
  Envelope v;
  v.name = "E";
  for (int i = 0; i < n / 5; ++i) {
    Combination c;
    c.name = fmt::format("C{}", i);
    for (int j = i; j < i + 50; ++j) c.factors.emplace_back(fmt::format("LC{}", j % n), 1.0);
    m.combinations.push_back(c);
    v.combinations.push_back(c.name);
  }
  m.envelopes.push_back(v);
  return m;
}

// A continuous beam of n one-metre members pinned at every node (as the
// million-member reproducer), with a point load on every thousandth node.
Model long_beam(int n) {
  Model m;
  m.source_file = "long_beam";
  m.frame = FrameKind::plane;
  m.sections = {steel()};
  for (int i = 0; i < n; ++i) m.members.push_back(member(fmt::format("M{}", i + 1), {i * 1.0, 0, 0}, {i + 1.0, 0, 0}));
  for (int i = 0; i <= n; ++i) {
    Support s = fixed({i * 1.0, 0, 0}, fmt::format("S{}", i + 1));
    s.restrained = {true, true, true, true, true, false};
    s.kind = "pinned";
    m.supports.push_back(s);
  }
  LoadCase c;
  c.name = "G";
  for (int i = 1; i < n; i += 1000) {
    NodalLoad l;
    l.at = {i * 1.0, 0, 0};
    l.force = {0, -1, 0};
    c.loads.push_back(l);
  }
  m.load_cases.push_back(c);
  return m;
}

void outputs_of(const char* what, const Model& model, bool every_output) {
  auto t = Clock::now();
  const AnalysisResult r = analyse(model);
  const double analysis = seconds_since(t);
  t = Clock::now();
  CountingBuffer json_bytes;
  std::ostream json_out(&json_bytes);
  write_json_results(json_out, model, r);
  const double json = seconds_since(t);
  double report = 0.0, csv = 0.0, svg = 0.0;
  std::size_t report_bytes = 0, csv_bytes = 0, svg_bytes = 0;
  if (every_output) {
    t = Clock::now();
    report_bytes = format_report(model, r, ReportDetail::full).size();
    report = seconds_since(t);
    t = Clock::now();
    for (const auto& [name, text] : format_csv_tables(model, r)) csv_bytes += text.size();
    csv = seconds_since(t);
    t = Clock::now();
    svg_bytes = draw_svg(model, r, {}).size();
    svg = seconds_since(t);
  }
  fmt::print("{}\n  analysis {:.2f} s; JSON {:.2f} s ({:.3g} MB)", what, analysis, json,
             static_cast<double>(json_bytes.count()) / 1e6);
  if (every_output)
    fmt::print("; report {:.2f} s ({:.3g} MB); CSV {:.2f} s ({:.3g} MB); SVG {:.2f} s ({:.3g} MB)", report,
               static_cast<double>(report_bytes) / 1e6, csv, static_cast<double>(csv_bytes) / 1e6, svg,
               static_cast<double>(svg_bytes) / 1e6);
  fmt::print("\n  outputs {:.2f} s in all; peak memory of the process so far {:.2f} GiB\n",
             json + report + csv + svg, peak_gib());
}

}  // namespace

int main(int argc, char** argv) {
  const int cases = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int members = argc > 2 ? std::atoi(argv[2]) : 100000;
  outputs_of(fmt::format("portal, {} load cases, {} combinations of 50, one envelope", cases, cases / 5).c_str(),
             many_sets(cases), true);
  std::fflush(stdout);
  outputs_of(fmt::format("continuous beam of {} members on pins, one load case, JSON only", members).c_str(),
             long_beam(members), false);
  return 0;
}

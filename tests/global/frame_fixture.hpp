#pragma once

// A frame held in host-style arrays, profiled and analysed through the core.

#include <algorithm>
#include <numeric>
#include <vector>

#include "element/local_axes.hpp"
#include "global/assembly.hpp"
#include "global/profile_builder.hpp"

namespace zervola::global::test {

// The nodes 0 .. nodes - 1 in a random order: an elimination order for the
// supernodal solver.
template <class Rng>
std::vector<Index> shuffled_nodes(Index nodes, Rng& rng) {
  std::vector<Index> order(static_cast<std::size_t>(nodes));
  std::iota(order.begin(), order.end(), Index{0});
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

struct HostFrame {
  std::vector<double> x, y, z;
  std::vector<HostInt> pairs, sections, codes;
  std::vector<double> ox, oy, oz;
  std::vector<double> table{200000.0, 80000.0, 3000.0, 4.0e6, 2.5e7,
                            9.0e6,    0.0,     300.0,  150.0, 1.2e-5};
  std::vector<HostInt> diag;
  std::vector<double> records;
  Index n_records = -1;
  ProfileSize size;
  HostInt space_frame = 1;
  HostInt element_frame = 0;

  [[nodiscard]] Index n_nodes() const { return static_cast<Index>(x.size()); }
  [[nodiscard]] Index n_elements() const { return static_cast<Index>(codes.size()); }

  void add_node(double px, double py, double pz) {
    x.push_back(px);
    y.push_back(py);
    z.push_back(pz);
  }
  void add_element(HostInt a, HostInt b, HostInt end_code = 0, HostInt section = 1) {
    pairs.insert(pairs.end(), {a, b});
    codes.push_back(end_code);
    sections.push_back(section);
    for (auto* o : {&ox, &oy, &oz}) o->push_back(element::k_no_orientation_marker);
  }
  void add_record(double code, double R, std::array<double, 6> p) {
    records.insert(records.end(), {code, R});
    records.insert(records.end(), p.begin(), p.end());
    ++n_records;
  }

  Status profile() {
    diag.assign(static_cast<std::size_t>(6 * n_nodes()), 0);
    const Connectivity c{Table1<HostInt>(pairs.data(), 2, n_elements()),
                         Vector1<HostInt>(codes.data(), n_elements())};
    return profile_frame(c, Vector1<HostInt>(diag.data(), 6 * n_nodes()), n_nodes(), 6 * n_nodes(),
                         size);
  }

  [[nodiscard]] element::ElementModel model() const {
    const Index n = n_nodes(), e = n_elements();
    return {{{x.data(), n}, {y.data(), n}, {z.data(), n}},
            {{ox.data(), e}, {oy.data(), e}, {oz.data(), e}},
            ElementNodes(pairs.data(), 2, e),
            {sections.data(), e},
            SectionTable(table.data(), 10, static_cast<Index>(table.size() / 10))};
  }

  [[nodiscard]] FrameAnalysis analysis() const {
    return {model(),
            Vector1<const HostInt>(codes.data(), n_elements()),
            Vector1<const HostInt>(diag.data(), static_cast<Index>(diag.size())),
            size.profile_length,
            n_nodes(),
            6 * n_nodes(),
            Supports{NodeRecordTable(records.data(), n_records), size.max_column_height,
                     frame_mode(space_frame)},
            element_frame};
  }
};

}  // namespace zervola::global::test

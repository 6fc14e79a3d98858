#include "oracles.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "element/end_codes.hpp"

namespace zervola::mesh_numbering::oracle {
namespace {

using std::size_t;

size_t at(Index number) { return static_cast<size_t>(number - 1); }

HostInt first_end(const Mesh& m, Index e) { return m.element_nodes[at(2 * e - 1)]; }
HostInt second_end(const Mesh& m, Index e) { return m.element_nodes[at(2 * e)]; }

}  // namespace

RenumberOutcome renumber(Mesh& mesh) {
  const Index n = mesh.n_nodes();
  const Index n_elements = mesh.n_elements();
  // 1. Work storage.
  std::vector<std::vector<HostInt>> neighbours(at(n + 1));
  std::vector<HostInt> new_number(at(n + 1), 0), visit_order(at(n + 1), 0),
      best_number(at(n + 1), 0);
  std::vector<double> buffer(at(n + 1), 0.0);
  // 2. Neighbour lists and the starting bandwidth.
  Index bw0 = 0;
  auto insert = [&](HostInt p, HostInt q) {
    auto& list = neighbours[at(p)];
    for (const HostInt held : list)
      if (held == q) return;
    list.push_back(q);
    bw0 = std::max<Index>(bw0, std::abs(p - q));
  };
  for (Index e = 1; e <= n_elements; ++e) {
    const HostInt a = first_end(mesh, e);
    const HostInt b = second_end(mesh, e);
    insert(a, b);
    insert(b, a);
  }
  // 3. Starting bound.
  Index node_bandwidth = std::max<Index>(bw0, 2);
  for (Index i = 1; i <= n; ++i) best_number[at(i)] = static_cast<HostInt>(i);
  // 4. Trials.
  for (Index s = 1; s <= n; ++s) {
    std::fill(new_number.begin(), new_number.end(), 0);
    std::fill(visit_order.begin(), visit_order.end(), 0);
    Index head = 1;
    Index tail = 1;
    Index trial_max = 0;
    visit_order[at(1)] = static_cast<HostInt>(s);
    new_number[at(s)] = 1;
    bool trial_over = false;
    while (!trial_over) {
      const HostInt v = visit_order[at(head)];
      const auto& list = neighbours[at(v)];
      if (!list.empty()) {
        bool abandoned = false;
        for (const HostInt w : list) {
          if (new_number[at(w)] >= 1) continue;
          tail = tail + 1;
          visit_order[at(tail)] = w;
          new_number[at(w)] = static_cast<HostInt>(tail);
          const Index d = tail - head;
          if (d >= node_bandwidth) {
            abandoned = true;
            break;
          }
          trial_max = std::max(trial_max, d);
        }
        if (abandoned) break;
        if (tail == n) {
          node_bandwidth = trial_max;
          best_number = new_number;
          break;
        }
      }
      head = head + 1;
      if (head > tail) {
        if (tail < n) return {true, static_cast<HostInt>(node_bandwidth)};
        trial_over = true;  // a single node without neighbours
      }
    }
  }
  // 5. Apply the best numbering.
  for (std::vector<double>* values : {&mesh.x, &mesh.y, &mesh.z}) {
    for (Index i = 1; i <= n; ++i) buffer[at(best_number[at(i)])] = (*values)[at(i)];
    for (Index i = 1; i <= n; ++i) (*values)[at(i)] = buffer[at(i)];
  }
  for (Index e = 1; e <= n_elements; ++e) {
    mesh.element_nodes[at(2 * e - 1)] = best_number[at(first_end(mesh, e))];
    mesh.element_nodes[at(2 * e)] = best_number[at(second_end(mesh, e))];
  }
  return {false, static_cast<HostInt>(node_bandwidth)};
}

bool in_one_piece(const Mesh& mesh) {
  const Index n = mesh.n_nodes();
  if (n <= 1) return true;
  std::vector<bool> joined(at(n + 1), false);
  joined[at(1)] = true;
  for (bool grew = true; grew;) {
    grew = false;
    for (Index e = 1; e <= mesh.n_elements(); ++e) {
      const auto a = at(first_end(mesh, e));
      const auto b = at(second_end(mesh, e));
      if (joined[a] != joined[b]) {
        joined[a] = joined[b] = true;
        grew = true;
      }
    }
  }
  return std::all_of(joined.begin(), joined.end(), [](bool j) { return j; });
}

HostInt count_ends(Mesh& mesh, std::vector<HostInt>& end_count, HostInt mode) {
  const Index n = mesh.n_nodes();
  const Index n_elements = mesh.n_elements();
  auto& nodes = mesh.element_nodes;
  // 1. End counts.
  end_count.assign(at(n + 1), 0);
  for (Index i = 1; i <= n; ++i)
    for (Index e = 1; e <= n_elements; ++e)
      for (Index k = 1; k <= 2; ++k) {
        const auto j = at(nodes[at(2 * (e - 1) + k)]);
        if (mesh.z[j] == mesh.z[at(i)] && mesh.x[j] == mesh.x[at(i)] &&
            mesh.y[j] == mesh.y[at(i)])
          end_count[at(i)] += 1;
      }
  // 2. Largest count.
  HostInt max_end_count = -1;
  bool free_end = false;
  for (Index i = 1; i <= n; ++i) {
    max_end_count = std::max(max_end_count, end_count[at(i)]);
    if (end_count[at(i)] == 1) free_end = true;
  }
  if (!free_end && max_end_count == 2) max_end_count = 3;
  // 3. Chain orientation.
  if (mode == 0) {
    auto visited = [&](Index e) { return nodes[at(2 * e - 1)] < 0 || nodes[at(2 * e)] < 0; };
    for (Index i = 1; i <= n; ++i) {
      const HostInt c = end_count[at(i)];
      if (c < 1 || c == 2) continue;
      for (HostInt walk = 1; walk <= c; ++walk) {
        Index p = i;
        for (;;) {
          Index found = 0;
          for (Index e = 1; e <= n_elements && found == 0; ++e)
            if (!visited(e) && (nodes[at(2 * e - 1)] == p || nodes[at(2 * e)] == p)) found = e;
          if (found == 0) break;
          HostInt& a = nodes[at(2 * found - 1)];
          HostInt& b = nodes[at(2 * found)];
          if (a != p) {
            std::swap(a, b);
            mesh.end_codes[at(found)] = element::swapped_end_code(mesh.end_codes[at(found)]);
          }
          a = -a;
          b = -b;
          const Index q = -b;
          if (end_count[at(q)] <= 2) {
            p = q;
          } else {
            break;
          }
        }
      }
    }
    for (HostInt& number : nodes) number = std::abs(number);
  }
  // 4. Kink clearing.
  if (mode == 1) {
    for (Index i = 1; i <= n; ++i) {
      if (end_count[at(i)] != 2) continue;
      Index e1 = 0, e2 = 0, a = 0, b = 0;
      for (Index e = 1; e <= n_elements; ++e) {
        Index other = 0;
        if (nodes[at(2 * e - 1)] == i) other = nodes[at(2 * e)];
        else if (nodes[at(2 * e)] == i) other = nodes[at(2 * e - 1)];
        else continue;
        if (e1 == 0) {
          e1 = e;
          a = other;
        } else {
          e2 = e;
          b = other;
          break;
        }
      }
      if (e2 == 0) continue;  // fewer than two elements name i: skipped
      const double ux = mesh.x[at(a)] - mesh.x[at(i)], uy = mesh.y[at(a)] - mesh.y[at(i)],
                   uz = mesh.z[at(a)] - mesh.z[at(i)];
      const double wx = mesh.x[at(b)] - mesh.x[at(i)], wy = mesh.y[at(b)] - mesh.y[at(i)],
                   wz = mesh.z[at(b)] - mesh.z[at(i)];
      const double c = -(((ux * wx + uy * wy + uz * wz) / std::sqrt(ux * ux + uy * uy + uz * uz)) /
                         std::sqrt(wx * wx + wy * wy + wz * wz));
      if (0.99 < c && c < 0.99999 && mesh.end_codes[at(e1)] < 0 && mesh.end_codes[at(e2)] < 0) {
        mesh.end_codes[at(e1)] = 0;
        mesh.end_codes[at(e2)] = 0;
      }
    }
  }
  return max_end_count;
}

}  // namespace zervola::mesh_numbering::oracle

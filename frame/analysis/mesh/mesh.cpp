#include "analysis/mesh/mesh.hpp"

#include <fmt/format.h>
#include <zervola.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <utility>

#include "global/profile_builder.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/profile_numbering.hpp"
#include "zervola/frame/store_size.hpp"

namespace zervola::frame {
namespace {

using Int = std::int32_t;

Int node_bandwidth(const std::vector<Int>& element_nodes) {
  Int width = 0;
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    width = std::max(width, std::abs(element_nodes[k] - element_nodes[k + 1]));
  return width;
}

// A member outside the piece that holds the first member, found on the node
// numbers: the smallest-numbered member of the piece that does not hold the
// first member.
std::size_t member_apart(const std::vector<Int>& element_nodes, Int n_nodes) {
  std::vector<Int> parent(static_cast<std::size_t>(n_nodes));
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&](Int n) {
    while (parent[static_cast<std::size_t>(n)] != n)
      n = parent[static_cast<std::size_t>(n)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(n)])];
    return n;
  };
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    parent[static_cast<std::size_t>(root(element_nodes[k] - 1))] = root(element_nodes[k + 1] - 1);
  const Int first = root(element_nodes[0] - 1);
  for (std::size_t k = 0; k + 1 < element_nodes.size(); k += 2)
    if (root(element_nodes[k] - 1) != first) return k / 2;
  return 0;
}

void make_mesh_in_one_piece(const Model& model, Mesh& mesh, Int free_line, Int bandwidth) {
  if (free_line == 0 && bandwidth != 0) return;
  std::string what;
  if (free_line > 0) {
    const Member& m = model.members[at(free_line)];
    what = fmt::format("member \"{}\" ({}) is not connected to the rest", m.name, m.origin.place);
  } else {
    const std::size_t k = member_apart(mesh.arrays.element_nodes, mesh.n_nodes);
    const Member& m = model.members[k];
    what = fmt::format("member \"{}\" ({}) does not share a node with the rest: its points lie "
                       "near other members' points (within 0.1) but not on them (within {})",
                       m.name, m.origin.place, 1.0e-4);
  }
  const std::string renumbering =
      bandwidth == 0 ? "the node renumbering reported \"Uncorrect mesh data\""
                     : "the node renumbering found no fault";
  throw AnalysisError(fmt::format("{}: the model is not in one piece: {}; {}",
                                  model.source_file, what, renumbering));
}

// Renumbers the drawing's nodes for a small profile, as KRINUM renumbers
// them for a narrow band: coordinates move to their node's new number, and
// the elements and their ends keep their order.
void renumber_for_profile(FrameArrays& a, Int n_nodes) {
  const std::vector<Int> pairs(a.element_nodes.begin(), a.element_nodes.end());
  const std::vector<Int> new_number = profile_numbering(pairs, n_nodes);
  const auto move = [&](std::vector<double>& v) {
    std::vector<double> moved = v;
    for (Int n = 1; n <= n_nodes; ++n) moved[at(new_number[at(n)])] = v[at(n)];
    v = std::move(moved);
  };
  move(a.node_x);
  move(a.node_y);
  move(a.node_z);
  for (Int& node : a.element_nodes) node = new_number[at(node)];
}

// The skyline of ascending pairs counted in 64 bits, so that a profile
// beyond ZEBMUK6's addresses (which it gives as 0) is still measured.
global::SkylineCount skyline_count(const std::vector<Int>& pairs, Int n_elements, Int n_nodes) {
  return global::count_skyline(Table1<const HostInt>(pairs.data(), 2, n_elements), n_nodes);
}

Int largest_column(const std::vector<Int>& pairs, Int n_elements, Int n_nodes) {
  return static_cast<Int>(skyline_count(pairs, n_elements, n_nodes).max_column_height);
}

// The skyline that a numbering gives, as ZEBMUK6 profiles it.
NumberingSize numbering_size(const FrameArrays& a, Int n_nodes, Int n_equations) {
  std::vector<Int> pairs = a.element_nodes;
  std::vector<Int> codes = a.end_codes;
  std::vector<Int> diag(static_cast<std::size_t>(n_equations));
  NumberingSize size;
  Int n_elements = a.n_elements;
  ZEBMUK6(pairs.data(), diag.data(), codes.data(), &n_nodes, &n_equations, &n_elements,
          &size.profile_length, &size.max_column_height);
  size.node_bandwidth = node_bandwidth(a.element_nodes);
  // On the pairs as ZEBMUK6 ordered them.
  const global::SkylineCount count = skyline_count(pairs, n_elements, n_nodes);
  size.squared_column_heights = count.squared_heights;
  size.max_column_height = static_cast<Int>(count.max_column_height);
  return size;
}

// Nodes from the members' points: the library merges points closer than
// the node tolerance, and numbers nodes by their first appearance.
void build_nodes(const Model& model, Mesh& mesh) {
  FrameArrays& a = mesh.arrays;
  Int point_count = 2 * a.n_elements;
  MESHDISKR(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(),
            &point_count, &a.n_elements);
  if (point_count <= 0)
    throw AnalysisError(fmt::format("{}: the library could not build nodes from the members",
                                    model.source_file));
  mesh.n_nodes = point_count;
  mesh.n_equations = 6 * mesh.n_nodes;
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    if (a.element_nodes[2 * e] == a.element_nodes[2 * e + 1]) {
      const Member& m = model.members[e];
      throw InputError(fmt::format("{}: {}: field \"to\": the member has zero length (both its "
                                   "points lie on node {})",
                                   m.origin.file, m.origin.place, a.element_nodes[2 * e]));
    }
  }
  for (Int n = 1; n <= mesh.n_nodes; ++n)
    mesh.nodes.push_back({a.node_x[at(n)], a.node_y[at(n)], a.node_z[at(n)]});
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    mesh.member_start.push_back(a.element_nodes[2 * e]);
    mesh.member_end.push_back(a.element_nodes[2 * e + 1]);
  }
}

// The first member that is not connected to the rest, or 0 (FREELINE).
Int find_free_line(Mesh& mesh) {
  FrameArrays& a = mesh.arrays;
  Int free_line = 0;
  const Int spare = 0;
  FREELINE(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(), &free_line,
           &spare, &a.n_elements);
  return free_line;
}

// The profile the drawing's own numbering would need.
void profile_as_drawn(Mesh& mesh) {
  FrameArrays& a = mesh.arrays;
  std::vector<Int> pairs = a.element_nodes;
  std::vector<Int> codes = a.end_codes;
  std::vector<Int> diag(static_cast<std::size_t>(mesh.n_equations));
  MeshSummary& s = mesh.summary;
  s.bandwidth_before = node_bandwidth(pairs);
  ZEBMUK6(pairs.data(), diag.data(), codes.data(), &mesh.n_nodes, &mesh.n_equations,
          &a.n_elements, &s.profile_before, &s.column_height_before);
  if (s.profile_before <= 0) s.column_height_before = largest_column(pairs, a.n_elements, mesh.n_nodes);
}

// Two numberings compete: the library's band renumbering and the
// profile-reducing one; the solver's work follows the profile.
// free_line: what FREELINE found (0: every member is connected).
void choose_numbering(const Model& model, Mesh& mesh, NumberingChoice numbering, Int free_line) {
  FrameArrays& a = mesh.arrays;
  FrameArrays drawn = a;
  Int bandwidth = 0;
  KRINUM(a.node_x.data(), a.node_y.data(), a.node_z.data(), a.element_nodes.data(),
         &mesh.n_nodes, &a.n_elements, &bandwidth);
  make_mesh_in_one_piece(model, mesh, free_line, bandwidth);
  renumber_for_profile(drawn, mesh.n_nodes);
  const NumberingSize band = numbering_size(a, mesh.n_nodes, mesh.n_equations);
  const NumberingSize reducing = numbering_size(drawn, mesh.n_nodes, mesh.n_equations);
  MeshSummary& summary = mesh.summary;
  summary.band = band;
  summary.profile_reducing = reducing;
  const bool use_reducing =
      numbering == NumberingChoice::profile ||
      (numbering == NumberingChoice::automatic && reducing.profile_length > 0 &&
       (band.profile_length <= 0 || reducing.profile_length < band.profile_length));
  summary.numbering = use_reducing ? NumberingChoice::profile : NumberingChoice::band;
  if (use_reducing) a = std::move(drawn);
}

// The library's number of each drawn node, and the reverse.
void map_numbers(const Model& model, Mesh& mesh) {
  const FrameArrays& a = mesh.arrays;
  mesh.library_node.assign(static_cast<std::size_t>(mesh.n_nodes), 0);
  mesh.drawing_node.assign(static_cast<std::size_t>(mesh.n_nodes), 0);
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    mesh.library_node[at(mesh.member_start[e])] = a.element_nodes[2 * e];
    mesh.library_node[at(mesh.member_end[e])] = a.element_nodes[2 * e + 1];
  }
  for (Int n = 1; n <= mesh.n_nodes; ++n) mesh.drawing_node[at(mesh.library_node[at(n)])] = n;
}

// The skyline profile of the numbering used. A profile beyond the
// library's 32-bit addresses is not yet an error: the supernodal solver
// needs none (the solver's plan decides, and checks the memory).
void size_the_store(Mesh& mesh) {
  FrameArrays& a = mesh.arrays;
  mesh.diag_address.assign(static_cast<std::size_t>(mesh.n_equations), 0);
  ZEBMUK6(a.element_nodes.data(), mesh.diag_address.data(), a.end_codes.data(), &mesh.n_nodes,
          &mesh.n_equations, &a.n_elements, &mesh.profile_length, &mesh.max_column_height);
  if (mesh.profile_length <= 0)
    mesh.max_column_height = largest_column(a.element_nodes, a.n_elements, mesh.n_nodes);
  MeshSummary& s = mesh.summary;
  s.n_nodes = mesh.n_nodes;
  s.n_equations = mesh.n_equations;
  s.bandwidth_after = node_bandwidth(a.element_nodes);
  s.profile_after = mesh.profile_length;
  s.column_height_after = mesh.max_column_height;
}

// Per member, whether the library walks its pair backwards, and the
// orientation point that keeps its local axes those of the drawing.
void orient_for_recovery(const Model& model, Mesh& mesh) {
  const FrameArrays& a = mesh.arrays;
  for (std::size_t e = 0; e < model.members.size(); ++e) {
    const Int from = mesh.library_node[at(mesh.member_start[e])];
    const Int flag = a.element_nodes[2 * e] == from ? 0 : 1;
    mesh.reverse_flag.push_back(flag);
    double ox = a.orient_x[e], oy = a.orient_y[e], oz = a.orient_z[e];
    if (flag == 1 && model.members[e].orientation_point) {
      // Walked backwards the library turns local z away from the point;
      // its mirror image through the midpoint turns it back.
      const Point3& p = mesh.nodes[at(mesh.member_start[e])];
      const Point3& q = mesh.nodes[at(mesh.member_end[e])];
      ox = (p.x + q.x) - ox;
      oy = (p.y + q.y) - oy;
      oz = (p.z + q.z) - oz;
    }
    mesh.recovery_x.push_back(ox);
    mesh.recovery_y.push_back(oy);
    mesh.recovery_z.push_back(oz);
  }
}

}  // namespace

Mesh build_mesh(const Model& model, NumberingChoice numbering) {
  Mesh mesh;
  mesh.arrays = build_frame_arrays(model);
  build_nodes(model, mesh);
  const Int free_line = find_free_line(mesh);
  profile_as_drawn(mesh);
  choose_numbering(model, mesh, numbering, free_line);
  map_numbers(model, mesh);
  size_the_store(mesh);
  orient_for_recovery(model, mesh);
  return mesh;
}

std::vector<Transform> member_transforms(const Mesh& mesh) {
  const FrameArrays& a = mesh.arrays;
  std::vector<Transform> transforms(static_cast<std::size_t>(a.n_elements));
  for (Int e = 1; e <= a.n_elements; ++e) {
    const Int flag = mesh.reverse_flag[at(e)];
    MATRIXCOS3P(transforms[at(e)].data(), a.node_x.data(), a.node_y.data(), a.node_z.data(),
                mesh.recovery_x.data(), mesh.recovery_y.data(), mesh.recovery_z.data(),
                a.element_nodes.data(), &mesh.n_nodes, &a.n_elements, &e, &flag);
  }
  return transforms;
}

}  // namespace zervola::frame

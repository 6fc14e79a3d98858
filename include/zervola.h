/*
 * zervola - linear static analysis of frame structures.
 *
 * The exported routines of the zervola library. Every routine
 *   - is a procedure (no return value) with the stdcall convention on 32-bit
 *     Windows and the platform's C convention elsewhere;
 *   - takes every argument by reference: the address of the caller's scalar,
 *     or of the first element of an array;
 *   - reads arrays as 1-based and column-major: a table (r, c) has r entries
 *     per column, the first index varying fastest; "A(i)" below is the i-th
 *     entry counted from 1;
 *   - keeps nothing between calls and may be called from any thread.
 * Integers are 32-bit signed, reals 64-bit IEEE doubles. Units are any
 * consistent set; nothing is converted unless a routine says so.
 *
 * Shared notation:
 *   n_nodes, n_elements  numbers of nodes and elements, numbered from 1.
 *   node_x, node_y, node_z (n_nodes)  node coordinates, global axes.
 *   element_nodes (2, n_elements)  first node (node i) and second node
 *       (node j) of each element; local x runs from node i to node j.
 *   orient_x, orient_y, orient_z (n_elements)  orientation point of each
 *       element, or the no-orientation marker: all three exactly 12345678.0,
 *       or all three exactly 12345678000.0.
 *   transform (12, 12)  block-diagonal with four copies of the element's
 *       3 x 3 direction cosines (row 1 local x, row 2 local y, row 3 local z,
 *       in global components); local = transform * global.
 *   element_matrix (12, 12)  symmetric; rows and columns 1..6 belong to
 *       node i (translations x, y, z, rotations about x, y, z), 7..12 to
 *       node j.
 *   end_code  0, -1, -2 both ends rigid; 1 hinge at node i; 2 hinge at
 *       node j; 3 pin-ended bar (axial only); any other value no stiffness.
 *   section_table (10, n_sections)  rows 1..6: E, G, A, It, Iy (bending in
 *       the local x-z plane), Iz (bending in the local x-y plane); row 7
 *       unused; rows 8..10: extent_z, extent_y, thermal coefficient.
 *   reverse_flag  0 walks an element from its first to its second node,
 *       1 the other way.
 *
 * Degenerate geometry (a zero-length bar, an orientation point on the bar's
 * line or at its midpoint) is not detected: the results are then non-finite.
 */
#ifndef ZERVOLA_H
#define ZERVOLA_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ZERVOLA_CALL __stdcall
#else
#define ZERVOLA_CALL
#endif

#if defined(ZERVOLA_BUILDING_LIBRARY)
#if defined(_WIN32)
#define ZERVOLA_API __declspec(dllexport)
#else
#define ZERVOLA_API __attribute__((visibility("default")))
#endif
#else
#define ZERVOLA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
 * Element formulation
 * ------------------------------------------------------------------------ */

/*
 * MATRIXCOS: transformation of element e by the default rule, whatever its
 * orientation point.
 *
 * Local x = (end - start) / L. With D = sqrt(1 - cz^2): a bar with D below
 * 1.0E-6 is vertical and gets local y = -Y, local z = +X when it points up
 * (dz > 0) and local z = -X, local x = -Z when it points down; otherwise
 * local y = (-cy, cx, 0) / D (horizontal) and local z = (-cx cz, -cy cz, D) / D
 * (upwards).
 *
 * transform      [out] double (12, 12): all 144 entries set.
 * node_x         [in]  double (n_nodes): node x coordinates.
 * node_y         [in]  double (n_nodes): node y coordinates.
 * node_z         [in]  double (n_nodes): node z coordinates.
 * element_nodes  [in]  int32 (2, n_elements): node pairs.
 * n_nodes        [in]  int32: dimension only, not read.
 * n_elements     [in]  int32: dimension only, not read.
 * element_index  [in]  int32: the element e, 1-based.
 * reverse_flag   [in]  int32: 0 walks node i -> node j, 1 node j -> node i.
 *
 * Node numbers and element_index must lie inside their arrays. A
 * reverse_flag other than 0 or 1 fills transform with quiet NaN.
 */
ZERVOLA_API void ZERVOLA_CALL MATRIXCOS(double *transform, const double *node_x,
                                        const double *node_y, const double *node_z,
                                        const int32_t *element_nodes, const int32_t *n_nodes,
                                        const int32_t *n_elements, const int32_t *element_index,
                                        const int32_t *reverse_flag);

/*
 * MATRIXCOS3P: transformation of element e from its orientation point P, or
 * by the default rule (MATRIXCOS) when it carries the no-orientation marker.
 *
 * With M the bar's midpoint and s = 1 - 2 reverse_flag: u = s (P - M) / |.|,
 * local y = (u x c) / |u x c|, local z = c x local y. Local z lies in the plane
 * of the bar and P, towards P when reverse_flag is 0.
 *
 * transform      [out] double (12, 12): all 144 entries set.
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * orient_x, orient_y, orient_z  [in] double (n_elements): orientation points.
 * element_nodes  [in]  int32 (2, n_elements): node pairs.
 * n_nodes        [in]  int32: dimension only, not read.
 * n_elements     [in]  int32: dimension only, not read.
 * element_index  [in]  int32: the element e, 1-based.
 * reverse_flag   [in]  int32: 0 or 1, as for MATRIXCOS.
 *
 * A reverse_flag other than 0 or 1 fills transform with quiet NaN.
 */
ZERVOLA_API void ZERVOLA_CALL MATRIXCOS3P(double *transform, const double *node_x,
                                          const double *node_y, const double *node_z,
                                          const double *orient_x, const double *orient_y,
                                          const double *orient_z, const int32_t *element_nodes,
                                          const int32_t *n_nodes, const int32_t *n_elements,
                                          const int32_t *element_index,
                                          const int32_t *reverse_flag);

/*
 * MATRIXUCS: unit axis vectors of the coordinate system fixed by three
 * points: local x from point a towards point b, local z in the plane of the
 * three points towards point c (the default rule of MATRIXCOS when point c
 * carries the no-orientation marker).
 *
 * ucs_origin   [out]    double (3): a copy of ucs_point_a as passed in.
 * ucs_point_a  [in,out] double (3): in, point a; out, local z when ucs_mode
 *                       is 0, local x otherwise.
 * ucs_point_b  [in,out] double (3): in, point b; out, local x when ucs_mode
 *                       is 0, local y otherwise.
 * ucs_point_c  [in]     double (3): orientation point c.
 * ucs_mode     [in]     int32: 0 returns (local z, local x); any other value
 *                       (local x, local y).
 *
 * The three arrays may not overlap.
 */
ZERVOLA_API void ZERVOLA_CALL MATRIXUCS(double *ucs_origin, double *ucs_point_a,
                                        double *ucs_point_b, const double *ucs_point_c,
                                        const int32_t *ucs_mode);

/*
 * MTRXE_012SHR: 12 x 12 stiffness matrix of a straight prismatic bar
 * (Euler-Bernoulli bending, no shear deformation), in local axes for end
 * codes 0, -1, -2, 1 and 2, and in global axes for the pin-ended bar, code 3:
 * K = (E A / L^3) d d^T on the translations of both nodes, with opposite sign
 * on their coupling.
 *
 * Terms divided by L use length, by L^2 length_sq, by L^3 length_cu; each is
 * used as passed. Codes 0/-1/-2: EA/L, GIt/L, 12EI/L^3, 6EI/L^2, 4EI/L, 2EI/L.
 * Code 1 (hinge at node i) and 2 (hinge at node j): the bending rows and
 * columns of the hinged node are zero, 3EI/L^3, 3EI/L^2, 3EI/L remain.
 *
 * element_matrix   [out] double (12, 12): the symmetric stiffness matrix.
 * elastic_modulus  [in]  double: E.
 * shear_modulus    [in]  double: G.
 * area             [in]  double: A.
 * torsion_constant [in]  double: It.
 * inertia_y        [in]  double: Iy, bending in the local x-z plane.
 * inertia_z        [in]  double: Iz, bending in the local x-y plane.
 * delta_x          [in]  double: x(node j) - x(node i); read for code 3 only.
 * delta_y          [in]  double: y(node j) - y(node i); code 3 only.
 * delta_z          [in]  double: z(node j) - z(node i); code 3 only.
 * length           [in]  double: L.
 * length_sq        [in]  double: L^2.
 * length_cu        [in]  double: L^3.
 * end_code         [in]  int32: form, as in the notation above; a code
 *                        outside -2..3 gives all 144 entries 0.
 *
 * Zero lengths are not detected: the results are then non-finite.
 */
ZERVOLA_API void ZERVOLA_CALL MTRXE_012SHR(double *element_matrix, const double *elastic_modulus,
                                           const double *shear_modulus, const double *area,
                                           const double *torsion_constant, const double *inertia_y,
                                           const double *inertia_z, const double *delta_x,
                                           const double *delta_y, const double *delta_z,
                                           const double *length, const double *length_sq,
                                           const double *length_cu, const int32_t *end_code);

/*
 * MATRIXE: 12 x 12 stiffness matrix of element e in global axes,
 * K_global = T^T K_local T, from the host's model arrays.
 *
 * A negative section code makes the element a rigid link: 1.0E20 on the
 * diagonal of the six translations and -1.0E20 coupling each translation of
 * node i to the same translation of node j, every other entry 0, whatever the
 * section, orientation point, end code and element_frame. A pin-ended bar
 * (end code 3) is built in global axes and is not transformed again.
 *
 * element_matrix [out] double (12, 12): the element matrix.
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * orient_x, orient_y, orient_z  [in] double (n_elements): orientation points.
 * element_nodes  [in]  int32 (2, n_elements): node pairs.
 * section_codes  [in]  int32 (n_elements): section column of each element;
 *                      negative: rigid link (column |code| is still read).
 * space_frame    [in]  int32: accepted, not read.
 * section_table  [in]  double (10, n_sections): section properties.
 * element_index  [in]  int32: the element e, 1-based.
 * n_nodes        [in]  int32: dimension only, not read.
 * n_elements     [in]  int32: dimension only, not read.
 * element_frame  [in]  int32: exactly 1 leaves the matrix in local axes
 *                      (global axes for end code 3); any other value
 *                      transforms it to global axes.
 * end_code       [in]  int32: end code of element e.
 *
 * Node numbers, section codes (never 0) and element_index must lie inside
 * their arrays.
 */
ZERVOLA_API void ZERVOLA_CALL MATRIXE(double *element_matrix, const double *node_x,
                                      const double *node_y, const double *node_z,
                                      const double *orient_x, const double *orient_y,
                                      const double *orient_z, const int32_t *element_nodes,
                                      const int32_t *section_codes, const int32_t *space_frame,
                                      const double *section_table, const int32_t *element_index,
                                      const int32_t *n_nodes, const int32_t *n_elements,
                                      const int32_t *element_frame, const int32_t *end_code);

/* ------------------------------------------------------------------------
 * Global system
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * Result recovery
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * Mesh numbering and checking
 * ------------------------------------------------------------------------ */

/*
 * KRINUM: renumbers the nodes for a narrow band, and refuses a mesh whose
 * elements do not join all nodes into one piece.
 *
 * The node bandwidth of a numbering is the largest |a - b| over all elements
 * (a, b). Two nodes are neighbours when an element joins them; each node's
 * neighbours are taken in the order in which the element list first joins
 * them to it (element (a, b) joins b to a, then a to b), any number of them.
 * A breadth-first numbering is tried from every start node s = 1 .. n_nodes
 * in turn: s gets number 1, then the nodes are taken in the order of their
 * new numbers and each gives the next numbers to its neighbours that have
 * none yet. A trial is abandoned as soon as it gives a node a number that
 * exceeds the number of the node it is numbered from by the bound or more;
 * a trial that numbers every node replaces the best numbering, and its
 * bandwidth becomes the bound. The first bound is the bandwidth of the
 * incoming numbering, but at least 2. The numbering found is used as it
 * stands (not reversed).
 *
 * node_x          [in,out] double (n_nodes): x coordinates; on exit each
 *                          value has moved to its node's new number.
 * node_y          [in,out] double (n_nodes): y coordinates, moved likewise.
 * node_z          [in,out] double (n_nodes): z coordinates, moved likewise.
 * element_nodes   [in,out] int32 (2, n_elements): node pairs; on exit every
 *                          node number is the node's new number; the order
 *                          of the elements and of their two ends stays.
 * n_nodes         [in]     int32: number of nodes; below 0 counts as 0.
 * n_elements      [in]     int32: number of elements; below 0 counts as 0.
 * node_bandwidth  [out]    int32: the node bandwidth of the returned
 *                          numbering when a trial succeeded; otherwise the
 *                          first bound, max(incoming bandwidth, 2), with the
 *                          numbering unchanged (so 2 for a single node
 *                          without elements, and for no nodes at all).
 *
 * The new numbering is a permutation of 1 .. n_nodes. A second call on the
 * output changes nothing. The arrays may not overlap.
 *
 * A mesh not in one piece: with two or more nodes, when the elements do not
 * join every node to every other (a node that no element touches, no
 * elements at all, or two separate parts), the routine writes
 * " Uncorrect mesh data" and a newline to the standard error stream, sets
 * node_bandwidth to 0 and returns, with the coordinates and element_nodes
 * exactly as they came. This is the only output the library ever writes.
 *
 * A node number outside 1 .. n_nodes, or work storage that cannot be
 * obtained: node_bandwidth is set to 0, nothing else changes and nothing is
 * written. The only accepted mesh that also gives 0 is a single node whose
 * elements all join it to itself (its true bandwidth); a mesh of one node is
 * always in one piece.
 */
ZERVOLA_API void ZERVOLA_CALL KRINUM(double *node_x, double *node_y, double *node_z,
                                     int32_t *element_nodes, const int32_t *n_nodes,
                                     const int32_t *n_elements, int32_t *node_bandwidth);

/*
 * NODEEQV: counts the element ends at every node's position; on request
 * orients the element chains (mode 0) or clears the end codes at slight
 * kinks (mode 1).
 *
 * End counts: end_count(i) is the number of element ends whose node has
 * exactly the same three coordinates as node i (compared with ==, no
 * tolerance; -0.0 equals 0.0, a NaN coordinate equals nothing, so a node with
 * one counts 0). Node i's own ends count, and so do those of every node at
 * the same position.
 *
 * Mode 0, chain orientation: for each node i = 1 .. n_nodes whose count c is
 * 1 or more but not 2, up to c walks start from i, one after the other. A
 * walk from node p takes the first element, in increasing element order,
 * that no walk has taken and that has p as one of its ends; if p is only its
 * second end, the two ends are exchanged and the end code follows (1 <-> 2,
 * -1 <-> -2, every other code unchanged); the walk goes on from the
 * element's second end q while end_count(q) <= 2. So every chain that touches
 * a free end or a branch point points in walking order; a closed ring whose
 * nodes all count 2 keeps its orientation.
 *
 * Mode 1, kink clearing: at each node i = 1 .. n_nodes with end_count(i) = 2,
 * the first two elements e1, e2 (in element order) that have i as an end,
 * with other ends a and b, give u = P(a) - P(i), w = P(b) - P(i) and
 * c = -((u . w) / |u|) / |w| (the cosine of the kink); when
 * 0.99 < c < 0.99999 and both end codes are negative, both become 0 (a kink
 * of about 0.256 to 8.11 degrees). A node that fewer than two elements name
 * by its number is skipped; a zero-length element gives no valid c and
 * changes nothing.
 *
 * node_x          [in]     double (n_nodes): x coordinates.
 * node_y          [in]     double (n_nodes): y coordinates.
 * node_z          [in]     double (n_nodes): z coordinates.
 * element_nodes   [in,out] int32 (2, n_elements): node pairs; mode 0 may
 *                          exchange the two ends of an element, nothing else
 *                          changes them.
 * end_count       [out]    int32 (n_nodes): element ends at each node's
 *                          position.
 * end_codes       [in,out] int32 (n_elements): end codes; mode 0 rewrites
 *                          the code of every element it turns, mode 1 may
 *                          set codes to 0.
 * max_end_count   [out]    int32: the largest end_count, except 3 when the
 *                          largest is 2 and no node counts exactly 1; -1 when
 *                          n_nodes is 0.
 * n_nodes         [in]     int32: number of nodes; below 0 counts as 0.
 * n_elements      [in]     int32: number of elements; below 0 counts as 0.
 * mode            [in]     int32: 0 chain orientation, 1 kink clearing, any
 *                          other value counts only.
 *
 * The arrays may not overlap. A node number outside 1 .. n_nodes, or work
 * storage that cannot be obtained: every end_count entry is set to 0,
 * max_end_count to -1, and element_nodes and end_codes stay as they came.
 */
ZERVOLA_API void ZERVOLA_CALL NODEEQV(const double *node_x, const double *node_y,
                                      const double *node_z, int32_t *element_nodes,
                                      int32_t *end_count, int32_t *end_codes,
                                      int32_t *max_end_count, const int32_t *n_nodes,
                                      const int32_t *n_elements, const int32_t *mode);

/* ------------------------------------------------------------------------
 * Mesh geometry
 * ------------------------------------------------------------------------ */

#ifdef __cplusplus
}
#endif

#endif /* ZERVOLA_H */

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

/* ------------------------------------------------------------------------
 * Mesh geometry
 * ------------------------------------------------------------------------ */

/*
 * POINTINNODE: the node at a picked point, and the ends of the elements that
 * sit at it.
 *
 * The point is converted from drawing units to model units by dividing each
 * coordinate by 1000. Then every element end is visited, element 1 to
 * n_elements, its first end (node element_nodes(1, e)) before its second:
 * the end lies at the point when its node n has |node_z(n) - z| < tol,
 * |node_x(n) - x| < tol and |node_y(n) - y| < tol, strictly, with tol the
 * single-precision 1.0E-5 widened to double (9.99999974737875E-06). For each
 * such end, node_found becomes n and, when end_codes(e) is 0 or negative,
 * end_codes(e) becomes -1 (first end) or -2 (second end). Nodes that no
 * element uses are never found.
 *
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates, model units.
 * element_nodes  [in]     int32 (2, n_elements): node pairs.
 * end_codes      [in,out] int32 (n_elements): end codes. A positive code is
 *                         never changed; a code 0 or negative of an element
 *                         with an end at the point is replaced by the code of
 *                         the last such end (-2 when both ends are there).
 * point          [in,out] double (3): in, the picked point in drawing units;
 *                         out, the same point in model units. Each call
 *                         divides again.
 * spare          [in]     int32: not read.
 * n_elements     [in]     int32: number of elements; 0 or less visits none
 *                         (the point is still converted).
 * node_found     [out]    int32: the node of the last end at the point, 0 if
 *                         none.
 *
 * Node numbers must lie inside the coordinate arrays; their lengths are not
 * passed, so only the lower bound is checked: a node number below 1 in
 * element_nodes(1..2, 1..n_elements) leaves end_codes and point unchanged and
 * sets node_found to -1.
 */
ZERVOLA_API void ZERVOLA_CALL POINTINNODE(const double *node_x, const double *node_y,
                                          const double *node_z, const int32_t *element_nodes,
                                          int32_t *end_codes, double *point, const int32_t *spare,
                                          const int32_t *n_elements, int32_t *node_found);

/*
 * POINT_IN_LINE: marks each element end near which a point lies on the
 * element's axis.
 *
 * For element e, its first end is tested with A = node element_nodes(1, e),
 * B = node element_nodes(2, e) and mark value 10, then its second end with
 * A and B exchanged and mark value 2. With d = B - A, L = |d|, q = point - A,
 * r = |q|: c = 1 when r <= 0.1, else c = (d/L).(q/r). The point lies at end A
 * when |c - 1| <= 0.01 (within about 8.1 degrees of the axis seen from A, or
 * within 0.1 of A) and r <= L/3. Then, when end_marks(e) + mark value is 2,
 * 10 or 12, end_marks(e) takes that sum; any other sum leaves it unchanged,
 * so an end already marked is never counted twice. An element of zero length
 * is marked only by a point exactly at its node.
 *
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * element_nodes  [in]     int32 (2, n_elements): node pairs.
 * point          [in]     double (3): the point, in the units of the
 *                         coordinates (not converted).
 * end_marks      [in,out] int32 (n_elements): 0 no end marked, 10 the first
 *                         end, 2 the second, 12 both; updated as above.
 * spare          [in]     int32: not read.
 * n_elements     [in]     int32: number of elements; 0 or less marks nothing.
 * mark_made      [out]    int32: 1 if this call changed at least one mark,
 *                         else 0.
 *
 * Node numbers must lie inside the coordinate arrays; only the lower bound is
 * checked: a node number below 1 in element_nodes(1..2, 1..n_elements) leaves
 * end_marks unchanged and sets mark_made to -1.
 */
ZERVOLA_API void ZERVOLA_CALL POINT_IN_LINE(const double *node_x, const double *node_y,
                                            const double *node_z, const int32_t *element_nodes,
                                            const double *point, int32_t *end_marks,
                                            const int32_t *spare, const int32_t *n_elements,
                                            int32_t *mark_made);

/*
 * FREELINE: whether a set of lines forms one connected figure, and if not, a
 * line of its smaller part.
 *
 * Two lines touch when an endpoint of one and an endpoint of the other have
 * |dz| < 0.1, |dx| < 0.1 and |dy| < 0.1, strictly; coincidence is decided by
 * coordinates, not by point numbers, and a point with a non-finite
 * coordinate touches nothing. The lines reached from line 1 through touching
 * lines form its part; the other lines are counted together even when they
 * form several separate groups.
 *
 * point_x, point_y, point_z  [in] double (number of points): endpoint
 *                         coordinates.
 * line_points    [in,out] int32 (2, n_lines): the point numbers of the two
 *                         ends of each line, each at least 1. Read only: on
 *                         return it holds exactly the values it held on entry.
 * free_line      [out]    int32: 0 when every line is reached from line 1
 *                         (or n_lines <= 0); otherwise, when the unreached
 *                         lines outnumber the reached ones, the
 *                         highest-numbered reached line, else (ties included)
 *                         the highest-numbered unreached line; -1 when the
 *                         call is refused (below).
 * spare          [in]     int32: not read.
 * n_lines        [in]     int32: number of lines.
 *
 * Work storage proportional to n_lines is obtained for the call and released
 * before it returns. Every point number must exist in the coordinate arrays;
 * their length is not passed, so only the lower bound is checked: a point
 * number of 0 or less, or work storage that cannot be obtained, gives
 * free_line = -1.
 */
ZERVOLA_API void ZERVOLA_CALL FREELINE(const double *point_x, const double *point_y,
                                       const double *point_z, int32_t *line_points,
                                       int32_t *free_line, const int32_t *spare,
                                       const int32_t *n_lines);

/*
 * MESHDISKR: nodes and elements from the endpoints of drawn lines.
 *
 * On entry the coordinate arrays hold the 2 n_elements endpoints, the first
 * and second end of line k at positions 2k - 1 and 2k. A point whose
 * coordinates differ by less than 1.0E-4 each (strictly) from those of an
 * earlier point that is itself a node becomes the lowest-numbered such node;
 * otherwise it is a new node. Each point is measured against the first
 * occurrence of a node only: a chain of points each within 1.0E-4 of the
 * next does not fuse unless each is within 1.0E-4 of the first. A point with
 * a non-finite coordinate is always a node of its own. Nodes are numbered in
 * order of first appearance and keep the coordinates of their first
 * occurrence. A line whose two ends coincide becomes an element with the same
 * node at both ends.
 *
 * node_x, node_y, node_z  [in,out] double (point_count): in, the endpoint
 *                         coordinates; out, entries 1..n_nodes hold the node
 *                         coordinates, entries beyond keep what they held.
 * element_nodes  [out]    int32 (2, n_elements): the nodes of the first and
 *                         second end of each line.
 * point_count    [in,out] int32: in, the number of endpoints, 2 n_elements;
 *                         out, the number of nodes n_nodes.
 * n_elements     [in]     int32: number of lines.
 *
 * Work storage proportional to point_count is obtained for the call and
 * released before it returns. When point_count is 0 or less or differs from
 * 2 n_elements, or the work storage cannot be obtained, nothing is written
 * but point_count = 0.
 */
ZERVOLA_API void ZERVOLA_CALL MESHDISKR(double *node_x, double *node_y, double *node_z,
                                        int32_t *element_nodes, int32_t *point_count,
                                        const int32_t *n_elements);

#ifdef __cplusplus
}
#endif

#endif /* ZERVOLA_H */

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
 * Local x = c = (end - start) / L. With D = sqrt(1 - cz^2): a bar with D
 * below 1.0E-6 is vertical and gets local y = -Y, with local x = +Z and
 * local z = +X when it points up (dz > 0), local x = -Z and local z = -X when
 * it points down; otherwise local y = (-cy / D, cx / D, 0) (horizontal) and
 * local z = (-cx cz / D, -cy cz / D, D) (upwards).
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
 * Node numbers and element_index must lie inside their arrays; the lengths
 * are not passed, so only their lower bound is checked. An element_index or
 * node number below 1, or a reverse_flag other than 0 or 1, fills transform
 * with quiet NaN.
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
 * An element_index or node number below 1, or a reverse_flag other than 0
 * or 1, fills transform with quiet NaN.
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
 * The points are read before anything is written.
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
 * delta_x          [in]  double: x(node j) - x(node i); read for code 3 only
 *                        (G, It, Iy, Iz, length and length_sq are not read
 *                        for code 3).
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
 * Node numbers, section codes and element_index must lie inside their
 * arrays; the lengths are not passed, so only the lower bounds are checked:
 * an element_index or node number below 1, or a section code 0, fills
 * element_matrix with quiet NaN.
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

/*
 * Skyline store. The global stiffness matrix K (n_equations = 6 n_nodes;
 * degree of freedom k = 1..6 of node n is equation 6 (n - 1) + k, in the
 * order u_x, u_y, u_z, theta_x, theta_y, theta_z) is symmetric; only its
 * upper triangle is stored, column after column. Column j holds rows
 * top(j) .. j, top first, diagonal last; h(j) = j - top(j) + 1 is its
 * height. diag_address(j) is the position of K(j, j), the running sum
 * h(1) + ... + h(j); K(i, j), top(j) <= i <= j, lies at
 * diag_address(j) - (j - i). Example, 4 equations with heights 1, 2, 3, 2:
 *
 *            column:   1    2    3    4
 *     row 1          K11  K12  K13
 *     row 2               K22  K23
 *     row 3                    K33  K34
 *     row 4                         K44
 *
 *     skyline_store:  K11 | K12 K22 | K13 K23 K33 | K34 K44
 *     position:        1  |  2   3  |  4   5   6  |  7   8
 *     diag_address:    1, 3, 6, 8       profile_length: 8
 *     max_column_height: 3
 *
 * A valid profile has h(1) = 1, 2 <= h(j) <= j for every later column, and
 * diag_address(n_equations) <= profile_length: a routine that takes a store
 * of profile_length doubles accepts one longer than the profile, and leaves
 * the entries past diag_address(n_equations) untouched. ZEBMUK6 produces one in which
 * every node's six columns reach up to the node's first equation and every
 * element's columns reach up to the first equation of its lower node.
 *
 * Node records. node_records (8, n_records + 1) holds records numbered
 * 0 .. n_records (n_records is the number of the LAST record; -1 or less:
 * none), the 8 doubles of a record contiguous:
 *
 *     node_records:  [code R p1 p2 p3 p4 p5 p6] [code R p1 ... p6] ...
 *                     record 0                   record 1
 *
 * code and R (the first equation the record acts on) are whole numbers held
 * as doubles, truncated toward zero:
 *     113  u(R), u(R+1), u(R+2) prescribed to p1, p2, p3
 *     114  spring terms, then u(R..R+2) prescribed to p1, p2, p3
 *     116  u(R) .. u(R+5) prescribed to p1 .. p6
 *     213, 246  spring terms
 *     214  p1, p2, p3 added to the loads at R, R+1, R+2
 *     any other code (or a non-finite code field): no effect
 * Spring terms add the outer products of (p1, p2, p3) with itself to
 * K(R..R+2, R..R+2) and of (p4, p5, p6) with itself to K(R+3..R+5, R+3..R+5)
 * (upper triangles only); R should be a node's first equation 6 n - 5.
 * All spring terms and loads of all records come first, then the
 * prescriptions in record order, then the plane-frame restraint, then the
 * solution. An equation that several prescriptions name takes the last one
 * (a later record, and in plane-frame mode the restraint, wins) and is
 * eliminated once, with that value, so that the other equations see the
 * value it finally takes.
 *
 * Failure signal. These routines have no status argument. Where one cannot
 * do its work safely (an argument outside what it states below, or no memory
 * for the store), it fills every entry of load_vector with quiet NaN and
 * returns, so that a failure can never be taken for a solution. Singular or
 * indefinite systems are not detected: a zero pivot gives non-finite values
 * in the solution as the arithmetic produces them.
 */

/*
 * ZEBMUK6: puts every element's node pair in ascending order and computes the
 * skyline profile of the frame from its connectivity.
 *
 * A pair (a, b) with a > b becomes (b, a) and its end code follows its ends:
 * 1 <-> 2, -1 <-> -2; every other code (0, 3, any other value) stays. The
 * node height of node j is 1 + the largest j - i over its elements (i, j),
 * i < j (1 without one); the node's six columns get heights 6 g - 5 .. 6 g,
 * and a column of height 1 other than column 1 gets height 2.
 *
 * element_nodes     [in,out] int32 (2, n_elements): node pairs, each node in
 *                            1..n_nodes; on exit every pair ascending.
 * diag_address      [out]    int32 (n_equations): diagonal addresses.
 * end_codes         [in,out] int32 (n_elements): rewritten where a pair was
 *                            swapped.
 * n_nodes           [in]     int32: number of nodes, >= 0.
 * n_equations       [in]     int32: must be 6 n_nodes.
 * n_elements        [in]     int32: number of elements (none if < 0).
 * profile_length    [out]    int32: diag_address(n_equations), 0 if there
 *                            are no equations.
 * max_column_height [out]    int32: the largest column height (0 if none).
 *
 * Bad input: with n_nodes < 0, n_equations != 6 n_nodes or a node number
 * outside 1..n_nodes, nothing is written to element_nodes, end_codes or
 * diag_address, and profile_length = max_column_height = 0. A profile longer
 * than 2^31 - 1 entries (pairs already ordered) sets every diag_address entry
 * to 0 and profile_length = max_column_height = 0.
 */
ZERVOLA_API void ZERVOLA_CALL ZEBMUK6(int32_t *element_nodes, int32_t *diag_address,
                                      int32_t *end_codes, const int32_t *n_nodes,
                                      const int32_t *n_equations, const int32_t *n_elements,
                                      int32_t *profile_length, int32_t *max_column_height);

/*
 * MATRIXG: one linear static analysis, K u = f: obtains a skyline store of
 * profile_length doubles, adds every element's matrix (as MATRIXE gives it,
 * lower triangle read) into it, sets every diagonal that is exactly 0 to 1,
 * applies the node records and, if space_frame is 0, the plane-frame
 * restraint, solves, and releases the store (as GUKATOK).
 *
 * load_vector       [in,out] double (n_equations): nodal loads on entry;
 *                            nodal displacements on exit, a (6, n_nodes)
 *                            table.
 * node_records      [in]  double (8, n_records + 1): supports, springs,
 *                         loads (above).
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * orient_x, orient_y, orient_z  [in] double (n_elements): orientation
 *                         points or the no-orientation marker.
 * element_nodes     [in]  int32 (2, n_elements): pairs as ZEBMUK6 left them.
 * section_codes     [in]  int32 (n_elements): section columns; negative:
 *                         rigid link.
 * diag_address      [in]  int32 (n_equations): from ZEBMUK6.
 * end_codes         [in]  int32 (n_elements): as ZEBMUK6 left them.
 * space_frame       [in]  int32: 0 holds u_z, theta_x, theta_y of every node
 *                         at 0 (plane frame); any other value: space frame.
 * section_table     [in]  double (10, n_sections): section properties.
 * n_nodes           [in]  int32: number of nodes.
 * n_elements        [in]  int32: number of elements (none if < 0).
 * profile_length    [in]  int32: from ZEBMUK6, or larger: the length of
 *                         the store obtained.
 * n_equations       [in]  int32: 6 n_nodes.
 * n_records         [in]  int32: number of the last node record.
 * max_column_height [in]  int32: from ZEBMUK6 (a larger value only costs
 *                         time).
 * element_frame     [in]  int32: exactly 1 leaves element matrices in local
 *                         axes (pin-ended bars are in global axes either
 *                         way, as MATRIXE builds them); any other value
 *                         transforms them.
 *
 * The model arrays are only read. No host memory is kept after the call.
 * Bad input: load_vector is filled with quiet NaN, and nothing else is
 * written, when n_equations != 6 n_nodes; diag_address is not a valid
 * profile inside profile_length entries; max_column_height is below the
 * highest column; a pair is not strictly ascending inside 1..n_nodes; a section code is 0; an
 * element's entries do not lie inside the profile; an acting record reaches
 * outside 1..n_equations or (springs) outside the profile; or the store
 * cannot be obtained. Section codes must name columns of section_table.
 */
ZERVOLA_API void ZERVOLA_CALL MATRIXG(
    double *load_vector, const double *node_records, const double *node_x, const double *node_y,
    const double *node_z, const double *orient_x, const double *orient_y, const double *orient_z,
    const int32_t *element_nodes, const int32_t *section_codes, const int32_t *diag_address,
    const int32_t *end_codes, const int32_t *space_frame, const double *section_table,
    const int32_t *n_nodes, const int32_t *n_elements, const int32_t *profile_length,
    const int32_t *n_equations, const int32_t *n_records, const int32_t *max_column_height,
    const int32_t *element_frame);

/*
 * ZEBSLA: solves K u = f in place: K = L D L^T (L unit lower triangular),
 * then forward reduction, division by D and back substitution.
 *
 * skyline_store  [in,out] double (profile_length): K on entry; on exit the
 *                         diagonal position of column j holds D(j) and the
 *                         position of K(i, j), i < j, holds L(j, i).
 * load_vector    [in,out] double (n_equations): f on entry, u on exit. Must
 *                         not overlap skyline_store.
 * diag_address   [in]     int32 (n_equations): a valid profile.
 * n_equations    [in]     int32: number of equations (<= 0: nothing done).
 * profile_length [in]     int32: length of the store, at least
 *                         diag_address(n_equations); a longer store is
 *                         accepted and its tail left as it was.
 *
 * Pivots are not tested. Bad input: if diag_address is not a valid profile
 * inside profile_length entries, load_vector is filled with quiet NaN and the
 * store is left as it was.
 */
ZERVOLA_API void ZERVOLA_CALL ZEBSLA(double *skyline_store, double *load_vector,
                                     const int32_t *diag_address, const int32_t *n_equations,
                                     const int32_t *profile_length);

/*
 * ZEBGUT: prescribes u(k) = x before the solution, by elimination: for the
 * rows r of column k above the diagonal, f(r) -= K(r, k) x and K(r, k) = 0;
 * f(k) = K(k, k) x (a load there is replaced); for the columns
 * j = k+1 .. min(n_equations, k + max_column_height - 1) that reach row k,
 * f(j) -= K(k, j) x and K(k, j) = 0.
 *
 * skyline_store     [in,out] double (profile_length): K; row and column k
 *                            cleared apart from the diagonal.
 * load_vector       [in,out] double (n_equations): right-hand side,
 *                            corrected. Must not overlap skyline_store.
 * diag_address      [in]     int32 (n_equations): the profile.
 * prescribed_value  [in]     double: x.
 * equation          [in]     int32: k, 1..n_equations.
 * n_equations       [in]     int32: number of equations.
 * profile_length    [in]     int32: length of the store.
 * max_column_height [in]     int32: the largest column height; a smaller
 *                            value leaves couplings of row k in place.
 *
 * Bad input: with k outside 1..n_equations, or a column that the call reads
 * (k .. k + max_column_height - 1) not a valid column of a profile inside
 * profile_length entries, load_vector is filled with quiet NaN and the store
 * is left as it was. With K(k, k) = 0, f(k) becomes 0. Prescribing an
 * equation again sets f(k) = K(k, k) x anew, but the other equations keep
 * the correction made with the earlier value: prescribe each equation once
 * (GUKATOK does so itself).
 */
ZERVOLA_API void ZERVOLA_CALL ZEBGUT(double *skyline_store, double *load_vector,
                                     const int32_t *diag_address, const double *prescribed_value,
                                     const int32_t *equation, const int32_t *n_equations,
                                     const int32_t *profile_length,
                                     const int32_t *max_column_height);

/*
 * GUKATOK: completes an assembled system and solves it: the spring terms and
 * loads of every record, then every record's prescriptions (as ZEBGUT), then,
 * if space_frame is 0, u = 0 at equations 6n-3, 6n-2, 6n-1 of every node n,
 * then the solution (as ZEBSLA).
 *
 * skyline_store     [in,out] double (profile_length): assembled K; its
 *                            factors on exit.
 * load_vector       [in,out] double (n_equations): loads on entry,
 *                            displacements on exit.
 * node_records      [in]  double (8, n_records + 1): records 0..n_records.
 * diag_address      [in]  int32 (n_equations): a valid profile.
 * profile_length    [in]  int32: length of the store.
 * n_equations       [in]  int32: number of equations; a multiple of 6 in
 *                         plane-frame mode.
 * n_records         [in]  int32: number of the last record (-1: none).
 * max_column_height [in]  int32: at least the highest column.
 * space_frame       [in]  int32: 0 plane frame, otherwise space frame.
 *
 * Bad input: load_vector is filled with quiet NaN and the store is left as
 * it was when the working arrays (the eliminations, one entry per equation)
 * cannot be obtained, when diag_address is not a valid profile inside
 * profile_length entries, max_column_height is below the highest column,
 * n_equations is not a multiple of 6 in plane-frame mode, or a record that acts reaches outside
 * 1..n_equations (R, R+2 for 113 and 214, R..R+5 for 114, 116, 213, 246) or,
 * for springs, touches an entry outside the profile.
 */
ZERVOLA_API void ZERVOLA_CALL GUKATOK(double *skyline_store, double *load_vector,
                                      const double *node_records, const int32_t *diag_address,
                                      const int32_t *profile_length, const int32_t *n_equations,
                                      const int32_t *n_records, const int32_t *max_column_height,
                                      const int32_t *space_frame);

/* ------------------------------------------------------------------------
 * Result recovery
 * ------------------------------------------------------------------------ */

/*
 * End forces: end_forces (12) holds one element's end forces in its local
 * axes (local x from the element's start node to its end node): components
 * 1..6 at the start node, 7..12 at the end node, each force along local x,
 * y, z, then moment about local x, y, z. They are K u (the element's local
 * stiffness times its local end displacements, i.e. what the nodes exert on
 * the element) with components 4, 5, 6 (the start node's moments) and 7, 8,
 * 9 (the end node's forces) negated, so that each quantity reads with one
 * sign along the bar. For a bar in equilibrium with no load between its
 * ends:
 *   end_forces(k) = end_forces(k + 6), k = 1..4: axial force (positive in
 *       compression, negative when the bar is stretched), shear force along
 *       local y, shear force along local z, torque;
 *   end_forces(12) = end_forces(6) + L end_forces(2)   (moment about z);
 *   end_forces(11) = end_forces(5) - L end_forces(3)   (moment about y).
 * Loads between the ends do not enter: the end forces returned are those
 * that the end displacements produce.
 *
 * displacements (6, n_nodes): the load vector as the global analysis
 * returns it; entry (c, n) = entry 6 (n - 1) + c is degree of freedom c of
 * node n (ux, uy, uz, theta_x, theta_y, theta_z, global axes).
 */

/*
 * GLOBTOLOC: end displacements and end forces of element e.
 *
 * With start node a and end node b of the walk (reverse_flag 0: a = node i,
 * b = node j; 1: the other way), the twelve global displacements of a and b
 * are turned into local axes, end_displacements = transform * u, and
 * multiplied by the element's local stiffness (as MTRXE_012SHR builds it
 * from rows 1..6 of column |section_codes(e)|, L = sqrt(dx^2 + dy^2 + dz^2),
 * L^2 = L L, L^3 = L L^2). The stiffness takes end_code with these changes:
 * -1 and -2 are taken as 0; with reverse_flag 1 the hinge codes 1 and 2 are
 * exchanged, so that the hinge stays at the same node; a pin-ended bar
 * (code 3) is taken along its own local x, so that end_forces(1) =
 * end_forces(7) = -(E A / L) times its elongation and every other component
 * is 0, in any direction. A negative section code (a rigid link in the
 * assembly) is used by its absolute value as an ordinary bar.
 *
 * transform         [in]  double (12, 12): the element's transformation,
 *                         from MATRIXCOS3P with the same reverse_flag.
 * displacements     [in]  double (6, n_nodes): nodal displacements.
 * end_displacements [out] double (12): end displacements, local axes.
 * end_forces        [out] double (12): end forces, local axes, with the
 *                         sign convention above.
 * end_forces_global [out] double (12): transform^T * end_forces (as
 *                         LOCTOGLOB), the same values in global axes.
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * element_nodes     [in]  int32 (2, n_elements): node pairs.
 * section_codes     [in]  int32 (n_elements): section column of each
 *                         element; its absolute value is used.
 * section_table     [in]  double (10, n_sections): section properties.
 * spare             [in]  int32: not read.
 * n_nodes           [in]  int32: dimension only, not read.
 * n_elements        [in]  int32: dimension only, not read.
 * element_index     [in]  int32: the element e, 1-based.
 * reverse_flag      [in]  int32: 0 or 1, the walk, as for MATRIXCOS.
 * end_code          [in]  int32: the element's entry of end_codes; a code
 *                         outside -2..3 gives zero end forces.
 *
 * Every input is read before any output is written, so an output may be
 * the same array as an input; the outputs are written in the order
 * end_displacements, end_forces, end_forces_global. Node numbers,
 * element_index and section codes must lie inside their arrays; the
 * lengths are not passed, so only the lower bounds are checked. A
 * zero-length bar gives non-finite results. An element_index or node number
 * below 1, a section code 0, or a reverse_flag other than 0 or 1 fills the
 * three outputs with quiet NaN.
 */
ZERVOLA_API void ZERVOLA_CALL GLOBTOLOC(const double *transform, const double *displacements,
                                        double *end_displacements, double *end_forces,
                                        double *end_forces_global, const double *node_x,
                                        const double *node_y, const double *node_z,
                                        const int32_t *element_nodes,
                                        const int32_t *section_codes,
                                        const double *section_table, const int32_t *spare,
                                        const int32_t *n_nodes, const int32_t *n_elements,
                                        const int32_t *element_index,
                                        const int32_t *reverse_flag, const int32_t *end_code);

/*
 * LOCTOGLOB: an element vector turned from local into global axes,
 * global_vector(i) = sum over k of transform(k, i) local_vector(k).
 *
 * transform     [in]  double (12, 12): the element's transformation.
 * local_vector  [in]  double (12): element vector in local axes.
 * global_vector [out] double (12): the same vector in global axes; may be
 *                     the same array as local_vector.
 */
ZERVOLA_API void ZERVOLA_CALL LOCTOGLOB(const double *transform, const double *local_vector,
                                        double *global_vector);

/*
 * QE1QE2: component `component` of element e's end forces and, when e's
 * end code names one of its ends (|end_codes(e)| = 1 or 2), of its
 * neighbour across that end: the lowest-numbered other element among
 * 1..n_elements with a node equal to e's other node (node j when
 * |end_codes(e)| = 1, node i when it is 2).
 *
 * Each element's end forces are those of GLOBTOLOC with its own transform
 * (MATRIXCOS3P), reverse_flag 0 and its own end code: the neighbour's
 * value is in its own local axes and its own start/end numbering, whichever
 * of its ends touches the meeting node.
 *
 * displacements  [in]  double (6, n_nodes): nodal displacements.
 * node_x, node_y, node_z  [in] double (n_nodes): node coordinates.
 * orient_x, orient_y, orient_z  [in] double (n_elements): orientation points.
 * element_nodes  [in]  int32 (2, n_elements): node pairs.
 * section_codes  [in]  int32 (n_elements): section columns (absolute value).
 * section_table  [in]  double (10, n_sections): section properties.
 * end_codes      [in]  int32 (n_elements): end codes of all elements.
 * force_element  [out] double: the element's component; always written.
 * force_neighbour [out] double: the neighbour's component; written only
 *                      when a neighbour is found, otherwise left as the
 *                      caller set it.
 * spare          [in]  int32: not read.
 * component      [in]  int32: position 1..12 in end_forces.
 * n_nodes        [in]  int32: dimension only, not read.
 * n_elements     [in]  int32: number of elements; bounds the search.
 * element_index  [in]  int32: the element e, 1-based.
 *
 * The preconditions of GLOBTOLOC hold for e and for every element that can
 * be found as its neighbour. A component outside 1..12, or an element_index,
 * node number below 1 or section code 0 of e, sets force_element to quiet
 * NaN and leaves force_neighbour alone; a node number below 1 or section
 * code 0 of the neighbour sets force_neighbour to quiet NaN.
 */
ZERVOLA_API void ZERVOLA_CALL QE1QE2(const double *displacements, const double *node_x,
                                     const double *node_y, const double *node_z,
                                     const double *orient_x, const double *orient_y,
                                     const double *orient_z, const int32_t *element_nodes,
                                     const int32_t *section_codes, const double *section_table,
                                     const int32_t *end_codes, double *force_element,
                                     double *force_neighbour, const int32_t *spare,
                                     const int32_t *component, const int32_t *n_nodes,
                                     const int32_t *n_elements, const int32_t *element_index);

/*
 * SILFACT: largest and smallest normal stress in the two end sections of an
 * element, positive in tension.
 *
 * At each end (components 1, 5, 6 at the start node, 7, 11, 12 at the end
 * node: N, My, Mz), with T = thermal_coefficient temperature_change E A,
 * hz = extent_z / 2, hy = extent_y / 2, the stress
 *   s = (-(N + T) / A - p (My / Iy) hz + q (Mz / Iz) hy) * 1.0E-6
 * is examined at the nine points z = p hz, y = q hy, p, q = -1, 0, +1, of the
 * section's bounding rectangle: eighteen stresses in all. Shear forces and
 * torque do not enter. The factor 1.0E-6 turns N/m^2 into MPa.
 *
 * end_forces          [in]  double (12): the element's end forces (GLOBTOLOC).
 * section             [in]  double (10): the element's column of
 *                           section_table; rows 1 (E), 3 (A), 5 (Iy),
 *                           6 (Iz), 8 (extent_z), 9 (extent_y), 10 (thermal
 *                           coefficient) are read.
 * temperature_change  [in]  double: uniform temperature change.
 * stress_max          [out] double: largest stress found.
 * stress_min          [out] double: smallest stress found.
 *
 * A stress that is not a number replaces neither extreme: when all eighteen
 * are not numbers the results are -1.0E20 and +1.0E20. A, Iy and Iz must be
 * non-zero.
 */
ZERVOLA_API void ZERVOLA_CALL SILFACT(const double *end_forces, const double *section,
                                      const double *temperature_change, double *stress_max,
                                      double *stress_min);

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

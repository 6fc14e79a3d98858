/* A portal frame of three bars (two columns and a beam), as a host would
   hold it, and the element matrices the library computes for it. */
#include <stdio.h>

#include "zervola.h"

#define N_NODES 4
#define N_ELEMENTS 3
#define NO_ORIENTATION 12345678.0

static void print_matrix(const char *title, const double *m) {
  int r, c;
  printf("%s\n", title);
  for (r = 0; r < 12; ++r) {
    for (c = 0; c < 12; ++c) printf(" %11.4g", m[c * 12 + r]);
    printf("\n");
  }
}

int main(void) {
  /* Units: kN, m. Columns 3 m high, beam 4 m long. */
  const double node_x[N_NODES] = {0.0, 0.0, 4.0, 4.0};
  const double node_y[N_NODES] = {0.0, 0.0, 0.0, 0.0};
  const double node_z[N_NODES] = {0.0, 3.0, 3.0, 0.0};
  const int32_t element_nodes[2 * N_ELEMENTS] = {1, 2, 2, 3, 4, 3};
  const double orient_x[N_ELEMENTS] = {NO_ORIENTATION, 2.0, NO_ORIENTATION};
  const double orient_y[N_ELEMENTS] = {NO_ORIENTATION, 0.0, NO_ORIENTATION};
  const double orient_z[N_ELEMENTS] = {NO_ORIENTATION, 10.0, NO_ORIENTATION};
  const int32_t section_codes[N_ELEMENTS] = {1, 1, 1};
  const int32_t end_codes[N_ELEMENTS] = {0, 0, 0};
  /* One steel section: E, G, A, It, Iy, Iz, unused, extent_z, extent_y, alpha. */
  const double section_table[10] = {2.1e8, 8.1e7, 5.38e-3, 2.0e-7, 8.36e-5, 6.04e-6,
                                    0.0,   0.2,   0.1,     1.2e-5};
  const int32_t n_nodes = N_NODES, n_elements = N_ELEMENTS, space_frame = 1;
  const int32_t element_frame = 0, reverse_flag = 0;
  double transform[144], element_matrix[144];
  int32_t e;

  for (e = 1; e <= N_ELEMENTS; ++e) {
    char title[128];
    MATRIXCOS3P(transform, node_x, node_y, node_z, orient_x, orient_y, orient_z, element_nodes,
                &n_nodes, &n_elements, &e, &reverse_flag);
    printf("element %d: nodes %d -> %d\n", e, element_nodes[2 * e - 2], element_nodes[2 * e - 1]);
    printf("  local x (%g, %g, %g)  local y (%g, %g, %g)  local z (%g, %g, %g)\n", transform[0],
           transform[12], transform[24], transform[1], transform[13], transform[25], transform[2],
           transform[14], transform[26]);
    MATRIXE(element_matrix, node_x, node_y, node_z, orient_x, orient_y, orient_z, element_nodes,
            section_codes, &space_frame, section_table, &e, &n_nodes, &n_elements, &element_frame,
            &end_codes[e - 1]);
    snprintf(title, sizeof title, "  stiffness in global axes (kN, m):");
    print_matrix(title, element_matrix);
    printf("\n");
  }
  return 0;
}

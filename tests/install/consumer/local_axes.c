/* Calls one export of the installed library: the local axes of a bar along
   +X, whose local x must be global X. Prints them; exits 1 when wrong. */
#include <math.h>
#include <stdio.h>

#include <zervola.h>

int main(void) {
  const double node_x[2] = {0.0, 3.0}, node_y[2] = {0.0, 0.0}, node_z[2] = {0.0, 0.0};
  const double no_orientation = 12345678.0;
  const double orient_x[1] = {no_orientation}, orient_y[1] = {no_orientation},
               orient_z[1] = {no_orientation};
  const int32_t element_nodes[2] = {1, 2};
  const int32_t n_nodes = 2, n_elements = 1, element = 1, reverse_flag = 0;
  double transform[144];
  MATRIXCOS3P(transform, node_x, node_y, node_z, orient_x, orient_y, orient_z, element_nodes,
              &n_nodes, &n_elements, &element, &reverse_flag);
  printf("local x (%g, %g, %g)\n", transform[0], transform[12], transform[24]);
  return fabs(transform[0] - 1.0) < 1e-15 && fabs(transform[12]) < 1e-15 &&
                 fabs(transform[24]) < 1e-15
             ? 0
             : 1;
}

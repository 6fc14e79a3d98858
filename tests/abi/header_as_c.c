/* The public header compiles as plain C, and a C program can call the
   exports through it. */
#include "zervola.h"

#include <stdio.h>

int main(void) {
  double k[144];
  const double e = 1.0, g = 1.0, a = 2.0, it = 1.0, iy = 1.0, iz = 1.0;
  const double dx = 4.0, dy = 0.0, dz = 0.0, l = 4.0, l2 = 16.0, l3 = 64.0;
  const int32_t end_code = 0;
  MTRXE_012SHR(k, &e, &g, &a, &it, &iy, &iz, &dx, &dy, &dz, &l, &l2, &l3, &end_code);
  if (k[0] != 0.5 || k[6 * 12] != -0.5) {
    printf("unexpected stiffness %g %g\n", k[0], k[6 * 12]);
    return 1;
  }
  printf("ok\n");
  return 0;
}

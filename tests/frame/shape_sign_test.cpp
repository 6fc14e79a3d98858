// The sign of a mode shape: the first translation of at least half the
// largest translation is made positive, whatever the rotations.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "analysis/shape_sign.hpp"

namespace zervola::frame {
namespace shape_sign_test {

// Two nodes that turn far more than they move (a stubby member in metres).
std::vector<double> shape(double first_translation, double second_translation) {
  return {first_translation, 0, 0, 0, 0, 3.0,  // node 1: ux, uy, uz, rx, ry, rz
          0, second_translation, 0, 0, 0, -4.0};
}

std::vector<double> turned_over(std::vector<double> phi) {
  for (double& v : phi) v = -v;
  return phi;
}

TEST(ShapeSign, TheFirstLargeTranslationDecidesAndRotationsDoNot) {
  // 0.6 is at least half the largest translation (1.0), though far below
  // half the largest rotation: it decides, and it is negative here.
  std::vector<double> phi = shape(-0.6, 1.0);
  orient_shape(phi.data(), phi.size());
  EXPECT_EQ(phi, turned_over(shape(-0.6, 1.0)));
  // Already positive: left as it is.
  phi = shape(0.6, -1.0);
  orient_shape(phi.data(), phi.size());
  EXPECT_EQ(phi, shape(0.6, -1.0));
  // Below half the largest translation, the first one does not decide.
  phi = shape(0.4, -1.0);
  orient_shape(phi.data(), phi.size());
  EXPECT_EQ(phi, turned_over(shape(0.4, -1.0)));
}

TEST(ShapeSign, AShapeOfRotationsAloneIsLeft) {
  std::vector<double> phi = shape(0.0, 0.0);
  orient_shape(phi.data(), phi.size());
  EXPECT_EQ(phi, shape(0.0, 0.0));
}

}  // namespace shape_sign_test
}  // namespace zervola::frame

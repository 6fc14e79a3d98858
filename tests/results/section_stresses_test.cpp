#include "results/section_stresses.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "host_frame.hpp"

namespace zervola::results {
namespace {

struct Case {
  Vector12 forces;
  std::array<double, 10> section = test::Section{}.column();
  double temperature_change = 0.0;

  [[nodiscard]] StressExtremes run() const {
    return section_stress_extremes(forces, Vector1<const double>(section.data(), 10),
                                   temperature_change);
  }
};

const test::Section k_section;

TEST(SectionStresses, NothingGivesZero) {
  const StressExtremes e = Case{}.run();
  EXPECT_EQ(e.max, 0.0);
  EXPECT_EQ(e.min, 0.0);
}

TEST(SectionStresses, TensionIsPositive) {
  Case c;
  const double P = 2.4e5;
  c.forces(1) = -P;
  c.forces(7) = -P;
  const StressExtremes e = c.run();
  EXPECT_EQ(e.max, (P / k_section.A) * 1.0E-6);
  EXPECT_EQ(e.min, e.max);
}

TEST(SectionStresses, BendingAboutLocalYUsesHalfTheExtentAlongZ) {
  for (double M : {3.0e7, -3.0e7}) {
    for (Index component : {5, 11}) {
      Case c;
      c.forces(component) = M;
      const StressExtremes e = c.run();
      const double want = (std::fabs(M) / k_section.Iy) * (0.5 * k_section.extent_z) * 1.0E-6;
      EXPECT_DOUBLE_EQ(e.max, want);
      EXPECT_DOUBLE_EQ(e.min, -want);
    }
  }
}

TEST(SectionStresses, BendingAboutLocalZUsesHalfTheExtentAlongY) {
  for (double M : {4.0e7, -4.0e7}) {
    for (Index component : {6, 12}) {
      Case c;
      c.forces(component) = M;
      const StressExtremes e = c.run();
      const double want = (std::fabs(M) / k_section.Iz) * (0.5 * k_section.extent_y) * 1.0E-6;
      EXPECT_DOUBLE_EQ(e.max, want);
      EXPECT_DOUBLE_EQ(e.min, -want);
    }
  }
}

// Compression N with both moments at the end node: the corners give
// -N/A +- |sy| +- |sz|; the start section, unloaded, gives 0.
TEST(SectionStresses, CombinedLoadingPeaksAtTheCorners) {
  Case c;
  const double N = 5.0e5, My = 2.0e7, Mz = -1.5e7;
  c.forces(7) = N;
  c.forces(11) = My;
  c.forces(12) = Mz;
  const double sN = -N / k_section.A;
  const double sy = std::fabs(My / k_section.Iy * 0.5 * k_section.extent_z);
  const double sz = std::fabs(Mz / k_section.Iz * 0.5 * k_section.extent_y);
  const StressExtremes e = c.run();
  EXPECT_NEAR(e.max, std::max(0.0, (sN + sy + sz)) * 1.0E-6, 1.0e-15);
  EXPECT_NEAR(e.min, (sN - sy - sz) * 1.0E-6, 1.0e-15);
}

TEST(SectionStresses, ShearAndTorqueDoNotEnter) {
  Case c;
  for (Index k : {2, 3, 4, 8, 9, 10}) c.forces(k) = 1.0e9;
  const StressExtremes e = c.run();
  EXPECT_EQ(e.max, 0.0);
  EXPECT_EQ(e.min, 0.0);
}

TEST(SectionStresses, HeatingWithFixedEndsCompresses) {
  Case c;
  c.temperature_change = 30.0;
  const StressExtremes e = c.run();
  const double T = k_section.thermal_coefficient * 30.0 * k_section.E * k_section.A;
  EXPECT_EQ(e.max, (-T / k_section.A) * 1.0E-6);
  EXPECT_EQ(e.min, e.max);
  EXPECT_NEAR(e.max, -k_section.E * k_section.thermal_coefficient * 30.0 * 1.0E-6, 1.0e-18);
}

TEST(SectionStresses, NonNumbersReplaceNeitherExtreme) {
  Case c;
  c.forces(5) = std::numeric_limits<double>::quiet_NaN();  // start section all NaN
  c.forces(7) = -1.0e5;
  const StressExtremes e = c.run();
  EXPECT_EQ(e.max, (1.0e5 / k_section.A) * 1.0E-6);
  EXPECT_EQ(e.min, e.max);

  Case all;
  all.temperature_change = std::numeric_limits<double>::quiet_NaN();
  const StressExtremes n = all.run();
  EXPECT_EQ(n.max, k_stress_max_start);
  EXPECT_EQ(n.min, k_stress_min_start);
  EXPECT_EQ(k_stress_max_start, -1.0E20);
  EXPECT_EQ(k_stress_min_start, 1.0E20);
}

TEST(SectionStresses, StartValuesNeverSurviveFiniteInput) {
  test::RandomFrames r(4242);
  SCOPED_TRACE("seed 4242");
  for (int n = 0; n < 500; ++n) {
    Case c;
    for (Index k = 1; k <= 12; ++k) c.forces(k) = r.uniform(-1.0e8, 1.0e8);
    c.section = r.section().column();
    c.temperature_change = r.uniform(-50.0, 50.0);
    const StressExtremes e = c.run();
    EXPECT_GT(e.max, k_stress_max_start);
    EXPECT_LT(e.min, k_stress_min_start);
    EXPECT_GE(e.max, e.min);
    // The centre of each section sees the axial stress alone.
    const double T = c.section[9] * c.temperature_change * c.section[0] * c.section[2];
    for (Index axial : {1, 7}) {
      const double centre = (-(c.forces(axial) + T) / c.section[2]) * 1.0E-6;
      EXPECT_LE(e.min, centre);
      EXPECT_GE(e.max, centre);
    }
  }
}

}  // namespace
}  // namespace zervola::results

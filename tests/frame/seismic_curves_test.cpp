// The building blocks of a response-spectrum analysis against values worked
// by hand from EN 1998-1 and from Der Kiureghian's correlation: the elastic
// and design spectra on each branch and at each corner, their continuity,
// the damping correction, tables, the modal and directional combinations,
// and the refusal of every bad spectrum with a message that says what to do.

#include <gtest/gtest.h>

#include <zervola/frame/errors.hpp>
#include <zervola/frame/seismic.hpp>

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "reading/json_item.hpp"
#include "reading/seismic_reader.hpp"

namespace zervola::frame::test {
namespace seismic_curves_test {

using nlohmann::json;

constexpr double k_close = 1e-12;  // relative, for values worked exactly by hand

ResponseSpectrum ec8_elastic(int type, char ground, double ag, double damping = 0.05) {
  ResponseSpectrum s;
  s.shape = SpectrumShape::ec8_elastic;
  s.ec8.type = type;
  s.ec8.ground_type = ground;
  s.ec8.ag = ag;
  s.damping = damping;
  return s;
}

ResponseSpectrum ec8_design(int type, char ground, double ag, double q, double beta) {
  ResponseSpectrum s = ec8_elastic(type, ground, ag);
  s.shape = SpectrumShape::ec8_design;
  s.ec8.behaviour_factor = q;
  s.ec8.lower_bound_factor = beta;
  return s;
}

double at(const ResponseSpectrum& s, double period) {
  return spectral_acceleration(s, period).acceleration;
}

void expect_close(double actual, double expected, double relative = k_close) {
  EXPECT_NEAR(actual, expected, relative * std::abs(expected)) << "expected " << expected;
}

// EN 1998-1 Tables 3.2 and 3.3, as published (S, TB, TC, TD), typed again
// here from the standard so that a slip in either copy shows.
TEST(Ec8Spectrum, GroundParametersAreThoseOfTables32And33) {
  struct Row {
    int type;
    char ground;
    double s, tb, tc, td;
  };
  const std::vector<Row> rows = {
      {1, 'A', 1.0, 0.15, 0.4, 2.0},   {1, 'B', 1.2, 0.15, 0.5, 2.0},
      {1, 'C', 1.15, 0.20, 0.6, 2.0},  {1, 'D', 1.35, 0.20, 0.8, 2.0},
      {1, 'E', 1.4, 0.15, 0.5, 2.0},   {2, 'A', 1.0, 0.05, 0.25, 1.2},
      {2, 'B', 1.35, 0.05, 0.25, 1.2}, {2, 'C', 1.5, 0.10, 0.25, 1.2},
      {2, 'D', 1.8, 0.10, 0.30, 1.2},  {2, 'E', 1.6, 0.05, 0.25, 1.2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "type " << r.type << " ground " << r.ground);
    const Ec8GroundParameters g = ec8_ground_parameters(r.type, r.ground);
    EXPECT_EQ(g.soil_factor, r.s);
    EXPECT_EQ(g.tb, r.tb);
    EXPECT_EQ(g.tc, r.tc);
    EXPECT_EQ(g.td, r.td);
  }
  EXPECT_THROW((void)ec8_ground_parameters(3, 'A'), std::invalid_argument);
  EXPECT_THROW((void)ec8_ground_parameters(1, 'F'), std::invalid_argument);
  EXPECT_THROW((void)ec8_ground_parameters(1, 'b'), std::invalid_argument);
}

// Type 1, ground C (S = 1.15, TB = 0.2, TC = 0.6, TD = 2.0), ag = 2.5, 5 %:
// ag*S = 2.875 and the plateau 2.5 * 2.875 = 7.1875.
TEST(Ec8Spectrum, ElasticType1GroundCOnEachBranch) {
  const ResponseSpectrum s = ec8_elastic(1, 'C', 2.5);
  expect_close(at(s, 0.0), 2.875);                    // ag*S
  expect_close(at(s, 0.1), 2.875 * (1.0 + 0.5 * 1.5));  // halfway up: 5.03125
  expect_close(at(s, 0.2), 7.1875);                   // TB
  expect_close(at(s, 0.4), 7.1875);
  expect_close(at(s, 0.6), 7.1875);                   // TC
  expect_close(at(s, 1.2), 3.59375);                  // 7.1875 * 0.6 / 1.2
  expect_close(at(s, 2.0), 2.15625);                  // TD: 7.1875 * 0.6 / 2
  expect_close(at(s, 3.0), 7.1875 * 1.2 / 9.0);       // 0.958333...
  expect_close(at(s, 4.0), 0.5390625);                // 7.1875 * 1.2 / 16
  EXPECT_FALSE(spectral_acceleration(s, 4.0).outside_table);
  // Beyond 4 s the 1/T^2 expression goes on, flagged.
  const SpectralValue beyond = spectral_acceleration(s, 5.0);
  expect_close(beyond.acceleration, 7.1875 * 1.2 / 25.0);  // 0.345
  EXPECT_TRUE(beyond.outside_table);
  // A mode without stiffness: no acceleration, flagged.
  const SpectralValue rigid = spectral_acceleration(s, std::numeric_limits<double>::infinity());
  EXPECT_EQ(rigid.acceleration, 0.0);
  EXPECT_TRUE(rigid.outside_table);
}

// Type 2, ground D (S = 1.8, TB = 0.1, TC = 0.3, TD = 1.2), ag = 1, 2 %:
// eta = sqrt(10/7) = 1.1952286093343936, plateau 1.8 * 2.5 * eta
// = 5.378528742004771.
TEST(Ec8Spectrum, ElasticType2GroundDWithTwoPercentDamping) {
  const ResponseSpectrum s = ec8_elastic(2, 'D', 1.0, 0.02);
  expect_close(at(s, 0.0), 1.8);
  expect_close(at(s, 0.05), 3.5892643710023857, 1e-14);  // 1.8 (1 + 0.5 (2.5 eta - 1))
  expect_close(at(s, 0.2), 5.378528742004771, 1e-14);
  expect_close(at(s, 0.6), 2.6892643710023854, 1e-14);   // plateau * 0.3 / 0.6
  expect_close(at(s, 2.4), 0.33615804637529817, 1e-14);  // plateau * 0.3 * 1.2 / 2.4^2
}

TEST(Ec8Spectrum, DampingCorrection) {
  EXPECT_DOUBLE_EQ(ec8_damping_correction(0.05), 1.0);
  EXPECT_DOUBLE_EQ(ec8_damping_correction(0.02), std::sqrt(10.0 / 7.0));  // 1.1952
  EXPECT_DOUBLE_EQ(ec8_damping_correction(0.10), std::sqrt(10.0 / 15.0));
  // sqrt(10 / (5 + xi)) reaches 0.55 at xi = 10 / 0.3025 - 5 = 28.06 %; above, the floor.
  EXPECT_DOUBLE_EQ(ec8_damping_correction(0.30), 0.55);  // sqrt(10/35) = 0.5345
  EXPECT_DOUBLE_EQ(ec8_damping_correction(0.90), 0.55);
  EXPECT_GT(ec8_damping_correction(0.28), 0.55);
  EXPECT_THROW((void)ec8_damping_correction(0.0), std::invalid_argument);
  EXPECT_THROW((void)ec8_damping_correction(1.0), std::invalid_argument);
  // The floor reaches the spectrum: 30 % gives 0.55 of the 5 % plateau.
  expect_close(at(ec8_elastic(1, 'C', 2.5, 0.30), 0.4), 0.55 * 7.1875);
}

// Each expression meets the next at the corner periods, for every type and
// ground type, in both spectra.
TEST(Ec8Spectrum, ContinuousAtTheCornersForEveryGround) {
  constexpr double step = 1e-9;
  for (int type = 1; type <= 2; ++type) {
    for (char ground = 'A'; ground <= 'E'; ++ground) {
      SCOPED_TRACE(testing::Message() << "type " << type << " ground " << ground);
      const Ec8GroundParameters g = ec8_ground_parameters(type, ground);
      // q = 1.5 keeps the design plateau above beta*ag, so that the floor
      // does not start at TC.
      for (const ResponseSpectrum& s :
           {ec8_elastic(type, ground, 3.0, 0.03), ec8_design(type, ground, 3.0, 1.5, 0.2)}) {
        for (const double corner : {g.tb, g.tc, g.td}) {
          const double below = at(s, corner - step);
          const double above = at(s, corner + step);
          EXPECT_NEAR(below, at(s, corner), 1e-7 * at(s, corner)) << "at " << corner;
          EXPECT_NEAR(above, at(s, corner), 1e-7 * at(s, corner)) << "at " << corner;
        }
      }
    }
  }
}

// Type 1, ground B (S = 1.2, TB = 0.15, TC = 0.5, TD = 2), ag = 2, q = 4,
// beta = 0.2: Sd(0) = 2 * 1.2 * 2/3 = 1.6, plateau 2 * 1.2 * 2.5 / 4 = 1.5;
// from TC, 1.5 * 0.5 / T until it meets beta*ag = 0.4 at T = 1.875.
TEST(Ec8Spectrum, DesignSpectrumWithItsLowerBound) {
  const ResponseSpectrum s = ec8_design(1, 'B', 2.0, 4.0, 0.2);
  expect_close(at(s, 0.0), 1.6);
  expect_close(at(s, 0.075), 1.55);  // halfway from 1.6 to 1.5
  expect_close(at(s, 0.3), 1.5);
  expect_close(at(s, 1.0), 0.75);
  expect_close(at(s, 1.5), 0.5);
  expect_close(at(s, 1.875), 0.4);
  expect_close(at(s, 1.95), 0.4);  // 0.3846 unbounded
  expect_close(at(s, 3.0), 0.4);   // 0.1667 unbounded
  expect_close(at(s, 6.0), 0.4);
  EXPECT_TRUE(spectral_acceleration(s, 6.0).outside_table);
  // Without the bound the expression's own value shows: 1.5 * 0.5 * 2 / 9.
  expect_close(at(ec8_design(1, 'B', 2.0, 4.0, 0.0), 3.0), 1.5 / 9.0);
  // The damping is within q: another damping changes nothing.
  ResponseSpectrum damped = s;
  damped.damping = 0.02;
  EXPECT_EQ(at(damped, 0.3), at(s, 0.3));
  EXPECT_EQ(at(damped, 1.0), at(s, 1.0));
}

TEST(TableSpectrum, InterpolatesAndFlagsWhatLiesOutside) {
  ResponseSpectrum s;
  s.table = {{0.1, 2.5}, {0.5, 6.0}, {2.0, 1.5}};
  expect_close(at(s, 0.3), 4.25);                  // halfway from 2.5 to 6
  expect_close(at(s, 1.0), 6.0 - 4.5 * 0.5 / 1.5);  // 4.5
  EXPECT_EQ(at(s, 0.5), 6.0);
  EXPECT_FALSE(spectral_acceleration(s, 0.1).outside_table);
  EXPECT_FALSE(spectral_acceleration(s, 2.0).outside_table);
  const SpectralValue before = spectral_acceleration(s, 0.05);
  EXPECT_EQ(before.acceleration, 2.5);
  EXPECT_TRUE(before.outside_table);
  const SpectralValue after = spectral_acceleration(s, 3.0);
  EXPECT_EQ(after.acceleration, 1.5);
  EXPECT_TRUE(after.outside_table);
  EXPECT_THROW((void)spectral_acceleration(s, -0.1), std::invalid_argument);
  EXPECT_THROW((void)spectral_acceleration(s, std::nan("")), std::invalid_argument);
}

// Der Kiureghian's correlation for damping xi_i, xi_j (Earthquake Eng.
// Struct. Dyn. 9, 1981), written independently of the equal-damping form:
//   rho = 8 sqrt(xi_i xi_j) (xi_i + r xi_j) r^1.5
//         / ((1 - r^2)^2 + 4 xi_i xi_j r (1 + r^2) + 4 (xi_i^2 + xi_j^2) r^2)
double general_correlation(double omega_i, double omega_j, double xi_i, double xi_j) {
  const double r = omega_j / omega_i;
  return 8.0 * std::sqrt(xi_i * xi_j) * (xi_i + r * xi_j) * std::pow(r, 1.5) /
         (std::pow(1.0 - r * r, 2) + 4.0 * xi_i * xi_j * r * (1.0 + r * r) +
          4.0 * (xi_i * xi_i + xi_j * xi_j) * r * r);
}

TEST(ModalCombination, CqcCorrelation) {
  EXPECT_EQ(cqc_correlation(7.0, 7.0, 0.05), 1.0);
  // xi = 0.05, r = 0.9: numerator 8 * 0.0025 * 1.9 * 0.9^1.5 = 0.038 * 0.85381497
  // = 0.03244497; denominator 0.19^2 + 0.01 * 0.9 * 1.9^2 = 0.0361 + 0.03249
  // = 0.06859; rho = 0.4730277.
  EXPECT_NEAR(cqc_correlation(10.0, 9.0, 0.05), 0.4730277, 1e-7);
  EXPECT_NEAR(cqc_correlation(10.0, 9.0, 0.05), general_correlation(10.0, 9.0, 0.05, 0.05), 1e-15);
  for (const double xi : {0.02, 0.05, 0.2}) {
    for (const double omega : {1.0, 4.0, 9.5, 10.5, 30.0}) {
      SCOPED_TRACE(testing::Message() << "xi " << xi << " omega " << omega);
      const double rho = cqc_correlation(10.0, omega, xi);
      EXPECT_EQ(rho, cqc_correlation(omega, 10.0, xi));  // symmetric
      EXPECT_NEAR(rho, general_correlation(10.0, omega, xi, xi), 1e-14);
      EXPECT_GT(rho, 0.0);
      EXPECT_LT(rho, 1.0);
    }
  }
  EXPECT_THROW((void)cqc_correlation(0.0, 1.0, 0.05), std::invalid_argument);
  EXPECT_THROW((void)cqc_correlation(1.0, 2.0, 0.0), std::invalid_argument);
}

TEST(ModalCombination, SeparatedModesCombineAsSrss) {
  // r = 10 at 5 %: rho = 7.1e-4, so CQC = sqrt(2 + 2 rho) against SRSS sqrt(2).
  const std::vector<double> values = {1.0, 1.0};
  const double cqc = ModalCombiner({2.0, 20.0}, 0.05, ModalCombination::cqc).combine(values);
  const double srss = ModalCombiner({2.0, 20.0}, 0.05, ModalCombination::srss).combine(values);
  EXPECT_DOUBLE_EQ(srss, std::sqrt(2.0));
  EXPECT_LT(std::abs(cqc - srss) / srss, 0.01);
  EXPECT_GT(cqc, srss);
}

TEST(ModalCombination, EqualModesAddWithTheirSigns) {
  const ModalCombiner cqc({5.0, 5.0}, 0.05, ModalCombination::cqc);
  EXPECT_DOUBLE_EQ(cqc.combine(std::vector<double>{3.0, -5.0}), 2.0);
  EXPECT_DOUBLE_EQ(cqc.combine(std::vector<double>{3.0, 5.0}), 8.0);
  // Equal and opposite: zero in exact arithmetic, never the root of a
  // negative rounding.
  const double tiny = cqc.combine(std::vector<double>{0.1 + 0.2, -0.3});
  EXPECT_FALSE(std::isnan(tiny));
  EXPECT_LT(tiny, 1e-15);
}

TEST(ModalCombination, CombinerAgreesWithTheDoubleSum) {
  const std::vector<double> omegas = {6.0, 6.5, 11.0, 30.0, 31.0};
  const std::vector<double> values = {2.0, -1.5, 0.7, 3.0, -2.5};
  const ModalCombiner combiner(omegas, 0.05, ModalCombination::cqc);
  EXPECT_EQ(combiner.modes(), omegas.size());
  double sum = 0.0;
  for (std::size_t i = 0; i < omegas.size(); ++i)
    for (std::size_t j = 0; j < omegas.size(); ++j) {
      const double rho = general_correlation(omegas[i], omegas[j], 0.05, 0.05);
      EXPECT_NEAR(combiner.correlation(i, j), rho, 1e-14);
      sum += rho * values[i] * values[j];
    }
  EXPECT_NEAR(combiner.combine(values), std::sqrt(sum), 1e-12);
  EXPECT_EQ(ModalCombiner({}, 0.05, ModalCombination::cqc).combine({}), 0.0);
  EXPECT_THROW((void)combiner.combine(std::vector<double>{1.0}), std::invalid_argument);
  EXPECT_THROW(ModalCombiner({1.0, -2.0}, 0.05, ModalCombination::srss), std::invalid_argument);
}

TEST(DirectionalCombination, SrssAnd100By30) {
  EXPECT_DOUBLE_EQ(combine_directions({3.0, 4.0, 0.0}, DirectionalCombination::srss), 5.0);
  EXPECT_DOUBLE_EQ(combine_directions({-3.0, 4.0, 12.0}, DirectionalCombination::srss), 13.0);
  // max(3 + 0.3*4, 4 + 0.3*3) = max(4.2, 4.9)
  EXPECT_DOUBLE_EQ(combine_directions({3.0, 4.0, 0.0}, DirectionalCombination::rule_100_30), 4.9);
  // max(3 + 0.3*16, 4 + 0.3*15, 12 + 0.3*7) = max(7.8, 8.5, 14.1)
  EXPECT_DOUBLE_EQ(combine_directions({-3.0, 4.0, -12.0}, DirectionalCombination::rule_100_30), 14.1);
  EXPECT_DOUBLE_EQ(combine_directions({0.0, -2.0, 0.0}, DirectionalCombination::rule_100_30), 2.0);
}

SpectrumRequest read(const std::string& text) {
  const json value = json::parse(text);
  return read_spectrum(Item(value, "model.json", "spectrum"));
}

TEST(SpectrumReader, ReadsATableWithDefaults) {
  const SpectrumRequest r = read(R"({"table": [[0.0, 2.5], [0.5, 6.0], [2.0, 1.5]]})");
  EXPECT_EQ(r.name, "spectrum");
  EXPECT_EQ(r.spectrum.shape, SpectrumShape::table);
  ASSERT_EQ(r.spectrum.table.size(), 3U);
  EXPECT_EQ(r.spectrum.table[1][0], 0.5);
  EXPECT_EQ(r.spectrum.table[1][1], 6.0);
  EXPECT_EQ(r.spectrum.damping, 0.05);
  EXPECT_EQ(r.directions, (std::array<bool, 3>{true, true, false}));
  EXPECT_EQ(r.modal, ModalCombination::cqc);
  EXPECT_EQ(r.directional, DirectionalCombination::srss);
  EXPECT_EQ(r.origin.file, "model.json");
  EXPECT_EQ(r.origin.place, "spectrum");
}

TEST(SpectrumReader, ReadsEc8Spectra) {
  const SpectrumRequest design = read(R"({"name": "E", "ec8": {"type": 2, "ground": "D", "ag": 2.45,
      "q": 3.9, "beta": 0.1}, "damping": 0.02, "directions": ["Z", "X"],
      "modal_combination": "SRSS", "directional_combination": "100/30", "comment": "x"})");
  EXPECT_EQ(design.name, "E");
  EXPECT_EQ(design.spectrum.shape, SpectrumShape::ec8_design);
  EXPECT_EQ(design.spectrum.ec8.type, 2);
  EXPECT_EQ(design.spectrum.ec8.ground_type, 'D');
  EXPECT_EQ(design.spectrum.ec8.ag, 2.45);
  EXPECT_EQ(design.spectrum.ec8.behaviour_factor, 3.9);
  EXPECT_EQ(design.spectrum.ec8.lower_bound_factor, 0.1);
  EXPECT_EQ(design.spectrum.damping, 0.02);
  EXPECT_EQ(design.directions, (std::array<bool, 3>{true, false, true}));
  EXPECT_EQ(design.modal, ModalCombination::srss);
  EXPECT_EQ(design.directional, DirectionalCombination::rule_100_30);
  const SpectrumRequest elastic = read(R"({"ec8": {"type": 1, "ground": "A", "ag": 3}})");
  EXPECT_EQ(elastic.spectrum.shape, SpectrumShape::ec8_elastic);
  const SpectrumRequest bounded = read(R"({"ec8": {"type": 1, "ground": "A", "ag": 3, "q": 2}})");
  EXPECT_EQ(bounded.spectrum.ec8.lower_bound_factor, 0.2);
}

TEST(SpectrumReader, NamesFilePlaceAndField) {
  try {
    (void)read(R"({"table": [[0, 1], [1, 1]], "damping": 0})");
    FAIL() << "accepted a damping of 0";
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()),
              "model.json: spectrum: field \"damping\": the damping must be a ratio of critical "
              "strictly between 0 and 1 (0.05 for 5 %), is 0");
  }
}

TEST(SpectrumReader, RefusesEveryBadSpectrum) {
  struct Bad {
    const char* json;
    const char* fragment;
  };
  const std::vector<Bad> bad = {
      {R"({"table": [[0, 1]]})", "field \"table\": a table of 1 point: give at least 2"},
      {R"({"table": []})", "a table of 0 points"},
      {R"({"table": [[0, 1], [1]]})", "point 2 (table[1]) is [1], not two numbers"},
      {R"({"table": [[0, 1], [1, "2"]]})", "point 2 (table[1]) is [1,\"2\"], not two numbers"},
      // A third number (a damping, say) would be dropped without a word.
      {R"({"table": [[0, 1], [1, 2, 0.05]]})", "point 2 (table[1]) is [1,2,0.05], not two numbers"},
      {R"({"table": [[-0.1, 1], [1, 2]]})", "point 1 (table[0]): the period -0.1 s is negative"},
      {R"({"table": [[0, 1], [1, -2]]})", "point 2 (table[1]): the acceleration -2 is negative"},
      {R"({"table": [[0, 1], [0.5, 2], [0.5, 3]]})",
       "point 3 (table[2]): the period 0.5 s is not greater than the period 0.5 s of point 2 "
       "(table[1]); periods must increase strictly"},
      {R"({"table": [[0, 1], [0.8, 2], [0.4, 3]]})",
       "the period 0.4 s is not greater than the period 0.8 s of point 2"},
      {R"({"table": {"0": 1}})", "field \"table\": expected an array"},
      {R"({"table": [[0, 1], [1, 1]], "ec8": {"type": 1, "ground": "B", "ag": 1}})",
       "field \"ec8\": give either a table or ec8, not both"},
      {R"({"damping": 0.05})", "field \"table\": missing field: give the spectrum as a table"},
      {R"({"ec8": {"type": 3, "ground": "B", "ag": 1}})",
       "spectrum, ec8: field \"type\": 3 is not a spectrum type of EN 1998-1: give 1"},
      {R"({"ec8": {"type": 1.5, "ground": "B", "ag": 1}})", "1.5 is not a spectrum type"},
      {R"({"ec8": {"ground": "B", "ag": 1}})", "field \"type\": missing field"},
      {R"({"ec8": {"type": 1, "ground": "F", "ag": 1}})",
       "field \"ground\": \"F\" is not a ground type of EN 1998-1: give one of A, B, C, D, E"},
      {R"({"ec8": {"type": 1, "ground": "BC", "ag": 1}})", "\"BC\" is not a ground type"},
      {R"({"ec8": {"type": 1, "ground": 2, "ag": 1}})", "field \"ground\": expected a string"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": 0}})",
       "field \"ag\": the design ground acceleration on type A ground must be positive"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": -2}})", "must be positive and finite, in the "
                                                          "model's length per s^2 (2.45 for 0.25 "
                                                          "g in m/s^2), is -2"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": 1, "q": 0.9}})",
       "field \"q\": the behaviour factor q must be at least 1 (1: no reduction for ductility), "
       "is 0.9"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": 1, "q": 2, "beta": -0.1}})",
       "field \"beta\": the lower bound factor beta must be zero or more"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": 1, "beta": 0.2}})",
       "field \"beta\": beta bounds the design spectrum, which q asks for: give q too"},
      {R"({"ec8": {"type": 1, "ground": "B", "ag": 1, "g": 2}})", "spectrum, ec8: field \"g\": unknown field"},
      {R"({"table": [[0, 1], [1, 1]], "damping": 1})", "field \"damping\": the damping must be a "
                                                       "ratio of critical strictly between 0 and 1"},
      {R"({"table": [[0, 1], [1, 1]], "damping": -0.05})", "strictly between 0 and 1 (0.05 for 5 %), is -0.05"},
      {R"({"table": [[0, 1], [1, 1]], "directions": []})",
       "field \"directions\": names no direction: give any of \"X\", \"Y\", \"Z\""},
      {R"({"table": [[0, 1], [1, 1]], "directions": ["X", "W"]})",
       "field \"directions\": \"W\" is not a direction"},
      {R"({"table": [[0, 1], [1, 1]], "directions": ["x"]})", "\"x\" is not a direction"},
      {R"({"table": [[0, 1], [1, 1]], "directions": ["Y", "Y"]})",
       "field \"directions\": \"Y\" is named twice: name each direction once"},
      {R"({"table": [[0, 1], [1, 1]], "directions": [1]})", "1 is not a direction"},
      {R"({"table": [[0, 1], [1, 1]], "directions": "X"})", "field \"directions\": expected an array"},
      {R"({"table": [[0, 1], [1, 1]], "modal_combination": "ABS"})",
       "field \"modal_combination\": \"ABS\" is not a modal combination: give \"CQC\" or \"SRSS\""},
      {R"({"table": [[0, 1], [1, 1]], "directional_combination": "100-30"})",
       "field \"directional_combination\": \"100-30\" is not a directional combination: give "
       "\"SRSS\" or \"100/30\""},
      {R"({"table": [[0, 1], [1, 1]], "scale": 2})", "field \"scale\": unknown field"},
      {R"({"table": [[0, 1], [1, 1]], "name": ""})", "field \"name\": is empty"},
      {R"({"table": [[0, 1], [1, 1]], "name": "a\u001bb"})", "\"a\\x1bb\" holds a control character"},
      {R"([1, 2])", "spectrum: expected an object, found array"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.json);
    try {
      (void)read(b.json);
      ADD_FAILURE() << "accepted";
    } catch (const InputError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(b.fragment), std::string::npos) << message;
      EXPECT_EQ(message.rfind("model.json: spectrum", 0), 0U) << message;
    }
  }
}

// A spectrum built in code is refused on the same terms, naming the member.
TEST(CheckSpectrum, RefusesASpectrumBuiltInCode) {
  const auto message = [](const ResponseSpectrum& s) -> std::string {
    try {
      check_spectrum(s, "api spectrum");
    } catch (const InputError& e) {
      return e.what();
    }
    return "accepted";
  };
  ResponseSpectrum table;
  table.table = {{0.0, 1.0}, {1.0, 2.0}};
  EXPECT_EQ(message(table), "accepted");
  table.table.push_back({1.0, 3.0});
  EXPECT_EQ(message(table),
            "api spectrum: field \"table\": point 3 (table[2]): the period 1 s is not greater than "
            "the period 1 s of point 2 (table[1]); periods must increase strictly: sort the "
            "points by period and give each period once");
  table.table = {{0.0, std::nan("")}, {1.0, 2.0}};
  EXPECT_NE(message(table).find("point 1 (table[0]) is not two finite numbers"), std::string::npos);

  ResponseSpectrum elastic = ec8_elastic(1, 'B', 2.0);
  elastic.ec8.behaviour_factor = 0.0;  // the elastic spectrum has no q: ignored
  EXPECT_EQ(message(elastic), "accepted");
  elastic.ec8.ground_type = 'Q';
  EXPECT_NE(message(elastic).find("field \"ec8.ground_type\": \"Q\" is not a ground type"),
            std::string::npos);
  elastic.ec8.ground_type = 'B';
  elastic.ec8.type = 0;
  EXPECT_NE(message(elastic).find("field \"ec8.type\": 0 is not a spectrum type"), std::string::npos);
  elastic.ec8.type = 1;
  elastic.ec8.ag = std::numeric_limits<double>::infinity();
  EXPECT_NE(message(elastic).find("field \"ec8.ag\""), std::string::npos);

  ResponseSpectrum design = ec8_design(1, 'B', 2.0, 0.5, 0.2);
  EXPECT_NE(message(design).find("field \"ec8.behaviour_factor\": the behaviour factor q must be "
                                 "at least 1"),
            std::string::npos);
  design.ec8.behaviour_factor = 2.0;
  design.ec8.lower_bound_factor = -1.0;
  EXPECT_NE(message(design).find("field \"ec8.lower_bound_factor\""), std::string::npos);
  design.ec8.lower_bound_factor = 0.2;
  design.damping = std::nan("");
  EXPECT_NE(message(design).find("field \"damping\": the damping must be a ratio"), std::string::npos);
  design.damping = 0.05;
  EXPECT_EQ(message(design), "accepted");
}

}  // namespace seismic_curves_test
}  // namespace zervola::frame::test

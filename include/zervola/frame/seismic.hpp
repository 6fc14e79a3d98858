#pragma once

// The building blocks of a response-spectrum analysis: the spectrum of
// accelerations (a table, or the elastic or design spectrum of EN 1998-1),
// the correlation and combination of modal responses (CQC, SRSS), and the
// combination of the responses to the directions of excitation (SRSS,
// 100/30). Each is a pure function of its arguments; none analyses a model.
//
// Units: periods in seconds, circular frequencies in rad/s, accelerations in
// the model's length unit per s^2 (the model's force and length units stand
// as they are; the time unit is the second), damping as a ratio of critical.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "zervola/frame/export.hpp"
#include "zervola/frame/origin.hpp"

namespace zervola::frame {

// Defaults. 5 % of critical is the damping EN 1998-1's spectra are drawn
// for (eta = 1); beta = 0.2 is the value its note to §3.2.2.5(4)P
// recommends.
inline constexpr double k_default_spectrum_damping = 0.05;
inline constexpr double k_default_lower_bound_factor = 0.2;
inline constexpr int k_default_ec8_type = 1;
inline constexpr char k_default_ground_type = 'B';

// EN 1998-1 §3.2.2.2: the spectra are given for periods up to 4 s; the
// plateau is 2.5 times the ground acceleration (for 5 % damping); the damping
// correction eta = sqrt(10 / (5 + xi)), xi in percent, is not less than 0.55.
inline constexpr double k_ec8_largest_period = 4.0;  // s
inline constexpr double k_ec8_plateau_amplification = 2.5;
inline constexpr double k_ec8_eta_numerator = 10.0;      // percent
inline constexpr double k_ec8_eta_damping_shift = 5.0;   // percent
inline constexpr double k_ec8_eta_floor = 0.55;
// EN 1998-1 §3.2.2.5(4)P: the design spectrum starts at 2/3 of ag*S at T = 0.
inline constexpr double k_ec8_design_start_factor = 2.0 / 3.0;

// The share of the other directions' responses in the 100/30 rule
// (EN 1998-1 §4.3.3.5.1(3)).
inline constexpr double k_rule_100_30_share = 0.3;

// How the spectrum of accelerations is given.
enum class SpectrumShape {
  table,        // ResponseSpectrum::table, interpolated linearly in period
  ec8_elastic,  // EN 1998-1 §3.2.2.2, Se(T), with the damping's eta
  ec8_design    // EN 1998-1 §3.2.2.5, Sd(T), with q and beta
};

// The parameters of the spectra of EN 1998-1.
struct Ec8Spectrum {
  int type = k_default_ec8_type;         // 1 or 2 (§3.2.2.2(2)P)
  char ground_type = k_default_ground_type;  // 'A' to 'E' (Table 3.1)
  double ag = 0.0;  // design ground acceleration on type A ground, length/s^2
  double behaviour_factor = 1.0;  // q, >= 1; design spectrum only
  double lower_bound_factor = k_default_lower_bound_factor;  // beta, >= 0; design spectrum only
};

struct ResponseSpectrum {
  SpectrumShape shape = SpectrumShape::table;
  // (period s, acceleration length/s^2), periods strictly increasing, at
  // least two points, none negative; shape table only.
  std::vector<std::array<double, 2>> table;
  Ec8Spectrum ec8;  // shapes ec8_elastic and ec8_design only
  // Ratio of critical, strictly inside (0, 1): the modal correlation of CQC
  // and the elastic spectrum's eta (the design spectrum's is within q).
  double damping = k_default_spectrum_damping;
};

enum class ModalCombination { cqc, srss };
enum class DirectionalCombination { srss, rule_100_30 };

// A response-spectrum load set: the spectrum, the directions it excites and
// how the responses combine.
struct SpectrumRequest {
  std::string name = "spectrum";  // the load set's name, for combinations
  ResponseSpectrum spectrum;
  std::array<bool, 3> directions{true, true, false};  // excitation along X, Y, Z
  // Scale of the spectrum per direction, e.g. a vertical spectrum as a
  // share of the horizontal one.
  std::array<double, 3> direction_factors{1.0, 1.0, 1.0};
  ModalCombination modal = ModalCombination::cqc;
  DirectionalCombination directional = DirectionalCombination::srss;
  Origin origin;  // where it was read from, for messages
};

// The value of a spectrum at one period.
struct SpectralValue {
  double acceleration = 0.0;  // length/s^2
  // The period is outside the range the spectrum is given for (before the
  // first or after the last point of a table; beyond 4 s for EN 1998-1):
  // the value is extrapolated as described at spectral_acceleration, and
  // the caller should warn.
  bool outside_table = false;
};

// The soil factor and corner periods of EN 1998-1 for one ground type.
struct Ec8GroundParameters {
  double soil_factor = 0.0;  // S
  double tb = 0.0;           // s, start of the constant-acceleration plateau
  double tc = 0.0;           // s, end of the plateau
  double td = 0.0;           // s, start of the constant-displacement range
};

// ec8_ground_parameters: S, TB, TC and TD of EN 1998-1 Table 3.2 (type 1)
// or Table 3.3 (type 2), the recommended values.
//   type         in  1 or 2
//   ground_type  in  'A' to 'E'
// Throws std::invalid_argument for any other type or ground type.
[[nodiscard]] ZERVOLA_FRAME_API Ec8GroundParameters ec8_ground_parameters(int type,
                                                                         char ground_type);

// ec8_damping_correction: eta = sqrt(10 / (5 + xi)) >= 0.55 of EN 1998-1
// §3.2.2.2(3), xi the damping in percent; 1 at 5 %.
//   damping  in  ratio of critical, strictly inside (0, 1)
// Throws std::invalid_argument when damping is not strictly inside (0, 1).
[[nodiscard]] ZERVOLA_FRAME_API double ec8_damping_correction(double damping);

// spectral_acceleration: the spectrum's acceleration at a period.
//   spectrum  in  a spectrum check_spectrum accepts (not checked again; a
//                 table that is empty, or an EN 1998-1 type or ground type
//                 that does not exist, throws std::invalid_argument)
//   period    in  s, >= 0; +infinity (a mode without stiffness) is accepted
// Returns the acceleration in length/s^2:
//   table        linear interpolation between the points about the period;
//                before the first or after the last point, the value of
//                that point, with outside_table.
//   ec8_elastic  Se(T) of EN 1998-1 §3.2.2.2 (expressions 3.2 to 3.5) with
//                eta from the damping; beyond 4 s the expression of TD to
//                4 s goes on, with outside_table.
//   ec8_design   Sd(T) of EN 1998-1 §3.2.2.5 (expressions 3.13 to 3.16)
//                with q and, from TC on, the floor beta*ag; the damping does
//                not enter (q holds it); beyond 4 s as for ec8_elastic.
// Throws std::invalid_argument when the period is negative or not a number.
[[nodiscard]] ZERVOLA_FRAME_API SpectralValue spectral_acceleration(
    const ResponseSpectrum& spectrum, double period);

// cqc_correlation: the correlation rho_ij of two modes' responses in the
// complete quadratic combination (Der Kiureghian, 1981), for the same
// damping xi in every mode, with r = omega_j / omega_i:
//   rho = 8 xi^2 (1 + r) r^(3/2) / ((1 - r^2)^2 + 4 xi^2 r (1 + r)^2).
// It is symmetric in i and j, 1 for equal frequencies, and falls towards 0
// as the frequencies move away from each other.
//   omega_i, omega_j  in  circular frequencies, rad/s, positive and finite
//   damping           in  ratio of critical, strictly inside (0, 1)
// Throws std::invalid_argument for a frequency or damping outside these.
[[nodiscard]] ZERVOLA_FRAME_API double cqc_correlation(double omega_i, double omega_j,
                                                       double damping);

// ModalCombiner: combines the modal values of many response quantities
// (displacements, end forces, reactions) of the same modes. The
// correlations of CQC are computed once, for every pair of modes, when it is
// made.
class ZERVOLA_FRAME_API ModalCombiner {
 public:
  //   omegas   in  the modes' circular frequencies, rad/s, each positive and
  //                finite (any order); may be empty
  //   damping  in  ratio of critical, strictly inside (0, 1); used by CQC
  //   method   in  CQC or SRSS
  // Throws std::invalid_argument for a frequency or damping outside these
  // (SRSS checks them too, so that a change of method never lets one by).
  ModalCombiner(std::vector<double> omegas, double damping, ModalCombination method);

  // combine: the peak of one response quantity from its modal peaks R_i:
  //   CQC   sqrt(sum_i sum_j rho_ij R_i R_j)
  //   SRSS  sqrt(sum_i R_i^2)
  // The sum of CQC is a positive semi-definite form; a value below zero
  // from rounding is taken as zero.
  //   per_mode  in  R_i, one per mode, in the order of omegas, any unit
  // Returns the combined peak, >= 0, in the unit of per_mode; 0 for no mode.
  // Throws std::invalid_argument when per_mode does not hold one value per
  // mode.
  [[nodiscard]] double combine(std::span<const double> per_mode) const;

  // The number of modes; the correlation of modes i and j (1 for i == j;
  // 0 for i != j under SRSS). correlation does not check i and j.
  [[nodiscard]] std::size_t modes() const { return modes_; }
  [[nodiscard]] double correlation(std::size_t i, std::size_t j) const;

 private:
  std::size_t modes_ = 0;
  ModalCombination method_;
  // rho_ij for i < j, row by row: the pairs (0,1), (0,2), ..., (1,2), ...
  std::vector<double> upper_;
};

// combine_directions: the response to excitation along several directions
// from the (already modally combined) response to each.
//   per_direction  in  the response E_d to X, Y and Z; 0 for a direction
//                       that is not excited; any unit, sign ignored
//   method         in  SRSS: sqrt(E_x^2 + E_y^2 + E_z^2);
//                       100/30: the largest over d of |E_d| + 0.3 times the
//                       sum of the other two |E_o|
// Returns the combined response, >= 0. Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API double combine_directions(const std::array<double, 3>& per_direction,
                                                          DirectionalCombination method);

// check_spectrum: refuses a spectrum that cannot be used, as the JSON reader
// does, for a spectrum built in code.
//   spectrum  in  the spectrum to check
//   where     in  what names it in messages, e.g. "model.json: spectrum \"E\""
// Throws InputError "<where>: field \"<field>\": <problem and what to do>"
// (fields as ResponseSpectrum names them: "table", "ec8.ag", "damping", ...)
// for: a table of fewer than 2 points, a point not finite or negative,
// periods not strictly increasing; an EN 1998-1 type not 1 or 2, a ground
// type not 'A' to 'E', ag not positive and finite; for the design spectrum
// q below 1 or beta below 0 (or either not finite); a damping not strictly
// inside (0, 1); a shape that is none of SpectrumShape's.
ZERVOLA_FRAME_API void check_spectrum(const ResponseSpectrum& spectrum, const std::string& where);

}  // namespace zervola::frame

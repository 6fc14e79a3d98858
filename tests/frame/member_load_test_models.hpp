#pragma once

// Small models for the member-load tests, written in the model format, and
// the closed-form table those tests print.

#include <string>

#include <zervola/frame.hpp>

namespace zervola::frame {

inline constexpr double k_E = 2.1e8;
inline constexpr double k_G = 8.0e7;
inline constexpr double k_A = 1.0e-2;
inline constexpr double k_It = 1.0e-5;
inline constexpr double k_Iy = 2.0e-5;
inline constexpr double k_Iz = 3.0e-5;
inline constexpr double k_extent_z = 0.3;
inline constexpr double k_extent_y = 0.2;
inline constexpr double k_alpha = 1.2e-5;

// A straight beam along global x from 0 to length in n_members equal
// members M1, M2, ...; supports: a JSON array with one entry per node (a
// support object without "at", or null); member_loads: the one load case's
// "member_loads" array.
[[nodiscard]] std::string beam_model(double length, int n_members, const std::string& supports,
                                     const std::string& member_loads,
                                     const std::string& release = "none");

// One member from the origin (fixed) to tip, under self-weight of density
// rho and gravity (0, 0, -g).
[[nodiscard]] std::string cantilever_model(const Point3& tip, double rho, double g);

// Reads, checks and analyses a model given as text.
[[nodiscard]] AnalysisResult analyse_text(const std::string& text);

// Prints one row of the closed-form table: quantity, expected, obtained.
void record_closed_form(const std::string& quantity, double expected, double obtained);

}  // namespace zervola::frame

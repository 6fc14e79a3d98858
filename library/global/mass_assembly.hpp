#pragma once

// The global mass matrix M of a frame, in the skyline store of its stiffness
// (the same profile: every element couples the same equations), and its
// entries other than zero for the products M x of the eigensolvers.

#include <span>
#include <vector>

#include "common/index.hpp"
#include "element/local_mass.hpp"
#include "global/assembly.hpp"
#include "global/skyline_matrix.hpp"

namespace zervola::global {

// A mass or rotary inertia on one equation's diagonal (a mass placed at a
// node: its mass on the three translations, its inertias on the rotations).
struct EquationMass {
  Index equation = 0;  // 1 .. n_equations
  double mass = 0.0;
};

// Everything besides the frame's arrays that its mass needs.
struct MassModel {
  Vector1<const double> bar_mass;   // (n_elements) rho A of each element, mass / length
  Vector1<const double> bar_polar;  // (n_elements) rho (Iy + Iz), mass * length
  element::MassForm form = element::MassForm::consistent;
  std::span<const EquationMass> point_masses;
};

// M zeroed on entry, of the frame's profile: every element's mass matrix in
// global axes (element::element_mass_matrix with its end code), then the
// point masses on the diagonal. Requires analysis_status(frame) solved and
// every point mass's equation inside 1 .. n_equations.
void assemble_mass(const FrameAnalysis& frame, const MassModel& mass, const SkylineMatrix& M);

// Row and column k of A set to zero, its diagonal too: a direction that a
// support holds, or that nothing stiffens, carries no inertia. Columns
// k + 1 .. k + max_column_height - 1 are the ones that can reach row k.
void clear_equation(const SkylineMatrix& A, Index k, Index max_column_height);

// The entries other than zero of a symmetric matrix's upper triangle.
struct SymmetricEntries {
  Index n = 0;
  std::vector<Index> row;  // 1-based, row <= col
  std::vector<Index> col;
  std::vector<double> value;
};

[[nodiscard]] SymmetricEntries nonzero_entries(const SkylineMatrix& A);

// Y = A X for X and Y (n x k) column-major (Y overwritten).
void multiply(const SymmetricEntries& A, const double* X, double* Y, Index k);

}  // namespace zervola::global

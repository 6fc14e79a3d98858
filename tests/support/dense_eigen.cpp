#include "support/dense_eigen.hpp"

#include <stdexcept>
#include <string>

extern "C" {
void dsygv_(const int* itype, const char* jobz, const char* uplo, const int* n, double* a,
            const int* lda, double* b, const int* ldb, double* w, double* work, const int* lwork,
            int* info);
void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda,
            double* w, double* work, const int* lwork, int* info);
}

namespace zervola::test {

DenseEigen dense_generalised_eigen(const std::vector<double>& A, const std::vector<double>& B,
                                   std::size_t n) {
  DenseEigen result;
  if (n == 0) return result;
  result.vectors = A;
  std::vector<double> b = B;
  result.values.resize(n);
  const int itype = 1;
  const int size = static_cast<int>(n);
  const int lwork = static_cast<int>(8 * n + 64);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  int info = 0;
  dsygv_(&itype, "V", "U", &size, result.vectors.data(), &size, b.data(), &size,
         result.values.data(), work.data(), &lwork, &info);
  if (info != 0) throw std::runtime_error("dsygv failed with info " + std::to_string(info));
  return result;
}

std::size_t dense_negative_count(const std::vector<double>& A, std::size_t n) {
  if (n == 0) return 0;
  std::vector<double> a = A;
  std::vector<double> w(n);
  const int size = static_cast<int>(n);
  const int lwork = static_cast<int>(8 * n + 64);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  int info = 0;
  dsyev_("N", "U", &size, a.data(), &size, w.data(), work.data(), &lwork, &info);
  if (info != 0) throw std::runtime_error("dsyev failed with info " + std::to_string(info));
  std::size_t negative = 0;
  for (double x : w) negative += x < 0.0 ? 1 : 0;
  return negative;
}

}  // namespace zervola::test

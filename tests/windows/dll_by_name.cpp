// Loads zervola.dll by its file name, as the host's macros do, resolves every
// name of the name table, checks that nothing else answers to a decorated or
// lower-case spelling, and calls the routines on small cases. Prints
// "zervola.dll: all checks passed" when everything holds.

#include <cctype>
#include <cstdio>
#include <string>

#include "dll_harness.hpp"

namespace {

using zervola::windows_test::Dll;
using zervola::windows_test::Report;

constexpr const char* k_exported_names[] = {
#include "zervola_exported_names.inc"
};

constexpr zervola::windows_test::CaseFamily k_case_families[] = {
    zervola::windows_test::element_cases,        zervola::windows_test::global_cases,
    zervola::windows_test::results_cases,        zervola::windows_test::mesh_numbering_cases,
    zervola::windows_test::mesh_geometry_cases,
};

void resolve_every_name(const Dll& dll, Report& report) {
  for (const char* name : k_exported_names) {
    report.check(dll.has(name), std::string(name) + " resolves by name");
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    report.check(!dll.has(lower.c_str()), lower + " does not resolve");
    std::string underscored(1, '_');
    underscored += name;
    report.check(!dll.has(underscored.c_str()), underscored + " does not resolve");
  }
}

#if defined(ZERVOLA_STACK_PROBE)
// The probe must tell the two conventions apart, or its verdicts mean nothing.
void __attribute__((stdcall, noinline)) probe_stdcall(int*, int*, int*) {}
void __attribute__((cdecl, noinline)) probe_cdecl(int*, int*, int*) {}

void check_the_probe(Report& report) {
  int a = 0, b = 0, c = 0;
  const void* const args[] = {&a, &b, &c};
  report.check(zervola_stack_probe(reinterpret_cast<const void*>(&probe_stdcall), args, 3) == 0,
               "stack probe: stdcall routine leaves the stack pointer unchanged");
  report.check(zervola_stack_probe(reinterpret_cast<const void*>(&probe_cdecl), args, 3) == -12,
               "stack probe: cdecl routine leaves its 12 bytes of arguments");
}
#endif

}  // namespace

int main() {
  Report report;
#if defined(ZERVOLA_STACK_PROBE)
  check_the_probe(report);
  std::printf("stack pointer checked around every call (32-bit x86)\n");
#endif
  const Dll dll("zervola.dll");
  if (!dll.loaded()) {
    std::printf("FAIL LoadLibraryA(\"zervola.dll\"): error %lu\n", GetLastError());
    return 1;
  }
  resolve_every_name(dll, report);
  for (const auto family : k_case_families) family(dll, report);
  int uncalled = 0;
  for (const char* name : k_exported_names) {
    if (!report.was_called(name)) {
      std::printf("resolved, no call case here: %s\n", name);
      ++uncalled;
    }
  }
  std::printf("%zu names resolved, %d calls, %d checks, %d failures, %d routines without a call case\n",
              std::size(k_exported_names), report.calls(), report.checks(), report.failures(), uncalled);
  if (report.failures() != 0) return 1;
  std::printf("zervola.dll: all checks passed\n");
  return 0;
}

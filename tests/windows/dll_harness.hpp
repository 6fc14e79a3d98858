#pragma once

// What the host does with zervola.dll: load it by file name, resolve each
// routine by its exact name, call it with pointers to its own data. Every
// call is checked for the calling convention where the stack shows it.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "stack_probe.hpp"
#include "zervola.h"

namespace zervola::windows_test {

// Counts checks and failures and prints one line per failure.
class Report {
 public:
  void check(bool ok, const std::string& what) {
    ++checks_;
    if (!ok) {
      ++failures_;
      std::printf("FAIL %s\n", what.c_str());
    }
  }
  void note_call(const char* name) {
    ++calls_;
    called_.insert(name);
  }
  bool was_called(const std::string& name) const { return called_.count(name) != 0; }
  int checks() const { return checks_; }
  int failures() const { return failures_; }
  int calls() const { return calls_; }

 private:
  int checks_ = 0;
  int failures_ = 0;
  int calls_ = 0;
  std::set<std::string> called_;
};

class Dll {
 public:
  explicit Dll(const char* file) : module_(LoadLibraryA(file)) {}
  ~Dll() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Dll(const Dll&) = delete;
  Dll& operator=(const Dll&) = delete;

  bool loaded() const { return module_ != nullptr; }
  bool has(const char* name) const { return GetProcAddress(module_, name) != nullptr; }

  // The routine called name, typed as the public header declares it (pass
  // decltype(&NAME)); null when the DLL has no such export.
  template <class Routine>
  Routine resolve(const char* name) const {
    const FARPROC address = GetProcAddress(module_, name);
    return reinterpret_cast<Routine>(reinterpret_cast<void (*)()>(address));
  }

 private:
  HMODULE module_;
};

// Calls routine with args, each converted to the parameter type that the
// header gives; on 32-bit x86 through the stack probe, which must report an
// unchanged stack pointer.
template <class... Params, class... Args>
void call(Report& report, const char* name, void(ZERVOLA_CALL* routine)(Params...),
          Args... args) {
  static_assert(sizeof...(Params) == sizeof...(Args), "argument count differs from the header");
  report.note_call(name);
  if (routine == nullptr) {
    report.check(false, std::string(name) + " is not exported");
    return;
  }
#if defined(ZERVOLA_STACK_PROBE)
  const void* const list[] = {static_cast<const void*>(static_cast<Params>(args))...};
  const std::int32_t delta = zervola_stack_probe(reinterpret_cast<const void*>(routine), list,
                                                 static_cast<std::int32_t>(sizeof...(Args)));
  report.check(delta == 0, std::string(name) + ": stack pointer moved by " +
                               std::to_string(delta) + " bytes (not stdcall)");
#else
  routine(static_cast<Params>(args)...);
#endif
}

// Resolves NAME from the DLL and calls it, typed by its declaration.
#define ZERVOLA_CALL_EXPORT(dll, report, NAME, ...) \
  ::zervola::windows_test::call(report, #NAME, (dll).resolve<decltype(&NAME)>(#NAME), __VA_ARGS__)

inline bool same(double a, double b) { return a == b; }
inline bool within(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

// One family's call cases.
using CaseFamily = void (*)(const Dll& dll, Report& report);

void element_cases(const Dll& dll, Report& report);
void global_cases(const Dll& dll, Report& report);
void results_cases(const Dll& dll, Report& report);
void mesh_numbering_cases(const Dll& dll, Report& report);
void mesh_geometry_cases(const Dll& dll, Report& report);

}  // namespace zervola::windows_test

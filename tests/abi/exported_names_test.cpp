// The host loads the library by file name and resolves each routine by its
// exact name; this test does the same with the built shared library.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* k_exported_names[] = {
#include "zervola_exported_names.inc"
};

struct Library {
  void* handle = dlopen(ZERVOLA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ~Library() {
    if (handle != nullptr) dlclose(handle);
  }
  Library() = default;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

TEST(ExportedNames, EveryNameOfTheTableResolves) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  for (const char* name : k_exported_names) {
    EXPECT_NE(dlsym(lib.handle, name), nullptr) << name;
  }
}

TEST(ExportedNames, NamesAreUpperCaseWithoutDecoration) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  for (const char* name : k_exported_names) {
    for (const char* c = name; *c != '\0'; ++c) {
      EXPECT_TRUE((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '_') << name;
    }
    // Neither the lower-case spelling nor a C++ mangled form is visible.
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    EXPECT_EQ(dlsym(lib.handle, lower.c_str()), nullptr) << lower;
  }
  // Core symbols stay hidden.
  EXPECT_EQ(dlsym(lib.handle, "_ZN7zervola7element14default_axesENS_6Point3ES1_"), nullptr);
}

}  // namespace

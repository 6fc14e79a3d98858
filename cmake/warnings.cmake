# One place for the compiler flags that every target of the project shares.
# Exact IEEE arithmetic is relied upon (marker comparisons, non-finite values
# that must propagate), so no fast-math style flag may ever be added here.
add_library(zervola_flags INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(zervola_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference
    -fno-fast-math -ffp-contract=off)
  if(ZERVOLA_WARNINGS_AS_ERRORS)
    target_compile_options(zervola_flags INTERFACE -Werror)
  endif()
  if(ZERVOLA_SANITIZE)
    target_compile_options(zervola_flags INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(zervola_flags INTERFACE -fsanitize=address,undefined)
  endif()
  # Coverage feedback for libFuzzer in every target; the fuzz programs add
  # the fuzzer's own main.
  if(ZERVOLA_BUILD_FUZZ)
    target_compile_options(zervola_flags INTERFACE -fsanitize=fuzzer-no-link)
  endif()
endif()

# C sources get the warnings that make sense for C.
add_library(zervola_c_flags INTERFACE)
if(CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(zervola_c_flags INTERFACE -Wall -Wextra -Wpedantic)
  if(ZERVOLA_WARNINGS_AS_ERRORS)
    target_compile_options(zervola_c_flags INTERFACE -Werror)
  endif()
  if(ZERVOLA_SANITIZE)
    target_compile_options(zervola_c_flags INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(zervola_c_flags INTERFACE -fsanitize=address,undefined)
    # A C program linked by clang gets the C runtime of UBSan only, while the
    # C++ library it links was checked with the C++ runtime's type checks.
    if(CMAKE_C_COMPILER_ID STREQUAL "Clang")
      target_link_options(zervola_c_flags INTERFACE -fsanitize-link-c++-runtime)
      target_link_libraries(zervola_c_flags INTERFACE stdc++)
    endif()
  endif()
endif()

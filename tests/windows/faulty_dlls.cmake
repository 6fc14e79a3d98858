# The static checks of the 32-bit DLL must refuse the faults they exist for.
# Two faulty builds of the same exports: one compiled with the C convention,
# one exporting a name beyond the table. Each check must fail on its fault
# with its own message, not merely fail.

# zervola_faulty_dll(<name> [extra sources...]): the exports of zervola,
# compiled and linked as zervola is, into <name>.dll beside the tests.
function(zervola_faulty_dll name)
  get_target_property(sources zervola SOURCES)
  get_target_property(source_dir zervola SOURCE_DIR)
  list(TRANSFORM sources PREPEND "${source_dir}/")
  add_library(${name} SHARED ${sources} ${ARGN})
  foreach(property COMPILE_DEFINITIONS LINK_LIBRARIES)
    get_target_property(value zervola ${property})
    set_property(TARGET ${name} PROPERTY ${property} "${value}")
  endforeach()
  # The import-library definition file belongs to zervola alone.
  get_target_property(options zervola LINK_OPTIONS)
  list(FILTER options EXCLUDE REGEX "--output-def")
  set_property(TARGET ${name} PROPERTY LINK_OPTIONS "${options}")
  set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/faulty")
endfunction()

zervola_faulty_dll(zervola_cdecl)
# The compiler's own __stdcall keyword becomes the C convention.
target_compile_options(zervola_cdecl PRIVATE -U__stdcall "-D__stdcall=__attribute__((__cdecl__))")
zervola_faulty_dll(zervola_extra_export ${CMAKE_CURRENT_SOURCE_DIR}/extra_export.cpp)

add_test(NAME windows_stdcall_code_check_refuses_a_cdecl_dll
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:zervola_cdecl>
          -DHEADER=${PROJECT_SOURCE_DIR}/include/zervola.h "-DNAMES=${ZERVOLA_EXPORTED_NAMES}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/check_stdcall_code.cmake)
add_test(NAME windows_stdcall_symbol_check_refuses_a_cdecl_build
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:zervola_cdecl>,|>"
          -DHEADER=${PROJECT_SOURCE_DIR}/include/zervola.h "-DNAMES=${ZERVOLA_EXPORTED_NAMES}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/check_stdcall.cmake)
add_test(NAME windows_export_check_refuses_an_extra_export
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:zervola_extra_export>
          "-DNAMES=${ZERVOLA_EXPORTED_NAMES}" "-DSYSTEM_DLLS=${system_dlls}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/check_pe_file.cmake)
set_tests_properties(windows_stdcall_code_check_refuses_a_cdecl_dll PROPERTIES LABELS windows
  PASS_REGULAR_EXPRESSION "MATRIXCOS returns with a plain ret and pops no arguments")
set_tests_properties(windows_stdcall_symbol_check_refuses_a_cdecl_build PROPERTIES LABELS windows
  PASS_REGULAR_EXPRESSION "MATRIXCOS has the C convention")
set_tests_properties(windows_export_check_refuses_an_extra_export PROPERTIES LABELS windows
  PASS_REGULAR_EXPRESSION "export table differs from the name table")

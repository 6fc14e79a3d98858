cmake_minimum_required(VERSION 3.25)
# Rewrites the import library of a 32-bit DLL linked with --kill-at so that
# C and C++ programs can link against it. The linker's own import library
# names each routine _NAME, while a caller of a stdcall routine refers to
# _NAME@N; the DLL itself exports plain NAME. The linker's --output-def file
# lists "NAME = NAME@N"; dlltool --kill-at turns the decorated names into an
# import library whose symbols are _NAME@N and whose imports are NAME.
# Arguments: -DDLLTOOL= -DDEF= -DDLL_NAME= -DIMPORT_LIBRARY=
file(STRINGS "${DEF}" lines)
set(text "EXPORTS\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]+[A-Za-z0-9_]+ = ([A-Za-z0-9_]+@[0-9]+)")
    string(APPEND text "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
set(decorated "${DEF}.decorated")
file(WRITE "${decorated}" "${text}")
execute_process(COMMAND ${DLLTOOL} --kill-at --input-def "${decorated}" --dllname ${DLL_NAME}
                        --output-lib "${IMPORT_LIBRARY}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool failed to write ${IMPORT_LIBRARY}")
endif()

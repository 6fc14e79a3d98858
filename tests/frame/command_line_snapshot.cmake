# Runs zervola-frame with one command line in tests/data/frame-command-line
# and compares its exit status, standard output and standard error with the
# kept copy: usage errors, their messages and the exit statuses are a
# contract with the scripts that run the program. With -DUPDATE=ON the kept
# copy is written instead.
#
#   cmake -DPROGRAM=zervola-frame -DDATA=tests/data/frame-command-line -DNAME=name
#         -DARGS=a,b,c [-DUPDATE=ON] -P command_line_snapshot.cmake
foreach(var PROGRAM DATA NAME)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "command_line_snapshot: ${var} is not set")
  endif()
endforeach()
string(REPLACE "," ";" ARGS "${ARGS}")
execute_process(COMMAND "${PROGRAM}" ${ARGS}
                WORKING_DIRECTORY "${DATA}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
set(produced "exit status ${status}\n--- standard output\n${out}--- standard error\n${err}")
set(kept_file "${DATA}/expected/${NAME}.txt")
if(UPDATE)
  file(WRITE "${kept_file}" "${produced}")
  message(STATUS "kept ${kept_file}")
  return()
endif()
file(READ "${kept_file}" kept)
if(NOT produced STREQUAL kept)
  message(FATAL_ERROR "zervola-frame ${ARGS} (in ${DATA}) gave\n${produced}\nwhere the kept "
                      "${kept_file} holds\n${kept}")
endif()

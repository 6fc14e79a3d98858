# Runs zervola-frame on one model with every output and compares each output,
# byte for byte, with the kept copy: any change to what users see shows up
# here. With -DUPDATE=ON the kept copy is written instead (after a change to
# the outputs that is meant; review the difference before committing it).
#
#   cmake -DPROGRAM=zervola-frame -DMODEL=dir/model.json -DEXPECTED=dir/name
#         -DWORK_DIR=scratch [-DARGS=--summary,--diagram,moment] [-DUPDATE=ON]
#         -P output_snapshot.cmake
#
# The program runs in the model's directory with the model's file name, so
# that paths printed in the outputs do not depend on where the tree lies.
foreach(var PROGRAM MODEL EXPECTED WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "output_snapshot: ${var} is not set")
  endif()
endforeach()

string(REPLACE "," ";" ARGS "${ARGS}")
get_filename_component(model_dir "${MODEL}" DIRECTORY)
get_filename_component(model_name "${MODEL}" NAME)
string(MD5 run_key "${EXPECTED}")
set(work "${WORK_DIR}/${run_key}")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

execute_process(
  COMMAND "${PROGRAM}" "${model_name}" --no-progress --json "${work}/results.json"
          --no-timings --csv "${work}/csv" --svg "${work}/drawing.svg" ${ARGS}
  WORKING_DIRECTORY "${model_dir}"
  OUTPUT_FILE "${work}/report.txt"
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zervola-frame ${model_name} ${ARGS} exited with ${status}:\n${errors}")
endif()

file(GLOB_RECURSE produced RELATIVE "${work}" "${work}/*")
list(SORT produced)
if(UPDATE)
  file(REMOVE_RECURSE "${EXPECTED}")
  foreach(f IN LISTS produced)
    get_filename_component(sub "${f}" DIRECTORY)
    file(COPY "${work}/${f}" DESTINATION "${EXPECTED}/${sub}")
  endforeach()
  message(STATUS "kept ${EXPECTED}")
  return()
endif()

file(GLOB_RECURSE kept RELATIVE "${EXPECTED}" "${EXPECTED}/*")
list(SORT kept)
if(NOT produced STREQUAL kept)
  message(FATAL_ERROR "output files differ for ${model_name} ${ARGS}:\n"
                      "  produced: ${produced}\n  kept:     ${kept}")
endif()
set(differing "")
foreach(f IN LISTS produced)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${work}/${f}" "${EXPECTED}/${f}"
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differing "${f}")
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "outputs of ${model_name} ${ARGS} differ from the kept ones in ${EXPECTED}: "
                      "${differing}\n(compare with: diff -r ${work} ${EXPECTED})")
endif()
file(REMOVE_RECURSE "${work}")

cmake_minimum_required(VERSION 3.25)
# Checks in the machine code of a built 32-bit DLL that every export pops its
# own arguments, as the stdcall convention requires: the first return
# instruction of each exported routine is "ret $N" with N = 4 bytes for each
# pointer argument that the public header declares. A routine compiled with
# the C convention returns with a plain "ret" and leaves its arguments to the
# caller, which corrupts the stack of a host that declares it stdcall.
# The check reads only the export table and the code (objdump -p and -d), so
# it works on a stripped DLL and needs no Windows.
# Arguments: -DOBJDUMP= -DFILE= -DHEADER= -DNAMES=a;b;...
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p failed on ${FILE}")
endif()
if(NOT table MATCHES "\nImageBase[ \t]+([0-9a-fA-F]+)")
  message(FATAL_ERROR "${FILE}: no image base in the PE header")
endif()
set(image_base "0x${CMAKE_MATCH_1}")
file(READ "${HEADER}" header)

# Export address table rows: "\t[   3] +base[   4] 3150 Export RVA";
# name table rows: "\t[   3] NAME", the number indexing the address table.
string(REGEX REPLACE "\t\\[ *([0-9]+)\\] \\+base\\[ *[0-9]+\\] ([0-9a-fA-F]+) Export RVA"
       "\tADDRESS \\1 \\2" table "${table}")
string(REGEX REPLACE "\t\\[ *([0-9]+)\\] " "\tROW \\1 " table "${table}")
string(REPLACE ";" "," table "${table}")
string(REPLACE "\n" ";" lines "${table}")
set(in_names OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^\tADDRESS ([0-9]+) ([0-9a-fA-F]+)$")
    set(rva_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
  elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names ON)
  elseif(in_names AND line MATCHES "^\tROW ([0-9]+) (.+)$")
    set(index_of_${CMAKE_MATCH_2} ${CMAKE_MATCH_1})
  elseif(in_names)
    set(in_names OFF)
  endif()
endforeach()

# How far to look for the first return: the exports are short wrappers.
set(scan_bytes 4096)
set(failed OFF)
foreach(name IN LISTS NAMES)
  if(NOT DEFINED index_of_${name} OR NOT DEFINED rva_${index_of_${name}})
    message(SEND_ERROR "${name} is not exported by ${FILE}")
    set(failed ON)
    continue()
  endif()
  if(NOT header MATCHES "ZERVOLA_CALL[ \t\r\n]+${name}[ \t\r\n]*\\(([^)]*)\\)")
    message(SEND_ERROR "${name} is not declared in ${HEADER}")
    set(failed ON)
    continue()
  endif()
  string(REGEX REPLACE "[^,]" "" commas "${CMAKE_MATCH_1}")
  string(LENGTH "${commas}" count)
  math(EXPR expected "4 * (${count} + 1)")

  math(EXPR start "${image_base} + 0x${rva_${index_of_${name}}}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR stop "${start} + ${scan_bytes}" OUTPUT_FORMAT HEXADECIMAL)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn --start-address=${start}
                          --stop-address=${stop} ${FILE}
                  OUTPUT_VARIABLE code RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump -d failed on ${FILE}")
  endif()
  if(NOT code MATCHES "\t(ret[lw]?)([ \t]+\\$0x([0-9a-fA-F]+))?[ \t]*\n")
    message(SEND_ERROR "${name}: no return instruction within ${scan_bytes} bytes of its entry ${start}")
    set(failed ON)
    continue()
  endif()
  if(NOT CMAKE_MATCH_3)
    message(SEND_ERROR "${name} returns with a plain ret and pops no arguments (C convention); "
                       "its declaration has ${expected} bytes of pointers")
    set(failed ON)
    continue()
  endif()
  math(EXPR popped "0x${CMAKE_MATCH_3}")
  if(NOT popped EQUAL expected)
    message(SEND_ERROR "${name} pops ${popped} bytes, its declaration has ${expected} bytes of pointers")
    set(failed ON)
    continue()
  endif()
  string(APPEND summary " ${name}:${popped}")
endforeach()
if(NOT failed)
  message(STATUS "every export pops its arguments:${summary}")
endif()

# The shipped DLL and its PDB, as a crash tool reads them:
# - the DLL's debug directory names only Velloquin.pdb (no build folder), and
#   the DLL and the PDB carry the same signature (GUID) and age;
# - neither build folder appears in the DLL or the PDB;
# - addresses of QVEXPlugin_Load (from the DLL's export table), the hook entry
#   and the update pass (from the linker's map) symbolise to those functions
#   through the PDB, as an address in a crash report does.
# cmake -DDLL=... -DPDB=... -DMAP=... -DSOURCE=... -DBUILD=... -P check_symbols.cmake
cmake_minimum_required(VERSION 3.25)
find_program(READOBJ NAMES llvm-readobj-16 llvm-readobj REQUIRED)
find_program(PDBUTIL NAMES llvm-pdbutil-16 llvm-pdbutil REQUIRED)
find_program(SYMBOLIZER NAMES llvm-symbolizer-16 llvm-symbolizer REQUIRED)

execute_process(COMMAND ${READOBJ} --coff-debug-directory --coff-exports --file-headers "${DLL}"
  OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${DLL}")
endif()
string(REGEX MATCHALL "PDBFileName: [^\n]*" names "${headers}")
if(NOT names STREQUAL "PDBFileName: Velloquin.pdb")
  message(FATAL_ERROR "the DLL's debug directory must name exactly Velloquin.pdb; it has: ${names}")
endif()
string(REGEX MATCH "PDBGUID: \\(([0-9A-F ]+)\\)" _ "${headers}")
string(REPLACE " " ";" bytes "${CMAKE_MATCH_1}")
string(REGEX MATCH "PDBAge: ([0-9]+)" _ "${headers}")
set(dll_age "${CMAKE_MATCH_1}")
# The GUID's text form: three little-endian fields, then eight bytes in order.
list(LENGTH bytes count)
if(NOT count EQUAL 16)
  message(FATAL_ERROR "no PDB GUID in the DLL's debug directory:\n${headers}")
endif()
set(order 3 2 1 0 - 5 4 - 7 6 - 8 9 - 10 11 12 13 14 15)
set(dll_guid "")
foreach(i ${order})
  if(i STREQUAL "-")
    string(APPEND dll_guid "-")
  else()
    list(GET bytes ${i} byte)
    string(APPEND dll_guid "${byte}")
  endif()
endforeach()
execute_process(COMMAND ${PDBUTIL} dump --summary "${PDB}" OUTPUT_VARIABLE summary RESULT_VARIABLE rc)
string(REGEX MATCH "GUID: {([0-9A-F-]+)}" _ "${summary}")
set(pdb_guid "${CMAKE_MATCH_1}")
string(REGEX MATCH "Age: ([0-9]+)" _ "${summary}")
if(NOT rc EQUAL 0 OR NOT pdb_guid STREQUAL dll_guid OR NOT CMAKE_MATCH_1 STREQUAL dll_age)
  message(FATAL_ERROR "DLL and PDB differ: DLL ${dll_guid} age ${dll_age}, PDB ${pdb_guid} age ${CMAKE_MATCH_1}")
endif()

# No build folder in the DLL or the PDB (both would differ from another folder's build).
foreach(folder "${SOURCE}" "${BUILD}")
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" pattern "${folder}")
  foreach(file "${DLL}" "${PDB}")
    file(STRINGS "${file}" hits REGEX "${pattern}")
    if(hits)
      message(FATAL_ERROR "${file} names the build folder ${folder}: ${hits}")
    endif()
  endforeach()
endforeach()

# Addresses to symbolise, found without the PDB; a few bytes into each
# function, as an address in a crash report lies.
string(REGEX MATCH "ImageBase: 0x([0-9A-F]+)" _ "${headers}")
set(base "${CMAKE_MATCH_1}")
string(REGEX MATCH "Name: QVEXPlugin_Load\n *RVA: 0x([0-9A-F]+)" _ "${headers}")
math(EXPR load "0x${base} + 0x${CMAKE_MATCH_1} + 4" OUTPUT_FORMAT HEXADECIMAL)
# The map gives relative addresses, with C++ names demangled.
foreach(function hook pass)
  if(function STREQUAL hook)
    file(STRINGS "${MAP}" line REGEX " FavoritesMenuHook$")
  else()
    file(STRINGS "${MAP}" line REGEX " Velloquin::RunUpdatePass\\(bool\\)$")
  endif()
  if(NOT line MATCHES "^ *([0-9a-fA-F]+) ")
    message(FATAL_ERROR "the linker's map ${MAP} does not place the ${function} function")
  endif()
  math(EXPR ${function} "0x${base} + 0x${CMAKE_MATCH_1} + 4" OUTPUT_FORMAT HEXADECIMAL)
endforeach()
foreach(check "${load}|QVEXPlugin_Load|src\\plugin\\entry.cpp:"
              "${hook}|FavoritesMenuHook|src\\plugin\\hook_entry_win64.inc:"
              "${pass}|Velloquin::RunUpdatePass(bool)|src\\menu\\update_pass.cpp:")
  string(REPLACE "|" ";" check "${check}")
  list(GET check 0 address)
  list(GET check 1 function)
  list(GET check 2 where)
  execute_process(COMMAND ${SYMBOLIZER} --obj=${DLL} ${address} OUTPUT_VARIABLE found RESULT_VARIABLE rc)
  string(REPLACE "\r" "" found "${found}")
  string(FIND "${found}" "${function}\n" at)
  string(FIND "${found}" "${where}" line)
  if(NOT rc EQUAL 0 OR NOT at EQUAL 0 OR line EQUAL -1)
    message(FATAL_ERROR "${address} symbolises to\n${found}\nexpected ${function} at ${where}")
  endif()
  message(STATUS "${address}: ${found}")
endforeach()

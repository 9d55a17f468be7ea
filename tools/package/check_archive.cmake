# Checks an archive a player gets, byte for byte:
# - the plug-in's archive (DLL, INI and README given): exactly the DLL (and its
#   PDB, when the build makes one), the default settings file and the items
#   folder's read-me (with CR LF line ends), in the Data tree a player unpacks
#   into the game folder; and its line in SHA256SUMS (CHECKSUMS given);
# - the doctor's archive (DOCTOR and README given): exactly the program and its
#   read-me (with CR LF line ends).
# cmake -DARCHIVE=... -DWORK=... (-DDLL=... [-DPDB=...] -DINI=... -DREADME=... [-DCHECKSUMS=...]
#                                 | -DDOCTOR=... -DREADME=...) -P check_archive.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var ARCHIVE WORK README)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(DEFINED DOCTOR)
  set(expected "README.txt" "velloquin-doctor.exe")
  set(packed "velloquin-doctor.exe|${DOCTOR}")
  set(readme_entry README.txt)
  set(target package-doctor-zip)
elseif(DEFINED DLL AND DEFINED INI)
  set(expected
    "Data/QVEX/Plugins/Velloquin.dll"
    "Data/QVEX/Plugins/Velloquin.ini"
    "Data/QVEX/Plugins/Velloquin/ReadMe.txt")
  set(packed "Data/QVEX/Plugins/Velloquin.dll|${DLL}" "Data/QVEX/Plugins/Velloquin.ini|${INI}")
  if(PDB)
    list(APPEND expected "Data/QVEX/Plugins/Velloquin.pdb")
    list(APPEND packed "Data/QVEX/Plugins/Velloquin.pdb|${PDB}")
  endif()
  set(readme_entry Data/QVEX/Plugins/Velloquin/ReadMe.txt)
  set(target package-zip)
else()
  message(FATAL_ERROR "give DLL and INI, or DOCTOR and README")
endif()
if(NOT EXISTS "${ARCHIVE}")
  message(FATAL_ERROR "no archive at ${ARCHIVE}: build the target ${target}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${ARCHIVE}"
  OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}")
endif()
string(REPLACE "\r" "" listing "${listing}")
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
list(SORT expected)
if(NOT entries STREQUAL expected)
  string(REPLACE ";" "\n  " got "${entries}")
  string(REPLACE ";" "\n  " want "${expected}")
  message(FATAL_ERROR "archive entries:\n  ${got}\nexpected:\n  ${want}")
endif()

# The packed files are the built ones.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ARCHIVE}" WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}")
endif()
foreach(pair ${packed})
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${name}" "${source}"
    RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "${name} in the archive differs from ${source}")
  endif()
endforeach()
file(READ "${README}" want)
string(REPLACE "\r\n" "\n" want "${want}")
string(REPLACE "\n" "\r\n" want "${want}")
file(WRITE "${WORK}/README.expected" "${want}")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${readme_entry}" "${WORK}/README.expected"
  RESULT_VARIABLE different)
if(NOT different EQUAL 0)
  message(FATAL_ERROR "${readme_entry} in the archive is not ${README} with CR LF line ends")
endif()
if(DEFINED CHECKSUMS)
  file(SHA256 "${ARCHIVE}" hash)
  get_filename_component(name "${ARCHIVE}" NAME)
  file(STRINGS "${CHECKSUMS}" lines)
  if(NOT "${hash}  ${name}" IN_LIST lines)
    message(FATAL_ERROR "${CHECKSUMS} does not list ${name} with its SHA-256 ${hash}")
  endif()
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "archive ${ARCHIVE}: ${listing}")

# Checks the player's archive: exactly the DLL, the default settings file and
# the empty items folder, in the Data tree a player unpacks into the game
# folder, the files byte for byte.
# cmake -DARCHIVE=... -DDLL=... -DINI=... -DWORK=... -P check_archive.cmake
foreach(var ARCHIVE DLL INI WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${ARCHIVE}")
  message(FATAL_ERROR "no archive at ${ARCHIVE}: build the target package-zip")
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
set(expected
  "Data/"
  "Data/QVEX/"
  "Data/QVEX/Plugins/"
  "Data/QVEX/Plugins/Velloquin.dll"
  "Data/QVEX/Plugins/Velloquin.ini"
  "Data/QVEX/Plugins/Velloquin/")
list(SORT expected)
if(NOT entries STREQUAL expected)
  string(REPLACE ";" "\n  " got "${entries}")
  string(REPLACE ";" "\n  " want "${expected}")
  message(FATAL_ERROR "archive entries:\n  ${got}\nexpected:\n  ${want}")
endif()

# The packed files are the built DLL and the shipped settings file.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ARCHIVE}" WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}")
endif()
foreach(pair "Velloquin.dll|${DLL}" "Velloquin.ini|${INI}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/Data/QVEX/Plugins/${name}" "${source}"
    RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "${name} in the archive differs from ${source}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "archive ${ARCHIVE}: ${listing}")

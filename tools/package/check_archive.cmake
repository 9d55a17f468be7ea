# Checks an archive a player gets, byte for byte:
# - the plug-in's archive (DLL and INI given): exactly the DLL, the default
#   settings file and the empty items folder, in the Data tree a player
#   unpacks into the game folder;
# - the doctor's archive (DOCTOR and README given): exactly the program and its
#   read-me (with CR LF line ends).
# cmake -DARCHIVE=... -DWORK=... (-DDLL=... -DINI=... | -DDOCTOR=... -DREADME=...) -P check_archive.cmake
# Stops with message unless the two files hold the same bytes.
function(expect_same_file file expected message)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${file}" "${expected}" RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "${message}")
  endif()
endfunction()

foreach(var ARCHIVE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(DEFINED DOCTOR)
  set(expected "README.txt" "velloquin-doctor.exe")
  set(packed "velloquin-doctor.exe|${DOCTOR}")
  set(target package-doctor-zip)
elseif(DEFINED DLL AND DEFINED INI)
  set(expected
    "Data/"
    "Data/QVEX/"
    "Data/QVEX/Plugins/"
    "Data/QVEX/Plugins/Velloquin.dll"
    "Data/QVEX/Plugins/Velloquin.ini"
    "Data/QVEX/Plugins/Velloquin/")
  set(packed "Data/QVEX/Plugins/Velloquin.dll|${DLL}" "Data/QVEX/Plugins/Velloquin.ini|${INI}")
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
  expect_same_file("${WORK}/${name}" "${source}" "${name} in the archive differs from ${source}")
endforeach()
if(DEFINED README)
  file(READ "${README}" want)
  string(REPLACE "\r\n" "\n" want "${want}")
  string(REPLACE "\n" "\r\n" want "${want}")
  file(WRITE "${WORK}/README.expected" "${want}")
  expect_same_file("${WORK}/README.txt" "${WORK}/README.expected"
                   "README.txt in the archive is not ${README} with CR LF line ends")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "archive ${ARCHIVE}: ${listing}")

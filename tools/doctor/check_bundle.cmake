# Runs velloquin-doctor --bundle as a player does and reads the zip back with
# unzip: its entries, their bytes, the user's profile gone from the paths; and
# the failures (not a game folder, a path that cannot be written), which must
# leave no file behind.
# cmake -DDOCTOR=... [-DEMULATOR=...] -DFIXTURE=<doctor fixture> -DWORK=... -P check_bundle.cmake
find_program(UNZIP unzip REQUIRED)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/profile")
file(COPY "${FIXTURE}/" DESTINATION "${WORK}/profile/game")
set(game "${WORK}/profile/game")
set(items "${game}/Data/QVEX/Plugins/Velloquin")
set(documents "${WORK}/profile/Documents")
# The archive's read-me is no items file; the logs lie in both places.
file(WRITE "${items}/ReadMe.txt" "a read-me\r\n")
file(WRITE "${items}/Velloquin.log" "0.000 fallback log\r\n")
file(WRITE "${documents}/My Games/Halvorine/QVEX/Velloquin.old.log" "0.000 read ${WORK}/profile/game/Data\r\n")
# The log a start wrote while a viewer held Velloquin.log.
file(WRITE "${documents}/My Games/Halvorine/QVEX/Velloquin.new.log" "0.000 the log written beside a held one\r\n")

# Under Wine the program sees the build's folders through drive Z:.
set(prefix "")
if(EMULATOR)
  set(prefix "Z:")
endif()
function(run_doctor)
  # The profile is the work folder's "profile": its path must not appear.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK}/profile USER=player
                          ${EMULATOR} "${DOCTOR}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}${err}" PARENT_SCOPE)
endfunction()

run_doctor(--bundle "${prefix}${WORK}/report.zip" --documents "${prefix}${documents}" "${prefix}${game}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--bundle: exit status ${rc}\n${out}")
endif()
execute_process(COMMAND ${UNZIP} -t "${WORK}/report.zip" RESULT_VARIABLE rc OUTPUT_VARIABLE test)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "unzip -t fails on the bundle:\n${test}")
endif()
execute_process(COMMAND ${UNZIP} -Z1 "${WORK}/report.zip" OUTPUT_VARIABLE listing)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
set(expected
  bundle.txt
  Data/QVEX/Plugins/Velloquin.ini
  Data/QVEX/Plugins/VelloquinCustom.ini
  Data/QVEX/Plugins/Velloquin/VelloquinItems_2A.txt
  "My Games/Halvorine/QVEX/Velloquin.new.log"
  "My Games/Halvorine/QVEX/Velloquin.old.log"
  Data/QVEX/Plugins/Velloquin/Velloquin.log
  doctor-report.txt
  doctor-report.json)
if(NOT entries STREQUAL expected)
  string(REPLACE ";" "\n  " entries "${entries}")
  string(REPLACE ";" "\n  " expected "${expected}")
  message(FATAL_ERROR "bundle entries:\n  ${entries}\nexpected:\n  ${expected}")
endif()
# The settings and items files go in as they are, byte for byte.
foreach(name Data/QVEX/Plugins/VelloquinCustom.ini Data/QVEX/Plugins/Velloquin/VelloquinItems_2A.txt)
  execute_process(COMMAND ${UNZIP} -o -q "${WORK}/report.zip" "${name}" -d "${WORK}/unpacked")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/unpacked/${name}" "${game}/${name}" RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${name} in the bundle differs from the game folder's")
  endif()
endforeach()
execute_process(COMMAND ${UNZIP} -p "${WORK}/report.zip" bundle.txt OUTPUT_VARIABLE about)
foreach(fact "velloquin-doctor " "Velloquin.dll: not found" "Velloquin.old.log: included")
  string(FIND "${about}" "${fact}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "bundle.txt does not say \"${fact}\":\n${about}")
  endif()
endforeach()
execute_process(COMMAND ${UNZIP} -p "${WORK}/report.zip" doctor-report.txt OUTPUT_VARIABLE report)
string(FIND "${report}" "21 warnings." at)
if(at EQUAL -1)
  message(FATAL_ERROR "the bundle's report is not the doctor's:\n${report}")
endif()
# On Linux the profile is the one given (Wine keeps its own user's profile).
if(NOT EMULATOR)
  foreach(entry bundle.txt doctor-report.txt doctor-report.json "My Games/Halvorine/QVEX/Velloquin.old.log")
    execute_process(COMMAND ${UNZIP} -p "${WORK}/report.zip" "${entry}" OUTPUT_VARIABLE text)
    string(FIND "${text}" "${WORK}/profile" at)
    string(FIND "${text}" "%USERPROFILE%/game" redacted)
    if(NOT at EQUAL -1 OR redacted EQUAL -1)
      message(FATAL_ERROR "${entry} names the profile folder instead of %USERPROFILE%:\n${text}")
    endif()
  endforeach()
endif()

# Failures: a clear message, a non-zero exit and no file left.
file(MAKE_DIRECTORY "${WORK}/plain")
set(failures
  "${prefix}${WORK}/plain|${prefix}${WORK}/plain.zip|${WORK}/plain.zip|is not a game folder"
  "${prefix}${game}|${prefix}${WORK}/no/such/folder/report.zip|${WORK}/no/such/folder/report.zip|cannot write"
  "${prefix}${game}|${prefix}${WORK}/plain|${WORK}/plain.partial|cannot write the bundle to")
foreach(failure ${failures})
  string(REPLACE "|" ";" failure "${failure}")
  list(GET failure 0 folder)
  list(GET failure 1 zip)
  list(GET failure 2 left)
  list(GET failure 3 says)
  run_doctor(--bundle "${zip}" --documents "${prefix}${documents}" "${folder}")
  string(FIND "${out}" "${says}" at)
  if(rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "--bundle ${zip} on ${folder}: exit status ${rc}, expected a failure that says \"${says}\":\n${out}")
  endif()
  if(EXISTS "${left}" AND NOT IS_DIRECTORY "${left}" OR EXISTS "${left}.partial")
    message(FATAL_ERROR "--bundle ${zip} failed but left ${left}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")

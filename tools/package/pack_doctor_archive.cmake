# Packs the doctor's archive: the program and its read-me, nothing else (a
# player unpacks it anywhere; it does not go into the game folder).
# cmake -DARCHIVE=... -DSTAGE=... -DDOCTOR=... -DREADME=... -P pack_doctor_archive.cmake
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(COPY "${DOCTOR}" DESTINATION "${STAGE}")
# CR LF line ends, so that every Windows editor shows the read-me's lines.
file(READ "${README}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${STAGE}/README.txt" "${text}")
file(REMOVE "${ARCHIVE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ARCHIVE}" --format=zip velloquin-doctor.exe README.txt
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ARCHIVE}")
endif()

# Runs the built velloquin-doctor on a game folder and checks its exit status
# and that its output names what it should.
# cmake -DDOCTOR=... [-DEMULATOR=...] -DFOLDER=... -DARGS=... -DSTATUS=n -DSHOWS=text -P check_exit.cmake
execute_process(COMMAND ${EMULATOR} "${DOCTOR}" ${ARGS} "${FOLDER}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${rc}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${rc}, expected ${STATUS}\n${out}\n${err}")
endif()
string(FIND "${out}" "${SHOWS}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the output does not show \"${SHOWS}\":\n${out}")
endif()

# zip_files(ARCHIVE FOLDER ENTRY...): packs the entries (paths below FOLDER) in
# the order given, reproducibly: Info-ZIP's zip without extra fields (no owner,
# no access or change times), each file's time set to 2000-01-01 00:00 and read
# in UTC. (cmake -E tar writes each file's access and change times, which no
# option fixes.)
function(zip_files archive folder)
  find_program(ZIP_PROGRAM zip REQUIRED)
  file(REMOVE "${archive}")
  execute_process(COMMAND touch -d "2000-01-01 00:00:00 UTC" ${ARGN} WORKING_DIRECTORY "${folder}" RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -X -D -q "${archive}" ${ARGN}
      WORKING_DIRECTORY "${folder}" RESULT_VARIABLE rc)
  endif()
  if(NOT rc EQUAL 0)
    file(REMOVE "${archive}")
    message(FATAL_ERROR "cannot write ${archive}")
  endif()
endfunction()

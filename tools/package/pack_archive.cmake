# Packs the player's archive: Data/QVEX/Plugins/ with the DLL and the default
# settings file, nothing else.
# cmake -DARCHIVE=... -DSTAGE=... -DDLL=... -DINI=... -P pack_archive.cmake
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/Data/QVEX/Plugins")
file(COPY "${DLL}" "${INI}" DESTINATION "${STAGE}/Data/QVEX/Plugins")
file(REMOVE "${ARCHIVE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ARCHIVE}" --format=zip Data
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ARCHIVE}")
endif()

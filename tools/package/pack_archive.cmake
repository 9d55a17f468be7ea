# Packs the player's archive: Data/QVEX/Plugins/ with the DLL, the default
# settings file and the plug-in's own folder for the characters' items files
# (the plug-in does not make that folder; without it the first save fails).
# cmake -DARCHIVE=... -DSTAGE=... -DDLL=... -DINI=... -P pack_archive.cmake
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/Data/QVEX/Plugins/Velloquin")
file(COPY "${DLL}" "${INI}" DESTINATION "${STAGE}/Data/QVEX/Plugins")
file(REMOVE "${ARCHIVE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ARCHIVE}" --format=zip Data
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ARCHIVE}")
endif()

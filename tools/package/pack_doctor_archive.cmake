# Packs the doctor's archive: the program and its read-me, nothing else (a
# player unpacks it anywhere; it does not go into the game folder). Like the
# plug-in's archive it is reproducible: fixed order, time and permissions.
# cmake -DARCHIVE=... -DSTAGE=... -DDOCTOR=... -DREADME=... -P pack_doctor_archive.cmake
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(COPY "${DOCTOR}" DESTINATION "${STAGE}"
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# CR LF line ends, so that every Windows editor shows the read-me's lines.
file(READ "${README}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${STAGE}/README.txt" "${text}")
file(CHMOD "${STAGE}/README.txt" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
include(${CMAKE_CURRENT_LIST_DIR}/zip_files.cmake)
zip_files("${ARCHIVE}" "${STAGE}" velloquin-doctor.exe README.txt)

# Packs the player's archive: Data/QVEX/Plugins/ with the DLL (and its PDB when
# the build makes one), the default settings file and the plug-in's own folder
# for the characters' items files, which holds a read-me so that tools that
# install only files still make it (the plug-in does not make that folder;
# without it every save fails).
#
# The archive is reproducible: its entries are listed in a fixed order, with a
# fixed time and fixed permissions, so the same files give the same bytes.
# cmake -DARCHIVE=... -DSTAGE=... -DDLL=... [-DPDB=...] -DINI=... -DREADME=... -P pack_archive.cmake
file(REMOVE_RECURSE "${STAGE}")
set(plugins "${STAGE}/Data/QVEX/Plugins")
file(MAKE_DIRECTORY "${plugins}/Velloquin")
set(entries Data/QVEX/Plugins/Velloquin.dll)
set(files "${DLL}")
if(PDB)
  list(APPEND entries Data/QVEX/Plugins/Velloquin.pdb)
  list(APPEND files "${PDB}")
endif()
list(APPEND entries Data/QVEX/Plugins/Velloquin.ini)
list(APPEND files "${INI}")
file(COPY ${files} DESTINATION "${plugins}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# CR LF line ends, so that every Windows editor shows the read-me's lines.
file(READ "${README}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${plugins}/Velloquin/ReadMe.txt" "${text}")
file(CHMOD "${plugins}/Velloquin/ReadMe.txt" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND entries Data/QVEX/Plugins/Velloquin/ReadMe.txt)
include(${CMAKE_CURRENT_LIST_DIR}/zip_files.cmake)
zip_files("${ARCHIVE}" "${STAGE}" ${entries})

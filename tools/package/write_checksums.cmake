# Writes SHA256SUMS: one line per file, its SHA-256 and its name, as sha256sum
# prints them (so that `sha256sum -c SHA256SUMS` checks the files beside it).
# cmake -DOUTPUT=... -DFILES="a|b" -P write_checksums.cmake
string(REPLACE "|" ";" FILES "${FILES}")
set(text "")
foreach(path ${FILES})
  file(SHA256 "${path}" hash)
  get_filename_component(name "${path}" NAME)
  string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
